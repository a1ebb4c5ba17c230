// What compose settles before it reads any pixels: where styled images go
// (names beside the inputs, -o as file or folder, the format it implies, never
// over an input or two inputs into one file) and whether the canvas fits.

#include "cli/output_plan.h"
#include "cli/size_guard.h"

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

    // A ratio preset grows the short side of the padded image; the guard must
    // measure that canvas, so a limit just under its area refuses and one just
    // over accepts, for wide and tall inputs alike.
    void sizeGuardMeasuresTheRatioCanvas_data()
    {
        QTest::addColumn<QSize>("image"); // padded by 50 on every side
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QSizeF>("canvas");
        QTest::newRow("wide, 16:9 grows the height") << QSize(1600, 100) << "16:9" << QSizeF(1700, 956.25);
        QTest::newRow("tall, 16:9 grows the width") << QSize(100, 1600) << "16:9" << QSizeF(3022.2, 1700);
        QTest::newRow("wide, 9:16 grows the height") << QSize(1600, 100) << "9:16" << QSizeF(1700, 3022.2);
        QTest::newRow("tall, 9:16 grows the width") << QSize(100, 1600) << "9:16" << QSizeF(956.25, 1700);
        QTest::newRow("tall, square") << QSize(300, 2000) << "1:1" << QSizeF(2100, 2100);
        QTest::newRow("wide, square") << QSize(2000, 300) << "1:1" << QSizeF(2100, 2100);
    }
    void sizeGuardMeasuresTheRatioCanvas()
    {
        QFETCH(QSize, image);
        QFETCH(QString, preset);
        QFETCH(QSizeF, canvas);
        BeautySettings settings;
        settings.canvasPresetId = preset;
        settings.padding = 50;
        settings.exportScale = 1;
        const double area = canvas.width() * canvas.height();
        QVERIFY2(!checkComposedSize(image, settings, qint64(area * 0.98)).isEmpty(),
                 "a canvas over the limit");
        const QString accepted = checkComposedSize(image, settings, qint64(area * 1.02));
        QVERIFY2(accepted.isEmpty(), qPrintable(accepted));
    }
};

QTEST_GUILESS_MAIN(TestOutputPlan)
#include "tst_output_plan.moc"
