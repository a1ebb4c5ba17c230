#include "model/device_frame.h"
#include "render/device_frame_renderer.h"
#include "render_probe.h"

#include <QTest>

using namespace lustrelab;

namespace {

const QColor screenColor(20, 90, 250); // the screenshot's own colour in these tests

// Phones frame a 390 x 844 point screenshot, everything else 1000 x 600.
QImage framed(const QString& id, double ratio = 1, QImage image = {})
{
    const QSize points = id.startsWith(QLatin1String("iphone")) ? QSize(390, 844) : QSize(1000, 600);
    if (image.isNull())
        image = solidImage(int(points.width() * ratio), int(points.height() * ratio), screenColor, ratio);
    const DeviceFrame* frame = findDeviceFrame(id);
    return frame ? DeviceFrameRenderer().frameImage(image, *frame) : QImage();
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT
  private slots:
    void resultSize_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("expectedPixels");
        QTest::newRow("phone with island") << "iphone16promax" << 1.0 << QSize(396, 850);
        QTest::newRow("thick phone bezel") << "iphoneSE" << 1.0 << QSize(414, 868);
        QTest::newRow("laptop grows a base") << "macbookpro14" << 1.0 << QSize(1016, 664);
        QTest::newRow("laptop at ratio 2") << "macbookpro14" << 2.0 << QSize(2032, 1328);
        QTest::newRow("desktop display has no base") << "imac24" << 1.0 << QSize(1040, 640);
        QTest::newRow("browser") << "browsersafaridark" << 1.0 << QSize(1002, 637);
    }
    void resultSize()
    {
        QFETCH(QString, id);
        QFETCH(double, ratio);
        QFETCH(QSize, expectedPixels);
        const QImage image = framed(id, ratio);
        QCOMPARE(image.size(), expectedPixels);
        QCOMPARE(image.devicePixelRatio(), ratio);
    }

    void tinyScreenshotAndNoFrame()
    {
        // Large radii on a tiny screenshot still frame it; no frame is the same image.
        QCOMPARE(framed("iphone16pro", 1, solidImage(20, 10, screenColor)).size(), QSize(26, 16));
        const QImage plain = solidImage(40, 30, screenColor);
        QCOMPARE(DeviceFrameRenderer().frameImage(plain, noDeviceFrame()).cacheKey(), plain.cacheKey());
    }

    void probes_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QPoint>("point"); // Qt pixels on the framed image
        QTest::addColumn<QColor>("expected");
        const QColor transparent(0, 0, 0, 0), black(Qt::black);
        const auto rgb = [](float r, float g, float b) { return QColor::fromRgbF(r, g, b); };
        const QColor natural = rgb(0.55f, 0.53f, 0.51f), dark = rgb(0.11f, 0.11f, 0.12f);
        // A 3-point natural body; island 110.88 wide from x 142.56, its top 12
        // points below the screen's top edge (Qt y 15..26).
        QTest::newRow("phone bezel") << "iphone16promax" << QPoint(1, 425) << natural;
        QTest::newRow("phone outer corner") << "iphone16promax" << QPoint(0, 0) << transparent;
        QTest::newRow("screen corner shows body") << "iphone16promax" << QPoint(17, 17) << natural;
        QTest::newRow("island left end") << "iphone16promax" << QPoint(150, 20) << black;
        QTest::newRow("beside the island") << "iphone16promax" << QPoint(138, 20) << screenColor;
        QTest::newRow("no island without the flag") << "iphoneSE" << QPoint(207, 29) << screenColor;
        // Laptop body Qt y 0..616, screen at (8, 8), base Qt y 616..664 from
        // x 203.2 to 812.8.
        QTest::newRow("laptop bezel is black") << "macbookpro14" << QPoint(5, 300) << black;
        QTest::newRow("notch reaches the top edge") << "macbookpro14" << QPoint(473, 8) << black;
        QTest::newRow("beside the notch") << "macbookpro14" << QPoint(468, 12) << screenColor;
        QTest::newRow("laptop base") << "macbookpro14" << QPoint(205, 650) << dark;
        QTest::newRow("beside the base") << "macbookpro14" << QPoint(200, 650) << transparent;
        QTest::newRow("silver laptop base") << "macbookair15" << QPoint(506, 650) << rgb(0.78f, 0.78f, 0.8f);
        QTest::newRow("display has no notch") << "imac24" << QPoint(520, 23) << screenColor;
        // Browser 1002 x 637: title bar Qt y 0..36, buttons at y 12..24.
        QTest::newRow("dark chrome") << "browsersafaridark" << QPoint(150, 20) << rgb(0.16f, 0.16f, 0.16f);
        QTest::newRow("close button") << "browsersafaridark" << QPoint(20, 18) << rgb(1.0f, 0.37f, 0.34f);
        QTest::newRow("minimise button") << "browserchrome" << QPoint(40, 18) << rgb(1.0f, 0.74f, 0.18f);
        QTest::newRow("zoom button") << "browsersafari" << QPoint(60, 18) << rgb(0.16f, 0.78f, 0.25f);
        QTest::newRow("browser window corner") << "browsersafari" << QPoint(0, 0) << transparent;
        QTest::newRow("content in bottom corners") << "browsersafari" << QPoint(1, 635) << screenColor;
    }
    void probes()
    {
        QFETCH(QString, id);
        QFETCH(QPoint, point);
        QFETCH(QColor, expected);
        VERIFY_NEAR(framed(id).pixelColor(point), expected, 1);
    }

    void screenshotIsCopiedOneToOne()
    {
        // A one-pixel checkerboard blurs to grey under any scaling or shift;
        // the browser's screen starts 1 point in and 36 down.
        QImage image(400, 600, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const QImage out = framed(QStringLiteral("browserchrome"), 2, image);
        for (int y = 0; y < 600; y += 7)
            for (int x = 0; x < 400; x += 5)
                QCOMPARE(out.pixel(x + 2, y + 72), image.pixel(x, y));
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
