// Colours as the catalogue spells them in hex and as the platform hands them over.
#include "model/codable_color.h"
#include "model/color_hex.h"
#include "record_printers.h"

#include <QTest>

using namespace lustrelab;

class TestColors : public QObject
{
    Q_OBJECT
  private slots:
    void fromHex_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("three digits") << "#F0F" << QColor(255, 0, 255, 255);
        QTest::newRow("six digits") << "ff8000" << QColor(255, 128, 0, 255);
        QTest::newRow("trailing blank trimmed") << "#ff8000 " << QColor(255, 128, 0, 255);
        QTest::newRow("eight digits, alpha first") << "80FF0000" << QColor(255, 0, 0, 128);
        QTest::newRow("five digits is black") << "12345" << QColor(0, 0, 0, 255);
        QTest::newRow("unparsable eight gives alpha 0") << "zz123456" << QColor(0, 0, 0, 0);
        QTest::newRow("scan stops at non-hex") << "#12g456" << QColor(0, 0, 0x12, 255);
    }
    void fromHex()
    {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        QCOMPARE(colorFromHex(hex).name(QColor::HexArgb), expected.name(QColor::HexArgb));
    }

    void fromPlatformColour_data()
    {
        QTest::addColumn<QColor>("platform");
        QTest::addColumn<CodableColor>("expected");
        QTest::newRow("invalid becomes opaque white") << QColor() << CodableColor{1, 1, 1, 1};
        QTest::newRow("hsv converted to rgb") << QColor::fromHsvF(0, 1, 1) << CodableColor{1, 0, 0, 1};
        QTest::newRow("transparent keeps zero alpha") << QColor(0, 0, 0, 0) << CodableColor{0, 0, 0, 0};
    }
    void fromPlatformColour()
    {
        QFETCH(QColor, platform);
        QTEST(CodableColor::fromPlatformColor(platform), "expected");
    }
};

QTEST_GUILESS_MAIN(TestColors)
#include "tst_colors.moc"
