#include "model/color_hex.h"

#include <QTest>

using namespace lustrelab;

class TestColorHex : public QObject
{
    Q_OBJECT
  private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("short white") << "#FFF" << QColor(255, 255, 255, 255);
        QTest::newRow("short magenta") << "#F0F" << QColor(255, 0, 255, 255);
        QTest::newRow("six digits") << "ff8000" << QColor(255, 128, 0, 255);
        QTest::newRow("trailing blank") << "#ff8000 " << QColor(255, 128, 0, 255);
        QTest::newRow("alpha first") << "80FF0000" << QColor(255, 0, 0, 128);
        QTest::newRow("five digits is black") << "12345" << QColor(0, 0, 0, 255);
        QTest::newRow("empty is black") << "" << QColor(0, 0, 0, 255);
        QTest::newRow("unparsable 8 chars gives alpha 0") << "zz123456" << QColor(0, 0, 0, 0);
        QTest::newRow("scan stops at non-hex") << "#12g456" << QColor(0, 0, 0x12, 255);
    }
    void parses()
    {
        QFETCH(QString, hex);
        QFETCH(QColor, expected);
        const QColor c = colorFromHex(hex);
        QCOMPARE(c.red(), expected.red());
        QCOMPARE(c.green(), expected.green());
        QCOMPARE(c.blue(), expected.blue());
        QCOMPARE(c.alpha(), expected.alpha());
    }
};

QTEST_GUILESS_MAIN(TestColorHex)
#include "tst_color_hex.moc"
