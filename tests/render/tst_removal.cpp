#include "removal_reference.h"
#include "render/removal_fill.h"

#include <QTest>

using namespace lustrelab;

namespace {

QImage filled(int width, int height, QRgb premultiplied)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(premultiplied);
    return image;
}

QRgb pixelAt(const QImage& image, int x, int y)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(x, y);
}

// A busy, partly translucent background: two gradients, a hard edge and a
// repeating texture, so the band is never close to one colour.
QImage busyImage(int width, int height, bool opaque = false)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int alpha = !opaque && (x / 7 + y / 5) % 3 == 0 ? 160 : 255;
            const int r = x * 255 / std::max(1, width - 1);
            const int g = y * 255 / std::max(1, height - 1);
            const int b = (x < width / 2 ? 40 : 220) + (x * y) % 23;
            image.setPixel(x, y, qRgba(r * alpha / 255, g * alpha / 255, b * alpha / 255, alpha));
        }
    }
    return image;
}

} // namespace

class TestRemoval : public QObject
{
    Q_OBJECT
  private slots:
    void pixelRange_data()
    {
        QTest::addColumn<UnitRect>("area");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("expected");
        // Canvas 528 x 428 with a 400 x 300 point screenshot at (64, 64).
        QTest::newRow("over padding only") << UnitRect{0, 0, 0.1, 0.1} << 1.0 << QRect();
        QTest::newRow("exactly over the image")
            << UnitRect{64.0 / 528, 64.0 / 428, 400.0 / 528, 300.0 / 428} << 1.0 << QRect(0, 0, 400, 300);
        QTest::newRow("fractional edges take whole pixels")
            << UnitRect{0.25, 0.5, 0.1, 0.1} << 1.0 << QRect(QPoint(68, 107), QPoint(120, 149));
        QTest::newRow("bottom of the canvas is the last rows")
            << UnitRect{0.25, 0.0, 0.1, 0.2} << 1.0 << QRect(QPoint(68, 278), QPoint(120, 299));
        QTest::newRow("straddling padding is clamped")
            << UnitRect{0, 0, 0.5, 0.5} << 1.0 << QRect(QPoint(0, 150), QPoint(199, 299));
        QTest::newRow("empty area") << UnitRect{0.5, 0.5, 0, 0.1} << 1.0 << QRect();
        QTest::newRow("ratio 2 exactly over the image")
            << UnitRect{64.0 / 528, 64.0 / 428, 400.0 / 528, 300.0 / 428} << 2.0 << QRect(0, 0, 800, 600);
        QTest::newRow("ratio 2 fractional edges")
            << UnitRect{0.25, 0.5, 0.1, 0.1} << 2.0 << QRect(QPoint(136, 214), QPoint(241, 299));
        QTest::newRow("ratio 2 over padding only") << UnitRect{0.9, 0.9, 0.1, 0.1} << 2.0 << QRect();
    }
    void pixelRange()
    {
        QFETCH(UnitRect, area);
        QFETCH(double, ratio);
        QFETCH(QRect, expected);
        QImage image(int(400 * ratio), int(300 * ratio), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        const QRect range = removalPixelRange(area, QSizeF(528, 428), QRectF(64, 64, 400, 300), image);
        QCOMPARE(range, expected);
    }

    void exactBytes_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRgb>("expected"); // premultiplied, every pixel of the area
        {
            // Black text on an orange panel: the band is one colour.
            QImage image = filled(7, 7, qRgba(200, 100, 50, 255));
            for (int y = 2; y <= 4; ++y)
                for (int x = 2; x <= 4; ++x)
                    image.setPixel(x, y, qRgba(0, 0, 0, 255));
            QTest::newRow("flat over one colour") << image << QRect(2, 2, 3, 3) << qRgba(200, 100, 50, 255);
        }
        {
            // A column between black on the left and white on the right: equal
            // weights on both sides give the midpoint.
            QImage image = filled(7, 3, qRgba(255, 255, 255, 255));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 3; ++x)
                    image.setPixel(x, y, qRgba(0, 0, 0, 255));
            QTest::newRow("interpolated between columns")
                << image << QRect(3, 0, 1, 3) << qRgba(127, 127, 127, 255);
        }
        {
            QImage image = filled(3, 7, qRgba(0, 0, 255, 255));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 3; ++x)
                    image.setPixel(x, y, qRgba(255, 0, 0, 255));
            QTest::newRow("interpolated between rows")
                << image << QRect(0, 3, 3, 1) << qRgba(127, 0, 127, 255);
        }
        {
            // Premultiplied bytes are averaged as stored: transparent against
            // opaque white gives half-transparent half-white.
            QImage image = filled(7, 3, qRgba(255, 255, 255, 255));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 3; ++x)
                    image.setPixel(x, y, qRgba(0, 0, 0, 0));
            QTest::newRow("interpolated alpha") << image << QRect(3, 0, 1, 3) << qRgba(127, 127, 127, 127);
        }
        QTest::newRow("whole image has no band")
            << busyImage(9, 6) << QRect(0, 0, 9, 6) << qRgba(127, 127, 127, 255);
        {
            // Only the two inner sides are sampled; the diagonal block (white)
            // would spoil the flat fill if it were.
            QImage image = filled(10, 10, qRgba(30, 60, 90, 255));
            for (int y = 2; y <= 4; ++y)
                for (int x = 2; x <= 4; ++x)
                    image.setPixel(x, y, qRgba(255, 255, 255, 255));
            image.setPixel(0, 0, qRgba(255, 0, 0, 255));
            QTest::newRow("corner skips diagonal") << image << QRect(0, 0, 2, 2) << qRgba(30, 60, 90, 255);
        }
        {
            // Six samples: too few to judge, so their mean even though they differ.
            QImage image = filled(4, 4, qRgba(0, 0, 0, 255));
            for (int k = 1; k < 4; ++k) {
                image.setPixel(0, k, qRgba(255, 0, 0, 255));
                image.setPixel(k, 0, qRgba(0, 0, 255, 255));
            }
            QTest::newRow("fewer than 11 samples") << image << QRect(0, 0, 1, 1) << qRgba(127, 0, 127, 255);
        }
    }
    void exactBytes()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, area);
        QFETCH(QRgb, expected);
        const QImage result = fillRemovalArea(image, area);
        QCOMPARE(result.size(), image.size());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb want = area.contains(x, y) ? expected : pixelAt(image, x, y);
                QCOMPARE(pixelAt(result, x, y), want);
            }
        }
    }

    void matchesReference_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("large");
        QTest::addColumn<bool>("opaque"); // an opaque band takes a shorter path
        QTest::newRow("1x1") << QSize(20, 20) << QRect(9, 9, 1, 1) << false << false;
        QTest::newRow("17x9 odd sizes") << QSize(40, 30) << QRect(11, 7, 17, 9) << false << false;
        QTest::newRow("against left edge") << QSize(60, 50) << QRect(0, 10, 25, 30) << false << false;
        QTest::newRow("against bottom right") << QSize(60, 50) << QRect(40, 33, 20, 17) << false << false;
        QTest::newRow("one band row short") << QSize(70, 60) << QRect(5, 1, 40, 20) << false << false;
        QTest::newRow("long rows, short columns")
            << QSize(130, 70) << QRect(20, 30, 90, 30) << false << false;
        QTest::newRow("long columns at an edge") << QSize(60, 120) << QRect(0, 10, 20, 100) << false << false;
        QTest::newRow("120x70") << QSize(200, 120) << QRect(40, 20, 120, 70) << false << false;
        QTest::newRow("300x100") << QSize(400, 200) << QRect(50, 50, 300, 100) << true << false;
        QTest::newRow("600x300") << QSize(700, 400) << QRect(50, 50, 600, 300) << true << false;
        QTest::newRow("opaque 17x9") << QSize(40, 30) << QRect(11, 7, 17, 9) << false << true;
        QTest::newRow("opaque 120x70") << QSize(200, 120) << QRect(40, 20, 120, 70) << false << true;
        QTest::newRow("opaque 300x100") << QSize(400, 200) << QRect(50, 50, 300, 100) << true << true;
        QTest::newRow("opaque 600x300") << QSize(700, 400) << QRect(50, 50, 600, 300) << true << true;
    }
    void matchesReference()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QRect, area);
        QFETCH(bool, large);
        QFETCH(bool, opaque);
#ifndef NDEBUG
        if (large)
            QSKIP("the large areas are compared in optimised builds");
#else
        Q_UNUSED(large);
#endif
        const QImage image = busyImage(imageSize.width(), imageSize.height(), opaque);
        const QImage fast = fillRemovalArea(image, area);
        const QImage reference = referenceRemovalFill(image, area);
        QVERIFY(maxByteDifference(fast, reference) <= 1);
        QVERIFY(maxByteDifference(fast, image) > 1); // the area did change
    }

    void keepsSizeRatioAndInput()
    {
        QImage image = busyImage(40, 30);
        image.setDevicePixelRatio(2);
        const QImage before = image.copy();
        const QImage result = fillRemovalArea(image, QRect(5, 5, 10, 10));
        QCOMPARE(result.size(), image.size());
        QCOMPARE(result.devicePixelRatio(), 2.0);
        QCOMPARE(image, before);
    }

    void rangeOutsideLeavesImage_data()
    {
        QTest::addColumn<QRect>("range");
        QTest::newRow("empty") << QRect();
        QTest::newRow("past the right edge") << QRect(50, 0, 5, 5);
        QTest::newRow("above the top") << QRect(0, -8, 5, 5);
    }
    void rangeOutsideLeavesImage()
    {
        QFETCH(QRect, range);
        const QImage image = busyImage(40, 30);
        QCOMPARE(fillRemovalArea(image, range).cacheKey(), image.cacheKey());
    }

    void laterAreaSeesEarlierFill()
    {
        // A red square on blue: the first area covers it and fills flat blue. The
        // second overlaps it; its band then sees only blue, where on the original
        // it would pick up red and blend.
        QImage image = filled(30, 30, qRgba(0, 0, 255, 255));
        for (int y = 5; y <= 9; ++y)
            for (int x = 5; x <= 9; ++x)
                image.setPixel(x, y, qRgba(255, 0, 0, 255));
        const QRect first(4, 4, 7, 7), second(8, 8, 7, 7);
        const QImage both = fillRemovalArea(fillRemovalArea(image, first), second);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
                QCOMPARE(pixelAt(both, x, y), qRgba(0, 0, 255, 255));
        const QImage secondAlone = fillRemovalArea(image, second);
        QVERIFY(pixelAt(secondAlone, 12, 12) != qRgba(0, 0, 255, 255));
    }
};

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
