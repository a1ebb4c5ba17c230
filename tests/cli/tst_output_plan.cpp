// Where styled images go: names beside the inputs, -o as file or folder, the
// format it implies, and never over an input or two inputs into one file.

#include "cli/output_plan.h"

#include <QDir>
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
        QTest::addColumn<QString>("expectedPath");
        QTest::addColumn<ExportFormat>("expectedFormat");
        const auto png = ExportFormat::png, jpeg = ExportFormat::jpeg;

        QTest::newRow("beside the input") << "x/a.jpg" << png << ""
                                          << "x/a-styled.png" << png;
        QTest::newRow("settings say jpeg") << "a.png" << jpeg << ""
                                           << "a-styled.jpeg" << jpeg;
        QTest::newRow("last suffix only") << "a.b.png" << jpeg << ""
                                          << "a.b-styled.jpeg" << jpeg;
        QTest::newRow("unknown suffix") << "a.png" << jpeg << "o.img"
                                        << "o.img" << jpeg;
    }

    void namesAndFormats()
    {
        QFETCH(QString, input);
        QFETCH(ExportFormat, settingsFormat);
        QFETCH(QString, output);
        QFETCH(QString, expectedPath);
        QFETCH(ExportFormat, expectedFormat);
        const OutputPlan plan = planOutputs({input}, output, std::nullopt, settingsFormat);
        QCOMPARE(plan.jobs.front().output, expectedPath);
        QCOMPARE(plan.jobs.front().format, expectedFormat);
    }

    void outputs_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("output");    // -o
        QTest::addColumn<QStringList>("paths"); // one per input; empty: refused

        QTest::newRow("output spelt as the input")
            << QStringList{"shot.png"} << "sub/../shot.png" << QStringList{""};
        QTest::newRow("output through a link") << QStringList{"shot.png"} << "link.png" << QStringList{""};
        QTest::newRow("output is another input")
            << QStringList{"shot.png", "shot-styled.png"} << "" << QStringList{"", "shot-styled-styled.png"};
        QTest::newRow("same name from two folders")
            << QStringList{"a/x.png", "b/x.png"} << "new" << QStringList{"new/x-styled.png", ""};
        QTest::newRow("several inputs: -o is a folder")
            << QStringList{"a/x.png", "b/y.jpg"} << "new"
            << QStringList{"new/x-styled.png", "new/y-styled.png"};
        QTest::newRow("one input into an existing folder")
            << QStringList{"a/x.png"} << "b" << QStringList{"b/x-styled.png"};
    }

    void outputs()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, output);
        QFETCH(QStringList, paths);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        QVERIFY(QDir(root).mkpath("b") && QFile(root + "shot.png").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(root + "shot.png", root + "link.png"));
        for (QString& input : inputs)
            input.prepend(root);
        const OutputPlan plan =
            planOutputs(inputs, output.isEmpty() ? output : root + output, std::nullopt, ExportFormat::png);
        QCOMPARE(plan.jobs.size(), paths.size());
        for (qsizetype i = 0; i < paths.size(); ++i)
            QCOMPARE(plan.jobs[i].error.isEmpty() ? plan.jobs[i].output : QString(),
                     paths[i].isEmpty() ? QString() : root + paths[i]);
    }
};

QTEST_GUILESS_MAIN(TestOutputPlan)
#include "tst_output_plan.moc"
