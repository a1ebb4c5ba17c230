// Where styled images are written: default names beside the inputs, -o as a
// file or a folder, the format an output name implies, and the refusal to
// overwrite an input or write two inputs to one file.

#include "cli/output_plan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;

class TestOutputPlan : public QObject
{
    Q_OBJECT

  private slots:
    void defaultNames_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("jpeg");
        QTest::addColumn<QString>("expected");

        QTest::newRow("png") << "shot.png" << false << "shot-styled.png";
        QTest::newRow("jpeg extension is four letters") << "shot.png" << true << "shot-styled.jpeg";
        QTest::newRow("beside the input") << "/tmp/x/shot.jpg" << false << "/tmp/x/shot-styled.png";
        QTest::newRow("dot-relative") << "./shot.png" << false << "./shot-styled.png";
        QTest::newRow("only the last suffix goes") << "my.shot.v2.png" << false << "my.shot.v2-styled.png";
        QTest::newRow("no suffix") << "dir/capture" << false << "dir/capture-styled.png";
    }

    void defaultNames()
    {
        QFETCH(QString, input);
        QFETCH(bool, jpeg);
        QFETCH(QString, expected);
        QCOMPARE(defaultOutputPath(input, jpeg ? ExportFormat::jpeg : ExportFormat::png), expected);
    }

    void formatChoice_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("explicitFormat"); // -1 none, else ExportFormat
        QTest::addColumn<int>("settingsFormat");
        QTest::addColumn<int>("expected");
        constexpr int png = int(ExportFormat::png);
        constexpr int jpeg = int(ExportFormat::jpeg);

        QTest::newRow("settings decide by default") << "" << -1 << jpeg << jpeg;
        QTest::newRow("output name .jpg") << "out.jpg" << -1 << png << jpeg;
        QTest::newRow("output name .PNG") << "out.PNG" << -1 << jpeg << png;
        QTest::newRow("unknown suffix keeps settings") << "out.img" << -1 << jpeg << jpeg;
        QTest::newRow("explicit format wins over name") << "out.jpg" << png << jpeg << png;
    }

    void formatChoice()
    {
        QFETCH(QString, output);
        QFETCH(int, explicitFormat);
        QFETCH(int, settingsFormat);
        QFETCH(int, expected);
        const std::optional<ExportFormat> format =
            explicitFormat < 0 ? std::nullopt : std::optional(ExportFormat(explicitFormat));
        const OutputPlan plan = planOutputs({"in.png"}, output, format, ExportFormat(settingsFormat));
        QCOMPARE(int(plan.jobs.front().format), expected);
    }

    void severalInputsGoIntoTheFolder()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("styled");
        const OutputPlan plan = planOutputs({"a/one.png", "b/two.jpg"}, out, std::nullopt, ExportFormat::png);
        QCOMPARE(plan.folder, out);
        QCOMPARE(plan.jobs.size(), 2);
        QCOMPARE(plan.jobs[0].output, out + "/one-styled.png");
        QCOMPARE(plan.jobs[1].output, out + "/two-styled.png");
        QVERIFY(plan.jobs[0].error.isEmpty() && plan.jobs[1].error.isEmpty());
    }

    void singleInputIntoExistingFolder()
    {
        QTemporaryDir dir;
        const OutputPlan plan = planOutputs({"a/one.png"}, dir.path(), std::nullopt, ExportFormat::png);
        QVERIFY(plan.folder.isEmpty()); // exists already
        QCOMPARE(plan.jobs.front().output, QDir(dir.path()).filePath("one-styled.png"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<bool>>("refused");

        QTest::newRow("output is the input") << QStringList{"shot.png"} << "shot.png" << QList<bool>{true};
        QTest::newRow("output spelt differently")
            << QStringList{"shot.png"} << "sub/../shot.png" << QList<bool>{true};
        QTest::newRow("output through a link") << QStringList{"shot.png"} << "link.png" << QList<bool>{true};
        QTest::newRow("output is another input")
            << QStringList{"shot.png", "shot-styled.png"} << "" << QList<bool>{true, false};
        QTest::newRow("same name from two folders")
            << QStringList{"a/x.png", "b/x.png"} << "out" << QList<bool>{false, true};
        QTest::newRow("same input twice")
            << QStringList{"shot.png", "shot.png"} << "" << QList<bool>{false, true};
        QTest::newRow("distinct outputs")
            << QStringList{"a/x.png", "b/y.png"} << "out" << QList<bool>{false, false};
    }

    void refusals()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, output);
        QFETCH(QList<bool>, refused);

        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("a") && QDir(dir.path()).mkpath("b") &&
                QDir(dir.path()).mkpath("sub"));
        for (const char* name : {"shot.png", "shot-styled.png", "a/x.png", "b/x.png", "a/y.png", "b/y.png"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::link(dir.filePath("shot.png"), dir.filePath("link.png")));

        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const OutputPlan plan = planOutputs(inputs, output, std::nullopt, ExportFormat::png);
        QDir::setCurrent(previous);

        QCOMPARE(plan.jobs.size(), refused.size());
        for (qsizetype i = 0; i < refused.size(); ++i)
            QVERIFY2(plan.jobs[i].error.isEmpty() != refused[i],
                     qPrintable(QStringLiteral("job %1: '%2'").arg(i).arg(plan.jobs[i].error)));
    }
};

QTEST_GUILESS_MAIN(TestOutputPlan)
#include "tst_output_plan.moc"
