// What the canvas paints, probed in images: the checkerboard, the drag
// previews, the removal close symbol, the display buffer that keeps painting
// from resampling the composed image every frame, and the view on a screen
// with two device pixels per point.
#include "canvas/canvas_decorations.h"
#include "canvas/canvas_view.h"
#include "canvas/checkerboard_pattern.h"
#include "canvas/display_resampler.h"
#include "canvas/image_display_buffer.h"
#include "canvas/removal_area_handle.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QApplication>
#include <QPainter>
#include <QTest>

using namespace lustrelab;

Q_DECLARE_METATYPE(lustrelab::CanvasTool)
Q_DECLARE_METATYPE(lustrelab::ShapeType)

namespace {

// One-pixel black and white columns: any resampling turns them grey.
QImage stripes(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x % 2 ? 0xFF000000 : 0xFFFFFFFF);
    return image;
}

enum class Tone { white, red, pink, yellow, grey, green, other };

Tone toneOf(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    if (r > 250 && g > 250 && b > 250)
        return Tone::white;
    if (r > 230 && g < 60 && b < 60)
        return Tone::red;
    if (r > 240 && g > 170 && g < 230 && b > 170 && b < 230)
        return Tone::pink; // red at 0.2 over white
    if (r > 240 && g > 240 && b < 180)
        return Tone::yellow;
    if (std::abs(r - g) < 8 && std::abs(g - b) < 8 && r < 240)
        return Tone::grey;
    if (g > r + 40 && g > b + 40)
        return Tone::green;
    return Tone::other;
}

} // namespace

class TestCanvasPainting : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void checkerboard_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("square");
        QTest::newRow("100 x 100 with 12-point squares: 8 x 8 cells") << QSize(100, 100) << 12.0;
        QTest::newRow("cut-off cells at the edges are left out") << QSize(30, 13) << 6.0;
    }
    void checkerboard()
    {
        QFETCH(QSize, size);
        QFETCH(double, square);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black); // the backdrop must cover this
        QPainter painter(&image);
        CheckerboardPattern{square}.paint(painter, QRectF(QPointF(), QSizeF(size)), Qt::white);
        painter.end();
        // Faint grey on every other whole cell, starting top-left; white elsewhere.
        const int columns = int(size.width() / square), rows = int(size.height() / square);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const int column = int(x / square), row = int(y / square);
                const bool shaded = column < columns && row < rows && (row + column) % 2 == 0;
                const QRgb pixel = image.pixel(x, y);
                if (shaded ? !(qRed(pixel) < 250 && qRed(pixel) > 230) : pixel != qRgb(255, 255, 255))
                    QFAIL(qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
    }

    void dragPreview_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<ShapeType>("type");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<Tone>("tone");
        // The drag spans (50, 50) to (150, 110), made from bottom-right to top-left.
        const auto shape = CanvasTool::shape;
        QTest::newRow("rectangle: outline") << shape << ShapeType::rectangle << QPoint(50, 80) << Tone::red;
        QTest::newRow("rounded rectangle: corner cut round")
            << shape << ShapeType::roundedRectangle << QPoint(50, 50) << Tone::white;
        QTest::newRow("ellipse: touches the sides")
            << shape << ShapeType::ellipse << QPoint(50, 80) << Tone::red;
        QTest::newRow("ellipse: not the corners")
            << shape << ShapeType::ellipse << QPoint(53, 53) << Tone::white;
        QTest::newRow("arrow: top-left to bottom-right whatever the drag")
            << shape << ShapeType::arrow << QPoint(100, 80) << Tone::red;
        QTest::newRow("highlight: yellow wash")
            << shape << ShapeType::highlight << QPoint(100, 80) << Tone::yellow;
        QTest::newRow("blur: grey wash") << shape << ShapeType::blur << QPoint(100, 80) << Tone::grey;
        QTest::newRow("remove: pale red fill")
            << CanvasTool::remove << ShapeType::rectangle << QPoint(100, 80) << Tone::pink;
        QTest::newRow("remove: dashed red edge")
            << CanvasTool::remove << ShapeType::rectangle << QPoint(52, 50) << Tone::red;
        QTest::newRow("remove: the dash has gaps")
            << CanvasTool::remove << ShapeType::rectangle << QPoint(58, 50) << Tone::pink;
    }
    void dragPreview()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(ShapeType, type);
        QFETCH(QPoint, probe);
        QFETCH(Tone, tone);
        QImage image = test::solidImage(200, 160, Qt::white);
        QPainter painter(&image);
        canvas::paintDragPreview(painter, QRectF(50, 50, 100, 60), tool, type);
        painter.end();
        QCOMPARE(int(toneOf(image.pixel(probe))), int(tone));
    }

    void closeSymbolShowsTheImageThroughItsCross()
    {
        RemovalArea area;
        area.rect = {0, 0, 1, 1};
        QImage image = test::solidImage(200, 100, Qt::white);
        QPainter painter(&image);
        RemovalAreaHandle{area, QSizeF(200, 100)}.paint(painter);
        painter.end();
        // The symbol sits 8 points in from the top-right corner.
        QCOMPARE(int(toneOf(image.pixel(192, 8))), int(Tone::white));
        QCOMPARE(int(toneOf(image.pixel(192, 12))), int(Tone::green));
        QCOMPARE(int(toneOf(image.pixel(100, 50))), int(Tone::white)); // the area itself is not filled
    }

    void halving_data()
    {
        QTest::addColumn<QList<QRgb>>("pixels"); // row by row
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRgb>>("expected");
        QTest::newRow("each channel is the rounded mean of its block")
            << QList<QRgb>{0xFF000000, 0xFF040404, 0xFF0000FF, 0xFF020202} << QSize(2, 2)
            << QList<QRgb>{0xFF020241};
        QTest::newRow("premultiplied half-transparent pixels stay valid")
            << QList<QRgb>{0x80800000, 0x00000000, 0xFFFF0000, 0x80008000} << QSize(2, 2)
            << QList<QRgb>{0x80602000};
        QTest::newRow("an odd last column is averaged with itself")
            << QList<QRgb>{0xFF101010, 0xFF303030, 0xFFF0F0F0, 0xFF101010, 0xFF303030, 0xFF000000}
            << QSize(3, 2) << QList<QRgb>{0xFF202020, 0xFF787878};
    }
    void halving()
    {
        QFETCH(QList<QRgb>, pixels);
        QFETCH(QSize, size);
        const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), size.width(), size.height(),
                           size.width() * 4, QImage::Format_ARGB32_Premultiplied);
        QImage half;
        halveInto(image, half);
        QCOMPARE(half.size(), QSize((size.width() + 1) / 2, (size.height() + 1) / 2));
        QList<QRgb> actual;
        for (int y = 0; y < half.height(); ++y)
            for (int x = 0; x < half.width(); ++x)
                actual.append(half.pixel(x, y)); // as stored: premultiplied
        QTEST(actual, "expected");
    }

    void displayResampler_data()
    {
        QTest::addColumn<QSize>("target");
        QTest::newRow("a quarter: two halvings") << QSize(100, 80);
        QTest::newRow("a third: one halving, then less than another") << QSize(133, 106);
    }
    void displayResampler()
    {
        QFETCH(QSize, target);
        // Sampling would keep some stripes whole and drop others; averaging
        // gives an even grey.
        DisplayResampler resampler;
        QImage shown = resampler.resample(stripes(400, 320), target, 2);
        QCOMPARE(shown.size(), target);
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        int darkest = 255, lightest = 0;
        for (int y = 2; y < target.height() - 2; ++y)
            for (int x = 2; x < target.width() - 2; ++x) {
                darkest = std::min(darkest, qGray(shown.pixel(x, y)));
                lightest = std::max(lightest, qGray(shown.pixel(x, y)));
            }
        QVERIFY2(darkest > 60 && lightest < 195,
                 qPrintable(QStringLiteral("%1..%2").arg(darkest).arg(lightest)));
        // The next call writes into this call's buffers; nothing of the stripes may survive.
        shown = QImage();
        shown = resampler.resample(test::solidImage(400, 320, Qt::blue), target, 2);
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x)
                if (qRed(shown.pixel(x, y)) != 0)
                    QFAIL(qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
    }

    void displayBufferRefills_data()
    {
        QTest::addColumn<bool>("newImage");
        QTest::addColumn<QRectF>("secondFrame");
        QTest::addColumn<bool>("allowStretch");
        QTest::addColumn<bool>("refilled");
        const QRectF first(10, 10, 200, 125);
        QTest::newRow("the same image in the same place is not resampled again")
            << false << first << false << false;
        QTest::newRow("a new composition is resampled") << true << first << false << true;
        QTest::newRow("a new size is resampled") << false << QRectF(10, 10, 240, 150) << false << true;
        QTest::newRow("a new size while resizing is stretched for now")
            << false << QRectF(10, 10, 240, 150) << true << false;
    }
    void displayBufferRefills()
    {
        QFETCH(bool, newImage);
        QFETCH(QRectF, secondFrame);
        QFETCH(bool, allowStretch);
        QImage composed(800, 500, QImage::Format_ARGB32_Premultiplied);
        composed.fill(Qt::darkCyan);
        QImage target = test::solidImage(300, 200, Qt::white);
        QPainter painter(&target);
        ImageDisplayBuffer display;
        display.paint(painter, composed, QRectF(10, 10, 200, 125), 1, false);
        const qint64 firstFill = display.buffer().cacheKey(); // a refill writes a new one
        if (newImage)
            composed = composed.copy();
        display.paint(painter, composed, secondFrame, 1, allowStretch);
        painter.end();
        QTEST(display.buffer().cacheKey() != firstFill, "refilled");
        // Whatever the path, the image covers its frame.
        const QRgb corner = target.pixel(secondFrame.bottomRight().toPoint() - QPoint(1, 1));
        QVERIFY(qRed(corner) <= 2 && std::abs(qGreen(corner) - 128) <= 2 &&
                std::abs(qBlue(corner) - 128) <= 2);
    }

    void displayBufferLandsOnDevicePixels_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("half points at ratio 2 are whole pixels")
            << QRectF(24.5, 30, 400.5, 250) << 2.0 << QRect(49, 60, 801, 500);
        QTest::newRow("fractional edges round to the nearest pixel")
            << QRectF(10.3, 10.6, 100.4, 50.8) << 1.0 << QRect(10, 11, 101, 50);
    }
    void displayBufferLandsOnDevicePixels()
    {
        QFETCH(QRectF, frame);
        QFETCH(double, ratio);
        QFETCH(QRect, pixels);
        QCOMPARE(ImageDisplayBuffer::devicePixelRect(frame, ratio), pixels);
    }

    // The composed image is shown from its own pixels, not from a buffer made
    // at one pixel per point and enlarged: one-pixel lines of text must reach
    // the screen intact.
    void hiDpiViewShowsTheComposedPixelsOneToOne()
    {
        AppState state(m_home.path());
        QImage screenshot = stripes(240, 160);
        screenshot.setDevicePixelRatio(2);
        state.loadImage(screenshot, false);
        QVERIFY(test::composed(state));
        const QImage composed = *state.currentTab()->processedImage;
        QCOMPARE(composed.devicePixelRatio(), 2.0);

        // A view exactly the composed size plus its 24-point margins shows it at one point per point.
        CanvasView view(state);
        view.resize((QSizeF(composed.size()) / 2 + QSizeF(48, 48)).toSize());
        QCOMPARE(view.devicePixelRatioF(), 2.0);
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        // Compare the middle of the image (inside any rounded corners and shadows).
        int differing = 0;
        for (int y = composed.height() / 4; y < composed.height() * 3 / 4; ++y)
            for (int x = composed.width() / 4; x < composed.width() * 3 / 4; ++x)
                differing += shown.pixel(QPoint(48 + x, 48 + y)) != composed.pixel(x, y);
        QCOMPARE(differing, 0);
    }
};

int main(int argc, char** argv)
{
    // Images are painted at their own ratio whatever the screen; the view's test needs a 2x screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestCanvasPainting test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_canvas_painting.moc"
