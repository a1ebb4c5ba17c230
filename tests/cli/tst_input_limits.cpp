// Limits on what the command line accepts: the canvas a ratio preset gives is
// measured before anything is allocated. Limits on hand-written annotation
// geometry are checked with the rest of the file in tst_annotations_file.

#include "cli/size_guard.h"

#include <QTest>

using namespace lustrelab;

class TestInputLimits : public QObject
{
    Q_OBJECT

  private slots:
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

QTEST_GUILESS_MAIN(TestInputLimits)
#include "tst_input_limits.moc"
