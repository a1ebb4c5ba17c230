#include "model/device_frame.h"
#include "render/device_frame_renderer.h"

#include <QTest>

using namespace lustrelab;

namespace {

const QColor kScreen(20, 90, 250); // the screenshot's own colour in these tests

QImage screenshot(int width, int height, double ratio = 1.0)
{
    QImage image(int(width * ratio), int(height * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(kScreen);
    return image;
}

DeviceFrame frameNamed(const char* id)
{
    const DeviceFrame* frame = findDeviceFrame(QString::fromLatin1(id));
    return frame ? *frame : DeviceFrame{};
}

QColor grey(double level)
{
    return QColor::fromRgbF(float(level), float(level), float(level));
}

// Colour of the pixel under a point given in Qt (top-down) points.
QColor probe(const QImage& image, QPointF point)
{
    const double r = image.devicePixelRatio();
    return image.pixelColor(int(point.x() * r), int(point.y() * r));
}

bool near(const QColor& a, const QColor& b, int tolerance = 1)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

} // namespace

class TestFrames : public QObject
{
    Q_OBJECT
  private slots:
    void resultSize_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QSize>("expectedPixels");
        QTest::newRow("phone with island") << "iphone16promax" << QSize(390, 844) << 1.0 << QSize(396, 850);
        QTest::newRow("phone at ratio 2") << "iphone16promax" << QSize(390, 844) << 2.0 << QSize(792, 1700);
        QTest::newRow("thick phone bezel") << "iphoneSE" << QSize(300, 500) << 1.0 << QSize(324, 524);
        QTest::newRow("tablet") << "ipadpro13" << QSize(800, 600) << 1.0 << QSize(832, 632);
        QTest::newRow("laptop grows a base") << "macbookpro14" << QSize(1000, 600) << 1.0 << QSize(1016, 664);
        QTest::newRow("laptop at ratio 2") << "macbookpro14" << QSize(1000, 600) << 2.0 << QSize(2032, 1328);
        QTest::newRow("desktop display has no base")
            << "imac24" << QSize(1000, 600) << 1.0 << QSize(1040, 640);
        QTest::newRow("studio display has no base")
            << "studiodisplay" << QSize(1000, 600) << 1.0 << QSize(1032, 632);
        QTest::newRow("browser") << "browsersafaridark" << QSize(1000, 600) << 1.0 << QSize(1002, 637);
        QTest::newRow("tiny screenshot, large radii")
            << "iphone16pro" << QSize(20, 10) << 1.0 << QSize(26, 16);
    }
    void resultSize()
    {
        QFETCH(QString, id);
        QFETCH(QSize, screen);
        QFETCH(double, ratio);
        QFETCH(QSize, expectedPixels);
        const DeviceFrame frame = frameNamed(id.toLatin1().constData());
        QCOMPARE(frame.id, id);
        const QImage framed =
            DeviceFrameRenderer().frameImage(screenshot(screen.width(), screen.height(), ratio), frame);
        QCOMPARE(framed.size(), expectedPixels);
        QCOMPARE(framed.devicePixelRatio(), ratio);
    }

    void categoryNoneIsTheSameImage()
    {
        const QImage image = screenshot(40, 30);
        QCOMPARE(DeviceFrameRenderer().frameImage(image, noDeviceFrame()).cacheKey(), image.cacheKey());
    }

    void probes_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPointF>("point"); // Qt points on the framed image
        QTest::addColumn<QColor>("expected");
        const QColor transparent(0, 0, 0, 0);
        const QColor natural = QColor::fromRgbF(0.55f, 0.53f, 0.51f);
        const QColor black = QColor::fromRgbF(0.11f, 0.11f, 0.12f);
        const QColor silver = QColor::fromRgbF(0.78f, 0.78f, 0.8f);

        // 390 x 844 in a 3-point natural body; island 110.88 wide from x 142.56,
        // its top 12 points below the screen's top edge (Qt y 15..26).
        QTest::newRow("phone bezel is body colour")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(1.5, 425) << natural;
        QTest::newRow("phone outer corner is transparent")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(0.5, 0.5) << transparent;
        QTest::newRow("phone screen corner shows body")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(17.5, 17.5) << natural;
        QTest::newRow("phone screen")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(198, 425) << kScreen;
        QTest::newRow("island is black")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(198, 20.5) << QColor(Qt::black);
        QTest::newRow("island left end")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(150, 20.5) << QColor(Qt::black);
        QTest::newRow("beside the island is screen")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(138, 20.5) << kScreen;
        QTest::newRow("below the island is screen")
            << "iphone16promax" << QSize(390, 844) << 1.0 << QPointF(198, 27.5) << kScreen;
        QTest::newRow("island at ratio 2")
            << "iphone16promax" << QSize(390, 844) << 2.0 << QPointF(198, 20.5) << QColor(Qt::black);
        QTest::newRow("square screen corner")
            << "iphoneSE" << QSize(300, 500) << 1.0 << QPointF(12.5, 12.5) << kScreen;
        QTest::newRow("no island without the flag")
            << "iphoneSE" << QSize(300, 500) << 1.0 << QPointF(162, 29.5) << kScreen;
        QTest::newRow("phone body black") << "iphoneSE" << QSize(300, 500) << 1.0 << QPointF(6, 262) << black;

        // macbookpro14 around 1000 x 600: body Qt y 0..616, screen (8, 8), base
        // Qt y 616..664 from x 203.2 to 812.8.
        QTest::newRow("laptop rim is body colour")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(1.5, 300) << black;
        QTest::newRow("laptop bezel is black")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(5.5, 300) << QColor(Qt::black);
        QTest::newRow("laptop screen")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(508, 300) << kScreen;
        QTest::newRow("notch is black")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(508, 11) << QColor(Qt::black);
        QTest::newRow("notch reaches the top edge")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(473.5, 8.5) << QColor(Qt::black);
        QTest::newRow("beside the notch is screen")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(468, 12) << kScreen;
        QTest::newRow("laptop base") << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(508, 650)
                                     << black;
        QTest::newRow("beside the base is transparent")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(200, 650) << transparent;
        QTest::newRow("base starts at a fifth of the width")
            << "macbookpro14" << QSize(1000, 600) << 1.0 << QPointF(205, 650) << black;
        QTest::newRow("silver laptop base")
            << "macbookair15" << QSize(1000, 600) << 1.0 << QPointF(506, 650) << silver;
        QTest::newRow("display has no notch")
            << "imac24" << QSize(1000, 600) << 1.0 << QPointF(520, 23) << kScreen;
        QTest::newRow("display rim") << "imac24" << QSize(1000, 600) << 1.0 << QPointF(1.5, 320) << silver;
        QTest::newRow("display bezel")
            << "imac24" << QSize(1000, 600) << 1.0 << QPointF(10, 320) << QColor(Qt::black);

        // Browser 1002 x 637: title bar Qt y 0..36, buttons at y 12..24.
        QTest::newRow("dark chrome") << "browsersafaridark" << QSize(1000, 600) << 1.0 << QPointF(150, 20)
                                     << grey(0.16);
        QTest::newRow("dark address bar")
            << "browsersafaridark" << QSize(1000, 600) << 1.0 << QPointF(500, 18) << grey(0.22);
        QTest::newRow("address bar starts at a quarter")
            << "browsersafaridark" << QSize(1000, 600) << 1.0 << QPointF(252, 18) << grey(0.22);
        QTest::newRow("close button") << "browsersafaridark" << QSize(1000, 600) << 1.0 << QPointF(20, 18)
                                      << QColor::fromRgbF(1.0f, 0.37f, 0.34f);
        QTest::newRow("minimise button") << "browserchrome" << QSize(1000, 600) << 1.0 << QPointF(40, 18)
                                         << QColor::fromRgbF(1.0f, 0.74f, 0.18f);
        QTest::newRow("zoom button") << "browsersafari" << QSize(1000, 600) << 1.0 << QPointF(60, 18)
                                     << QColor::fromRgbF(0.16f, 0.78f, 0.25f);
        QTest::newRow("light chrome")
            << "browsersafari" << QSize(1000, 600) << 1.0 << QPointF(150, 20) << grey(0.98);
        QTest::newRow("light address bar")
            << "browserchrome" << QSize(1000, 600) << 1.0 << QPointF(500, 18) << grey(0.93);
        QTest::newRow("browser content")
            << "browserarc" << QSize(1000, 600) << 1.0 << QPointF(500, 300) << kScreen;
        QTest::newRow("browser bottom edge")
            << "browserarc" << QSize(1000, 600) << 1.0 << QPointF(500, 636.5) << grey(0.16);
        QTest::newRow("browser window corner")
            << "browsersafari" << QSize(1000, 600) << 1.0 << QPointF(0.5, 0.5) << transparent;
        QTest::newRow("content covers bottom corners")
            << "browsersafari" << QSize(1000, 600) << 1.0 << QPointF(1.5, 635.5) << kScreen;
    }
    void probes()
    {
        QFETCH(QString, id);
        QFETCH(QSize, screen);
        QFETCH(double, ratio);
        QFETCH(QPointF, point);
        QFETCH(QColor, expected);
        const QImage framed = DeviceFrameRenderer().frameImage(
            screenshot(screen.width(), screen.height(), ratio), frameNamed(id.toLatin1().constData()));
        const QColor actual = probe(framed, point);
        if (!near(actual, expected))
            qWarning() << "got" << actual << "expected" << expected;
        QVERIFY(near(actual, expected));
    }

    void screenshotIsCopiedOneToOne_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QPoint>("offset"); // screen origin in pixels
        QTest::newRow("phone") << "iphoneSE" << 1.0 << QPoint(12, 12);
        QTest::newRow("phone at ratio 2") << "iphoneSE" << 2.0 << QPoint(24, 24);
        QTest::newRow("laptop") << "macbookair13" << 1.0 << QPoint(6, 6);
        QTest::newRow("browser at ratio 2") << "browserchrome" << 2.0 << QPoint(2, 72);
    }
    void screenshotIsCopiedOneToOne()
    {
        QFETCH(QString, id);
        QFETCH(double, ratio);
        QFETCH(QPoint, offset);
        // A one-pixel checkerboard blurs to grey under any scaling or shift.
        QImage image(int(200 * ratio), int(300 * ratio), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const QImage framed = DeviceFrameRenderer().frameImage(image, frameNamed(id.toLatin1().constData()));
        const QRect inner = image.rect().adjusted(80, 80, -80, -80); // away from notches and corners
        for (int y = inner.top(); y <= inner.bottom(); y += 7)
            for (int x = inner.left(); x <= inner.right(); x += 5)
                QCOMPARE(framed.pixel(x + offset.x(), y + offset.y()), image.pixel(x, y));
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
