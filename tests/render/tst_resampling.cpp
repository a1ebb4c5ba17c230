// Bilinear resampling against values worked out by hand (pixel centres
// mapped onto pixel centres, edges held), and resampling part of an
// enlargement straight into another image giving the very pixels of making
// the whole enlargement and copying that part.

#include "render/bilinear_resize.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>

using namespace lustrelab;

class TestResampling : public QObject
{
    Q_OBJECT

  private slots:
    // One row of greys, resized along it; each result pixel's centre falls
    // at (i + 0.5) * from / to - 0.5 in the source, and is the mix of the
    // two source pixels either side, in proportion to the distance.
    void matchesValuesWorkedOutByHand_data()
    {
        QTest::addColumn<QList<int>>("row");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("expected");
        // centres at -0.25 (held at 0), 0.25, 0.75, 1.25 (held at 1)
        QTest::newRow("doubled") << QList<int>{0, 255} << 4 << QList<int>{0, 64, 191, 255};
        // centres at 0.5 and 2.5: halfway between neighbours
        QTest::newRow("halved") << QList<int>{0, 100, 200, 255} << 2 << QList<int>{50, 228};
        // centres at -0.125 (held at 0), 0.625, 1.375 and 2.125 (held at 2)
        QTest::newRow("three to four") << QList<int>{0, 120, 240} << 4 << QList<int>{0, 75, 165, 240};
        QTest::newRow("same size") << QList<int>{7, 99, 201} << 3 << QList<int>{7, 99, 201};
    }
    void matchesValuesWorkedOutByHand()
    {
        QFETCH(QList<int>, row);
        QFETCH(int, width);
        QFETCH(QList<int>, expected);
        QImage source(int(row.size()), 2, QImage::Format_RGB32);
        for (int x = 0; x < source.width(); ++x)
            for (int y = 0; y < 2; ++y)
                source.setPixel(x, y, qRgb(row[x], row[x], row[x]));
        const QImage result = bilinearResized(source, {width, 2});
        QCOMPARE(result.size(), QSize(width, 2));
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < 2; ++y) // weights in 256ths: one level of rounding
                QVERIFY2(std::abs(qGray(result.pixel(x, y)) - expected[x]) <= 1,
                         qPrintable(QStringLiteral("pixel %1: %2, expected %3")
                                        .arg(x)
                                        .arg(qGray(result.pixel(x, y)))
                                        .arg(expected[x])));
    }

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
