// Resampling part of an enlargement straight into another image gives the
// very pixels of making the whole enlargement and copying that part.

#include "render/bilinear_resize.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>

using namespace lustrelab;

class TestResampling : public QObject
{
    Q_OBJECT

  private slots:
    void intoMatchesTheWhole_data()
    {
        QTest::addColumn<bool>("seeThrough");
        QTest::addColumn<QImage::Format>("targetFormat");
        QTest::addColumn<QRect>("window");
        QTest::addColumn<bool>("alphaChanges");
        const auto rgb32 = QImage::Format_RGB32, premultiplied = QImage::Format_ARGB32_Premultiplied;
        QTest::newRow("opaque, middle") << false << rgb32 << QRect(13, 9, 200, 120) << false;
        QTest::newRow("opaque, top-left corner") << false << rgb32 << QRect(0, 0, 37, 21) << false;
        QTest::newRow("opaque, bottom-right corner")
            << false << premultiplied << QRect(290, 172, 40, 20) << false;
        QTest::newRow("see-through into opaque pixels")
            << true << premultiplied << QRect(5, 7, 300, 150) << true;
    }
    void intoMatchesTheWhole()
    {
        QFETCH(bool, seeThrough);
        QFETCH(QImage::Format, targetFormat);
        QFETCH(QRect, window);
        QFETCH(bool, alphaChanges);
        QImage small = patternImage(33, 19, 1).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (seeThrough)
            small.setPixel(10, 10, qPremultiply(qRgba(200, 40, 10, 90)));
        const QSize enlarged(330, 192);
        QImage target = solidImage(400, 300, Qt::darkGreen).convertToFormat(targetFormat);
        const QImage before = target.copy();
        const QPoint at(50, 60);

        const std::optional<uint32_t> changed = bilinearResizedInto(small, enlarged, window, target, at);
        QVERIFY(changed);
        QCOMPARE((*changed >> 24) != 0, alphaChanges);
        QImage expected = before.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        QImage part = bilinearResized(small, enlarged).copy(window);
        part.setDevicePixelRatio(1);
        painter.drawImage(at, part);
        painter.end();
        if (targetFormat == QImage::Format_RGB32)
            expected = expected.convertToFormat(QImage::Format_RGB32);
        QCOMPARE(target, expected);
    }

    void windowsBeyondEitherImageWriteNothing_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("past the enlargement") << QRect(300, 0, 40, 10) << QPoint(0, 0);
        QTest::newRow("past the target") << QRect(0, 0, 40, 10) << QPoint(380, 295);
        QTest::newRow("empty") << QRect(0, 0, 0, 10) << QPoint(0, 0);
    }
    void windowsBeyondEitherImageWriteNothing()
    {
        QFETCH(QRect, window);
        QFETCH(QPoint, at);
        QImage target = solidImage(400, 300, Qt::darkGreen).convertToFormat(QImage::Format_RGB32);
        const QImage before = target.copy();
        QVERIFY(!bilinearResizedInto(patternImage(33, 19, 1), {330, 192}, window, target, at));
        QCOMPARE(target, before);
    }
};

QTEST_GUILESS_MAIN(TestResampling)
#include "tst_resampling.moc"
