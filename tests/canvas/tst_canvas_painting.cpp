// The canvas without user input: the geometry of points, hit areas and drags
// (moves on the real view: tst_canvas_view), and what it paints, probed in
// images, down to the view on a screen with two device pixels per point.
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_decorations.h"
#include "canvas/canvas_interaction.h"
#include "canvas/canvas_view.h"
#include "canvas/checkerboard_pattern.h"
#include "canvas/display_resampler.h"
#include "canvas/image_display_buffer.h"
#include "canvas/removal_area_handle.h"
#include "canvas/shape_selection_handle.h"
#include "canvas/text_area_tool.h"
#include "canvas/text_selection_handle.h"
#include "canvas_fixtures.h"
#include "record_printers.h"

#include <QApplication>
#include <QPainter>
#include <cmath>

using namespace lustrelab;
using namespace lustrelab::canvas;
using lustrelab::canvastest::near;

namespace {

// The image frame most geometry rows use: 400 x 200 points, 100 in from the left and 50 down.
const QRectF frame(100, 50, 400, 200);

// One-pixel black and white columns: any resampling turns them grey.
QImage stripes(int width, int height)
{
    return test::imageOf(width, height, [](int x, int) { return x % 2 ? 0xFF000000 : 0xFFFFFFFF; });
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
    void fittedFrame_data()
    {
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<QSizeF>("image");
        QTest::addColumn<QRectF>("expected");
        // 848 x 648 leaves 800 x 600 inside the margin.
        QTest::newRow("wide image fills the width, centred vertically")
            << QSizeF(848, 648) << QSizeF(1600, 600) << QRectF(24, 174, 800, 300);
        QTest::newRow("tall image fills the height, centred horizontally")
            << QSizeF(848, 648) << QSizeF(300, 1200) << QRectF(349, 24, 150, 600);
        QTest::newRow("canvas smaller than its margins") << QSizeF(40, 400) << QSizeF(80, 60) << QRectF();
    }
    void fittedFrame()
    {
        QFETCH(QSizeF, canvas);
        QFETCH(QSizeF, image);
        QTEST(fittedImageFrame(canvas, image), "expected");
    }

    void pointConversions_data()
    {
        QTest::addColumn<QPointF>("canvasPoint");
        QTest::addColumn<UnitPoint>("unit");
        QTest::addColumn<bool>("roundTrips");
        // y counts up from the image's bottom edge.
        QTest::newRow("a quarter across, a quarter down")
            << QPointF(200, 100) << UnitPoint{0.25, 0.75} << true;
        QTest::newRow("above-left of the image clamps to the corner")
            << QPointF(20, 10) << UnitPoint{0, 1} << false;
        QTest::newRow("beside the image keeps the other coordinate")
            << QPointF(600, 150) << UnitPoint{1, 0.5} << false;
    }
    void pointConversions()
    {
        QFETCH(QPointF, canvasPoint);
        QFETCH(UnitPoint, unit);
        QFETCH(bool, roundTrips);
        const UnitPoint converted = canvasToUnit(canvasPoint, frame);
        QVERIFY2(near(converted, unit),
                 qPrintable(QStringLiteral("%1, %2").arg(converted.x).arg(converted.y)));
        if (roundTrips)
            QCOMPARE(unitToCanvas(unit, frame), canvasPoint);
    }

    void edgeCases()
    {
        // A frame of zero size divides by zero; nothing but [0, 1] may come out.
        const UnitPoint p = canvasToUnit(QPointF(0, 0), QRectF(0, 0, 0, 0));
        QVERIFY(p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1);
        // A unit rectangle stores its bottom edge; on screen its top is 1 - (y + height) down.
        QCOMPARE(unitRectToSurface(UnitRect{0.25, 0.5, 0.5, 0.25}, frame.size()), QRectF(100, 50, 200, 50));
    }

    void hitRect_data()
    {
        QTest::addColumn<QString>("text"); // null for a shape
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<QRectF>("expected");
        // A text's rectangle is 28 high about its position, 8 wide per character, at least 60.
        const UnitPoint at{0.25, 0.75};
        QTest::newRow("empty text is still grabbable")
            << QStringLiteral("") << at << at << QRectF(70, 36, 60, 28);
        QTest::newRow("twenty characters")
            << QStringLiteral("abcdefghijklmnopqrst") << at << at << QRectF(20, 36, 160, 28);
        // Ten emoji with skin-tone modifiers: forty UTF-16 units, ten characters.
        QTest::newRow("characters are counted as seen, not as code units")
            << QString::fromUtf8(
                   "👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽")
            << at << at << QRectF(60, 36, 80, 28);
        QTest::newRow("a shape's box spans its end points")
            << QString() << UnitPoint{0.5, 0.25} << UnitPoint{0.25, 0.75} << QRectF(100, 50, 100, 100);
        QTest::newRow("a dot of a shape is a 20-point square")
            << QString() << UnitPoint{0.5, 0.5} << UnitPoint{0.5, 0.5} << QRectF(190, 90, 20, 20);
    }
    void hitRect()
    {
        QFETCH(QString, text);
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        const TextOverlay overlay{.text = text, .position = start, .backgroundColor = std::nullopt};
        const ShapeOverlay shape{.startPoint = start, .endPoint = end, .fillColor = std::nullopt};
        QTEST((text.isNull() ? ShapeSelectionHandle{shape, false, frame.size()}.hitRect()
                             : TextSelectionHandle{overlay, false, frame.size()}.hitRect()),
              "expected");
    }

    void hitOrder_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<bool>("withRemovalAreas");
        QTest::addColumn<CanvasHit::Kind>("kind");
        QTest::addColumn<int>("index"); // into that kind's list
        // In frame points: the text covers (152..248, 86..114), shape 0
        // (180..280, 90..140), shape 1 (240..320, 110..130) and the removal
        // area (180..220, 80..120).
        QTest::newRow("a press finds the shape above the text, through the removal area")
            << QPointF(200, 100) << false << CanvasHit::shape << 0;
        QTest::newRow("the later shape lies above the earlier")
            << QPointF(250, 120) << false << CanvasHit::shape << 1;
        QTest::newRow("a double-click finds the removal area on top")
            << QPointF(200, 100) << true << CanvasHit::removal << 0;
        QTest::newRow("text alone") << QPointF(160, 100) << true << CanvasHit::text << 0;
        QTest::newRow("nothing") << QPointF(390, 190) << true << CanvasHit::none << 0;
    }
    void hitOrder()
    {
        QFETCH(QPointF, point);
        QFETCH(bool, withRemovalAreas);
        QFETCH(CanvasHit::Kind, kind);
        QFETCH(int, index);
        const QList<TextOverlay> texts{{.text = QStringLiteral("twelve chars"),
                                        .position = {0.5, 0.5},
                                        .backgroundColor = std::nullopt}};
        const QList<ShapeOverlay> shapes{
            {.startPoint = {0.45, 0.55}, .endPoint = {0.7, 0.3}, .fillColor = std::nullopt},
            {.startPoint = {0.6, 0.45}, .endPoint = {0.8, 0.35}, .fillColor = std::nullopt}};
        const QList<RemovalArea> removals{{.rect = {0.45, 0.4, 0.1, 0.2}}};
        const QList<QUuid> ids[] = {{QUuid()}, {texts[0].id}, {shapes[0].id, shapes[1].id}, {removals[0].id}};
        QCOMPARE(hitTest(point, frame.size(), texts, shapes, removals, withRemovalAreas),
                 (CanvasHit{kind, ids[kind][index]}));
    }

    // A drag's rectangle: with the remove tool the area to remove, with Shift
    // and the select tool the area whose text is read.
    void rectangleFromDrag_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<QPointF>("release");
        QTest::addColumn<std::optional<UnitRect>>("expected");
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const auto select = CanvasTool::select, remove = CanvasTool::remove;
        // Most rows drag from (200, 100) to (300, 200), a quarter of the image.
        const auto row = [](const char* name, CanvasTool tool, Qt::KeyboardModifiers modifiers,
                            std::optional<UnitRect> area, QPointF press = {200, 100},
                            QPointF release = {300, 200}) {
            QTest::newRow(name) << tool << modifiers << press << release << area;
        };
        row("removal drawn upwards, origin is still the bottom-left corner", remove, {},
            UnitRect{0.25, 0, 0.25, 0.5}, {300, 250}, {200, 150});
        row("removal wholly above the image", remove, {}, {}, {150, 0}, {400, 40});
        row("removal under one percent wide is a slip", remove, {}, {}, {200, 100}, {203, 200});
        row("removal just over one percent counts", remove, {}, UnitRect{0.25, 0.25, 0.0125, 0.5}, {200, 100},
            {205, 200});
        const UnitRect quarter{0.25, 0.25, 0.25, 0.5};
        row("select tool with Shift: the spanned part, origin bottom-left", select, shift, quarter);
        row("dragged up and left gives the same area", select, shift, quarter, {300, 200}, {200, 100});
        row("past the bottom-right corner clamps to the image", select, shift, UnitRect{0.75, 0, 0.25, 0.5},
            {400, 150}, {700, 400});
        row("Shift on the keypad still counts", select, shift | Qt::KeypadModifier, quarter);
        row("without Shift the drag is a plain one", select, {}, {});
        row("Ctrl+Shift is another gesture", select, shift | Qt::ControlModifier, {});
        row("another tool keeps its Shift-drag", CanvasTool::shape, shift, {});
        row("beside the image clamps to a line", select, shift, {}, {520, 100}, {600, 200});
        row("thinner than a line of text", select, shift, {}, {200, 100}, {300, 103});
    }
    void rectangleFromDrag()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QPointF, press);
        QFETCH(QPointF, release);
        QFETCH(std::optional<UnitRect>, expected);
        const std::optional<UnitRect> area =
            tool == CanvasTool::remove        ? removalRectFromDrag(press, release, frame)
            : startsTextArea(tool, modifiers) ? textAreaFromDrag(press, release, frame)
                                              : std::nullopt;
        QVERIFY(near(area, expected));
    }

    void checkerboard_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("square");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QColor>("background");
        const QColor white(Qt::white), dark(40, 44, 52);
        QTest::newRow("100 x 100 with 12-point squares: 8 x 8 cells")
            << QSize(100, 100) << 12.0 << 1.0 << white;
        QTest::newRow("cut-off cells at the edges are left out") << QSize(30, 13) << 6.0 << 1.0 << white;
        QTest::newRow("2x screen: the same cells, twice the pixels")
            << QSize(100, 61) << 12.0 << 2.0 << white;
        QTest::newRow("1.5x screen: cells of whole device pixels") << QSize(50, 40) << 12.0 << 1.5 << white;
        QTest::newRow("1.25x screen: cells across device pixels") << QSize(50, 40) << 12.0 << 1.25 << white;
        QTest::newRow("dark theme: the grey over the dark window colour")
            << QSize(100, 61) << 12.0 << 2.0 << dark;
    }
    void checkerboard()
    {
        QFETCH(QSize, size);
        QFETCH(double, square);
        QFETCH(double, ratio);
        QFETCH(QColor, background);
        QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black); // the backdrop must cover this
        QPainter painter(&image);
        CheckerboardPattern{square}.paint(painter, QRectF(QPointF(), QSizeF(size)), background);
        painter.end();
        // A shaded cell is the faint grey over the background, whichever way it is drawn.
        QImage reference(1, 1, QImage::Format_ARGB32_Premultiplied);
        reference.fill(background);
        QPainter(&reference).fillRect(0, 0, 1, 1, CheckerboardPattern::cellColor());
        const QRgb shadedPixel = reference.pixel(0, 0), plainPixel = background.rgb();
        // Faint grey on every other whole cell, starting top-left; the background
        // elsewhere. Pixels that a cell edge crosses are left unchecked.
        const int columns = int(size.width() / square), rows = int(size.height() / square);
        const double cell = square * ratio;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (std::floor(x / cell) != std::floor((x + 0.999) / cell) ||
                    std::floor(y / cell) != std::floor((y + 0.999) / cell))
                    continue;
                const int column = int(x / cell), row = int(y / cell);
                const bool shaded = column < columns && row < rows && (row + column) % 2 == 0;
                const QRgb pixel = image.pixel(x, y);
                const QRgb expected = shaded ? shadedPixel : plainPixel;
                if (std::abs(qRed(pixel) - qRed(expected)) > 1 ||
                    std::abs(qGreen(pixel) - qGreen(expected)) > 1 ||
                    std::abs(qBlue(pixel) - qBlue(expected)) > 1)
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
        using enum ShapeType;
        using enum Tone;
        const auto shape = CanvasTool::shape, remove = CanvasTool::remove;
        QTest::newRow("rectangle: outline") << shape << rectangle << QPoint(50, 80) << red;
        QTest::newRow("rounded rectangle: corner cut round")
            << shape << roundedRectangle << QPoint(50, 50) << white;
        QTest::newRow("ellipse: touches the sides") << shape << ellipse << QPoint(50, 80) << red;
        QTest::newRow("ellipse: not the corners") << shape << ellipse << QPoint(53, 53) << white;
        QTest::newRow("arrow: top-left to bottom-right whatever the drag")
            << shape << arrow << QPoint(100, 80) << red;
        QTest::newRow("highlight: yellow wash") << shape << highlight << QPoint(100, 80) << yellow;
        QTest::newRow("blur: grey wash") << shape << blur << QPoint(100, 80) << grey;
        QTest::newRow("remove: pale red fill") << remove << rectangle << QPoint(100, 80) << pink;
        QTest::newRow("remove: dashed red edge") << remove << rectangle << QPoint(52, 50) << red;
        QTest::newRow("remove: the dash has gaps") << remove << rectangle << QPoint(58, 50) << pink;
    }
    void dragPreview()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(ShapeType, type);
        QFETCH(QPoint, probe);
        QFETCH(Tone, tone);
        QImage image = test::solidImage(200, 160, Qt::white);
        QPainter painter(&image);
        paintDragPreview(painter, QRectF(50, 50, 100, 60), tool, type);
        painter.end();
        QCOMPARE(int(toneOf(image.pixel(probe))), int(tone));
    }

    // The outline's colour is translucent: a piece laid over another would
    // show as a darker spot, and one off the edges would miss its place.
    void outlinePiecesNeitherOverlapNorStray_data()
    {
        QTest::addColumn<QRectF>("outline");
        QTest::newRow("whole points") << QRectF(10, 20, 100, 60);
        QTest::newRow("fractional, sides not a whole number of dashes") << QRectF(3.25, 7.5, 57.3, 21.9);
        QTest::newRow("smaller than one dash") << QRectF(5, 5, 3, 2.5);
    }
    void outlinePiecesNeitherOverlapNorStray()
    {
        QFETCH(QRectF, outline);
        const std::vector<QRectF> pieces = RemovalAreaHandle::dashes(outline);
        QVERIFY(!pieces.empty());
        const QRectF band = outline.adjusted(-1, -1, 1, 1);
        for (size_t i = 0; i < pieces.size(); ++i) {
            QVERIFY(band.contains(pieces[i]));
            QVERIFY(!outline.adjusted(1, 1, -1, -1).intersects(pieces[i]));
            for (size_t j = i + 1; j < pieces.size(); ++j) {
                const QRectF both = pieces[i].intersected(pieces[j]);
                QVERIFY2(both.width() * both.height() < 1e-9,
                         qPrintable(QString("pieces %1 and %2").arg(i).arg(j)));
            }
        }
    }

    void closeSymbolShowsTheImageThroughItsCross()
    {
        const RemovalArea area{.rect = {0, 0, 1, 1}};
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
        const auto* stored = reinterpret_cast<const QRgb*>(half.constBits()); // premultiplied, row by row
        QTEST(QList<QRgb>(stored, stored + half.width() * half.height()), "expected");
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
        QCOMPARE(
            canvastest::differingPixels(shown, test::solidImage(target.width(), target.height(), Qt::blue)),
            0);
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
        QImage composed = test::solidImage(800, 500, Qt::darkCyan);
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
        QTEST(ImageDisplayBuffer::devicePixelRect(frame, ratio), "pixels");
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
        const QImage shown = view.grab().toImage();
        QCOMPARE(shown.devicePixelRatio(), 2.0);
        // Compare the middle of the image (inside any rounded corners and shadows).
        const QRect middle(QPoint(composed.width() / 4, composed.height() / 4), composed.size() / 2);
        const QImage onScreen = shown.copy(middle.translated(48, 48));
        QCOMPARE(canvastest::differingPixels(onScreen, composed.copy(middle)), 0);
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
