#include "model/codable_color.h"
#include "model/color_hex.h"
#include "model/screenshot_tab.h"

#include <QTest>

using namespace lustrelab;

class TestModelValues : public QObject
{
    Q_OBJECT
  private slots:
    void colorFromHex_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("three digits") << "#F0F" << QColor(255, 0, 255, 255);
        QTest::newRow("six digits") << "ff8000" << QColor(255, 128, 0, 255);
        QTest::newRow("trailing blank trimmed") << "#ff8000 " << QColor(255, 128, 0, 255);
        QTest::newRow("eight digits, alpha first") << "80FF0000" << QColor(255, 0, 0, 128);
        QTest::newRow("five digits is black") << "12345" << QColor(0, 0, 0, 255);
        QTest::newRow("empty is black") << "" << QColor(0, 0, 0, 255);
        QTest::newRow("unparsable eight gives alpha 0") << "zz123456" << QColor(0, 0, 0, 0);
        QTest::newRow("scan stops at non-hex") << "#12g456" << QColor(0, 0, 0x12, 255);
    }
    void colorFromHex()
    {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        QCOMPARE(lustrelab::colorFromHex(hex).name(QColor::HexArgb), expected.name(QColor::HexArgb));
    }

    void defaultTabName_data()
    {
        QTest::addColumn<QDateTime>("createdAt");
        QTest::addColumn<QString>("name");
        const QDate day(2026, 3, 14);
        QTest::newRow("afternoon, 24-hour clock") << QDateTime(day, QTime(14, 5, 9)) << "Screenshot 14:05:09";
        QTest::newRow("start of a second") << QDateTime(day, QTime(9, 3, 7, 1)) << "Screenshot 09:03:07";
        QTest::newRow("end of the same second")
            << QDateTime(day, QTime(9, 3, 7, 999)) << "Screenshot 09:03:07";
        QTest::newRow("given in UTC, shown in local time")
            << QDateTime(day, QTime(23, 59, 59)).toUTC() << "Screenshot 23:59:59";
    }
    void defaultTabName()
    {
        QFETCH(QDateTime, createdAt);
        QTEST(lustrelab::defaultTabName(createdAt), "name");
    }

    void colourFromPlatformColour_data()
    {
        QTest::addColumn<QColor>("platform");
        QTest::addColumn<CodableColor>("expected");
        QTest::newRow("invalid becomes opaque white") << QColor() << CodableColor{1, 1, 1, 1};
        QTest::newRow("hsv converted to rgb") << QColor::fromHsvF(0, 1, 1) << CodableColor{1, 0, 0, 1};
        QTest::newRow("transparent keeps zero alpha") << QColor(0, 0, 0, 0) << CodableColor{0, 0, 0, 0};
    }
    void colourFromPlatformColour()
    {
        QFETCH(QColor, platform);
        QFETCH(CodableColor, expected);
        QVERIFY(CodableColor::fromPlatformColor(platform) == expected);
    }
};

QTEST_GUILESS_MAIN(TestModelValues)
#include "tst_model_values.moc"
