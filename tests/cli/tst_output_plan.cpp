// Where styled images go: default names beside the inputs, -o as a file or a
// folder, the format it implies, and refusing to overwrite an input or to
// write two inputs to one file.

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
    void namesAndFormats_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<ExportFormat>("settingsFormat");
        QTest::addColumn<QString>("output");
        QTest::addColumn<std::optional<ExportFormat>>("format"); // --format
        QTest::addColumn<QString>("expectedPath");
        QTest::addColumn<ExportFormat>("expectedFormat");
        const auto png = ExportFormat::png, jpeg = ExportFormat::jpeg;
        const std::optional<ExportFormat> none, forcePng = png;

        QTest::newRow("beside the input") << "x/a.jpg" << png << "" << none << "x/a-styled.png" << png;
        QTest::newRow("settings say jpeg") << "a.png" << jpeg << "" << none << "a-styled.jpeg" << jpeg;
        QTest::newRow("last suffix only") << "a.b.png" << jpeg << "" << none << "a.b-styled.jpeg" << jpeg;
        QTest::newRow("output name .JPG") << "a.png" << png << "o.JPG" << none << "o.JPG" << jpeg;
        QTest::newRow("unknown suffix") << "a.png" << jpeg << "o.img" << none << "o.img" << jpeg;
        QTest::newRow("--format beats name") << "a.png" << jpeg << "o.jpg" << forcePng << "o.jpg" << png;
    }

    void namesAndFormats()
    {
        QFETCH(QString, input);
        QFETCH(ExportFormat, settingsFormat);
        QFETCH(QString, output);
        QFETCH(std::optional<ExportFormat>, format);
        QFETCH(QString, expectedPath);
        QFETCH(ExportFormat, expectedFormat);
        const OutputPlan plan = planOutputs({input}, output, format, settingsFormat);
        QCOMPARE(plan.jobs.front().output, expectedPath);
        QCOMPARE(plan.jobs.front().format, expectedFormat);
    }

    void outputFolders()
    {
        QTemporaryDir dir; // several inputs: -o is a folder to create; one input: a folder if it exists
        const QString out = dir.filePath("styled");
        OutputPlan plan = planOutputs({"a/one.png", "b/two.jpg"}, out, std::nullopt, ExportFormat::png);
        QCOMPARE(plan.folder, out);
        QCOMPARE(plan.jobs.size(), 2);
        QCOMPARE(plan.jobs[0].output, out + "/one-styled.png");
        QCOMPARE(plan.jobs[1].output, out + "/two-styled.png");
        QVERIFY(plan.jobs[0].error.isEmpty() && plan.jobs[1].error.isEmpty());
        plan = planOutputs({"a/one.png"}, dir.path(), std::nullopt, ExportFormat::png);
        QVERIFY(plan.folder.isEmpty());
        QCOMPARE(plan.jobs.front().output, QDir(dir.path()).filePath("one-styled.png"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<bool>>("refused");

        QTest::newRow("output spelt differently")
            << QStringList{"shot.png"} << "sub/../shot.png" << QList<bool>{true};
        QTest::newRow("output through a link") << QStringList{"shot.png"} << "link.png" << QList<bool>{true};
        QTest::newRow("output is another input")
            << QStringList{"shot.png", "shot-styled.png"} << "" << QList<bool>{true, false};
        QTest::newRow("same name from two folders")
            << QStringList{"a/x.png", "b/x.png"} << "out" << QList<bool>{false, true};
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
