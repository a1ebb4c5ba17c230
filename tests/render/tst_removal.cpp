#include "removal_reference.h"
#include "render/removal_fill.h"

#include <QTest>

using namespace lustrelab;

namespace {

QImage filled(int width, int height, QRgb premultiplied, QRect block = {}, QRgb blockColour = 0)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(premultiplied);
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x)
            image.setPixel(x, y, blockColour);
    return image;
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
        const UnitRect overImage{64.0 / 528, 64.0 / 428, 400.0 / 528, 300.0 / 428};
        QTest::newRow("over padding only") << UnitRect{0, 0, 0.1, 0.1} << 1.0 << QRect();
        QTest::newRow("exactly over the image") << overImage << 1.0 << QRect(0, 0, 400, 300);
        QTest::newRow("fractional edges take whole pixels")
            << UnitRect{0.25, 0.5, 0.1, 0.1} << 1.0 << QRect(QPoint(68, 107), QPoint(120, 149));
        QTest::newRow("straddling padding is clamped")
            << UnitRect{0, 0, 0.5, 0.5} << 1.0 << QRect(QPoint(0, 150), QPoint(199, 299));
        QTest::newRow("empty area") << UnitRect{0.5, 0.5, 0, 0.1} << 1.0 << QRect();
        QTest::newRow("ratio 2 fractional edges")
            << UnitRect{0.25, 0.5, 0.1, 0.1} << 2.0 << QRect(QPoint(136, 214), QPoint(241, 299));
    }
    void pixelRange()
    {
        QFETCH(UnitRect, area);
        QFETCH(double, ratio);
        QImage image(int(400 * ratio), int(300 * ratio), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        QTEST(removalPixelRange(area, QSizeF(528, 428), QRectF(64, 64, 400, 300), image), "expected");
    }

    void exactBytes_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRgb>("expected"); // premultiplied, every pixel of the area
        const QRgb black = qRgba(0, 0, 0, 255), white = qRgba(255, 255, 255, 255);
        QTest::newRow("flat over one colour") << filled(7, 7, qRgba(200, 100, 50, 255), {2, 2, 3, 3}, black)
                                              << QRect(2, 2, 3, 3) << qRgba(200, 100, 50, 255);
        // Interpolation over a varied band is held to the reference below.
        QTest::newRow("whole image has no band")
            << busyImage(9, 6) << QRect(0, 0, 9, 6) << qRgba(127, 127, 127, 255);
        // Only the two inner sides are sampled; the white diagonal block and
        // the red corner pixel would spoil the flat fill if they were.
        QImage corner = filled(10, 10, qRgba(30, 60, 90, 255), {2, 2, 3, 3}, white);
        corner.setPixel(0, 0, qRgba(255, 0, 0, 255));
        QTest::newRow("corner skips diagonal") << corner << QRect(0, 0, 2, 2) << qRgba(30, 60, 90, 255);
        // Six differing samples: too few to judge, so their mean.
        QImage few = filled(4, 4, black, {0, 1, 1, 3}, qRgba(255, 0, 0, 255));
        for (int k = 1; k < 4; ++k)
            few.setPixel(k, 0, qRgba(0, 0, 255, 255));
        QTest::newRow("fewer than 11 samples") << few << QRect(0, 0, 1, 1) << qRgba(127, 0, 127, 255);
        QTest::newRow("range past the edge") << few << QRect(5, -8, 5, 5) << QRgb(0);
    }
    void exactBytes()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, area);
        QFETCH(QRgb, expected);
        const QImage result = fillRemovalArea(image, area);
        QCOMPARE(result.size(), image.size());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(result.pixel(x, y), area.contains(x, y) ? expected : image.pixel(x, y));
    }

    void matchesReference_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<bool>("opaque"); // an opaque band takes a shorter path
        QTest::newRow("1x1") << QSize(20, 20) << QRect(9, 9, 1, 1) << false;
        QTest::newRow("17x9 odd sizes") << QSize(40, 30) << QRect(11, 7, 17, 9) << false;
        QTest::newRow("against left edge") << QSize(60, 50) << QRect(0, 10, 25, 30) << false;
        QTest::newRow("against bottom right") << QSize(60, 50) << QRect(40, 33, 20, 17) << false;
        // Lines of 64 pixels on go through the FFT: the shortest such area, also in debug builds.
        QTest::newRow("70x20") << QSize(100, 40) << QRect(15, 10, 70, 20) << false;
        QTest::newRow("300x100") << QSize(400, 200) << QRect(50, 50, 300, 100) << false;
        QTest::newRow("600x300") << QSize(700, 400) << QRect(50, 50, 600, 300) << false;
        QTest::newRow("opaque 17x9") << QSize(40, 30) << QRect(11, 7, 17, 9) << true;
        QTest::newRow("opaque 600x300") << QSize(700, 400) << QRect(50, 50, 600, 300) << true;
    }
    void matchesReference()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QRect, area);
        QFETCH(bool, opaque);
#ifndef NDEBUG
        if (area.width() >= 300)
            QSKIP("the large areas are compared in optimised builds");
#endif
        QImage image = busyImage(imageSize.width(), imageSize.height(), opaque);
        image.setDevicePixelRatio(2);
        const QImage before = image.copy();
        const QImage fast = fillRemovalArea(image, area);
        QCOMPARE(fast.devicePixelRatio(), 2.0);
        QCOMPARE(image, before); // input untouched
        QVERIFY(maxByteDifference(fast, referenceRemovalFill(image, area)) <= 1);
    }
};

QTEST_GUILESS_MAIN(TestRemoval)
#include "tst_removal.moc"
