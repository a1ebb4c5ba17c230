// Drawing each kind of annotation, also far beyond the canvas, where the work
// stays bounded by it. Only what the annotations reached is redrawn, so every
// composition on a reused buffer must equal one made from nothing. The newer
// kinds are probed against small reference computations (a pixelate cell is
// the mean of the pixels it covers, a highlighter multiplies).
#include "record_printers.h"
#include "render/annotation_painter.h"
#include "render/image_processor.h"
#include "render/step_marker_painter.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>
#include <type_traits>

using namespace lustrelab;

namespace {

template <typename Overlay>
QImage drawn(const Overlay& overlay, int width = 200, int height = 100, double ratio = 1.0)
{
    QImage canvas = solidImage(int(width * ratio), int(height * ratio), Qt::white, ratio);
    QPainter painter(&canvas);
    if constexpr (std::is_same_v<Overlay, ShapeOverlay>)
        drawShape(overlay, painter, width, height);
    else
        drawText(overlay, painter, width, height);
    // One painter draws every overlay in turn: each must leave it as found.
    if (painter.opacity() != 1 || !painter.transform().isIdentity())
        return QImage();
    return canvas;
}

// Red, 4 points wide; on the 200 x 100 canvas the default corners give the Qt
// rectangle x 20..120, y 20..80.
ShapeOverlay shapeOf(ShapeType type, double opacity = 1, bool blueFill = false, UnitPoint start = {0.1, 0.2},
                     UnitPoint end = {0.6, 0.8})
{
    ShapeOverlay shape;
    shape.shapeType = type, shape.startPoint = start, shape.endPoint = end;
    shape.strokeWidth = 4, shape.opacity = opacity;
    if (blueFill)
        shape.fillColor = CodableColor{0, 0, 1, 1};
    return shape;
}

ShapeOverlay arrowOf(ArrowStyle style, UnitPoint start, UnitPoint end)
{
    ShapeOverlay arrow = shapeOf(ShapeType::arrow, 1, false, start, end);
    arrow.arrowStyle = style;
    return arrow;
}

TextOverlay textOf(const QString& content, double size = 32, double rotation = 0,
                   UnitPoint position = {0.5, 0.5})
{
    TextOverlay text;
    text.text = content, text.position = position, text.fontSize = size, text.rotation = rotation;
    text.fontName = QStringLiteral("DejaVu Sans"), text.textColor = {0, 0, 0, 1};
    return text;
}

// Bounding box, in pixels, of every pixel the test calls ink.
template <typename Ink> QRect inkBounds(const QImage& image, Ink ink)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

const auto notWhite = [](QRgb p) { return qRed(p) < 195 || qGreen(p) < 195 || qBlue(p) < 195; };

// The mosaic for `rect` on a white image of `size`, shifted by `offset`, drawn
// with `visible` as the part that may show.
QImage mosaic(QSize size, QPointF offset, const QRectF& rect, const QRectF& visible)
{
    QImage image = solidImage(size.width(), size.height(), Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(offset);
    drawBlurPattern(painter, rect, visible);
    return image;
}

struct Step
{
    QList<ShapeOverlay> shapes;
    QList<TextOverlay> texts;
    QList<RemovalArea> removals;
};
using Steps = QList<Step>;

ShapeOverlay shapeAt(ShapeType type, UnitPoint start, UnitPoint end, double stroke = 4)
{
    ShapeOverlay shape;
    shape.shapeType = type, shape.startPoint = start, shape.endPoint = end, shape.strokeWidth = stroke;
    shape.strokeColor = {0, 0.8, 0.2, 0.7};
    if (type == ShapeType::rectangle || type == ShapeType::ellipse)
        shape.fillColor = CodableColor{0.9, 0.1, 0.6, 0.5};
    return shape;
}

// One shape dragged in a few steps: a small move, a jump across the canvas,
// a thicker stroke, off the edge, away and back.
Steps dragOf(ShapeType type)
{
    Steps steps;
    const QList<std::pair<UnitPoint, UnitPoint>> places{
        {{0.2, 0.2}, {0.5, 0.6}}, {{0.22, 0.21}, {0.52, 0.61}}, {{0.6, 0.1}, {0.9, 0.4}},
        {{0.6, 0.1}, {0.9, 0.4}}, {{0.8, 0.7}, {1.1, 1.05}},    {{0.05, 0.9}, {0.3, 0.5}}};
    for (qsizetype i = 0; i < places.size(); ++i)
        steps.append({{shapeAt(type, places[i].first, places[i].second, i == 3 ? 14 : 4)}, {}, {}});
    steps.append(Step{});
    steps.append({{shapeAt(type, {0.4, 0.4}, {0.45, 0.42})}, {}, {}});
    steps.append({{shapeAt(type, {0.1, 0.8}, {0.3, 0.2})}, {}, {}});
    return steps;
}

QColor meanOf(const QImage& image, const QRect& pixels)
{
    qint64 r = 0, g = 0, b = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p);
        }
    const qint64 n = qint64(pixels.width()) * pixels.height();
    return QColor(int((r + n / 2) / n), int((g + n / 2) / n), int((b + n / 2) / n));
}

ShapeOverlay editorShape(ShapeType type, UnitPoint start, UnitPoint end)
{
    ShapeOverlay s = freshShape(type);
    s.startPoint = start;
    s.endPoint = end;
    return s;
}

QImage composeShapes(const QImage& source, const QList<ShapeOverlay>& shapes)
{
    return ImageProcessor().process(source, plainSettings(0), {.shapeOverlays = shapes});
}

} // namespace

Q_DECLARE_METATYPE(ShapeType)
Q_DECLARE_METATYPE(UnitPoint)

Q_DECLARE_METATYPE(Steps)

Q_DECLARE_METATYPE(lustrelab::SpotlightShape)

class TestAnnotations : public QObject
{
    Q_OBJECT
  private slots:
    void shapeProbes_data()
    {
        QTest::addColumn<ShapeOverlay>("shape");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("expected");
        using enum ShapeType;
        using enum ArrowStyle;
        const QColor white(Qt::white), red(Qt::red), blue(Qt::blue);
        const ShapeOverlay rect = shapeOf(rectangle), filled = shapeOf(rectangle, 1, true);
        const ShapeOverlay across = shapeOf(line, 1, false, {0.1, 0.5}, {0.9, 0.5});
        QTest::newRow("rectangle corner stays square") << rect << QPoint(18, 18) << red;
        QTest::newRow("rectangle with fill") << filled << QPoint(70, 50) << blue;
        QTest::newRow("corners in either order")
            << shapeOf(rectangle, 1, false, {0.6, 0.8}, {0.1, 0.2}) << QPoint(119, 79) << red;
        QTest::newRow("opacity dims the stroke")
            << shapeOf(rectangle, 0.5) << QPoint(19, 50) << QColor(255, 128, 128);
        // Radius min(100, 60) x 0.15 = 9: the corner pixel lies outside the stroke.
        QTest::newRow("rounded corner is cut") << shapeOf(roundedRectangle) << QPoint(19, 19) << white;
        QTest::newRow("ellipse leaves the corner") << shapeOf(ellipse, 1, true) << QPoint(24, 24) << white;
        QTest::newRow("line") << across << QPoint(100, 49) << red;
        // Yellow at 0.4 over white leaves blue at 0.6; at opacity 0.5, 0.8.
        QTest::newRow("highlight ignores stroke")
            << shapeOf(highlight) << QPoint(20, 50) << QColor(255, 255, 153);
        QTest::newRow("highlight at half opacity")
            << shapeOf(highlight, 0.5) << QPoint(70, 50) << QColor(255, 255, 204);
        // Blur over Qt x 20..40, y 68..80: 8-point cells counted from the
        // bottom-left, the top row and right column cut short; fill ignored.
        const ShapeOverlay cells = shapeOf(blur, 1, true, {0.1, 0.2}, {0.2, 0.32});
        const auto grey = [](float level) { return QColor::fromRgbF(level, level, level); };
        QTest::newRow("blur first cell light") << cells << QPoint(27, 79) << grey(0.73f);
        QTest::newRow("blur second cell dark") << cells << QPoint(28, 72) << grey(0.55f);
        QTest::newRow("blur cut corner") << cells << QPoint(39, 68) << grey(0.55f);
        QTest::newRow("beside the blur") << cells << QPoint(40, 70) << white;
        QTest::newRow("blur at half opacity")
            << shapeOf(blur, 0.5, false, {0.1, 0.2}, {0.2, 0.32}) << QPoint(30, 75) << grey(0.775f);
        // Arrows from Qt (40, 50) to (160, 50): heads 2 x 4 + 15 long at 30
        // degrees, so a barb's midpoint lies 9.96 back along the shaft and 5.75 aside.
        const UnitPoint left{0.2, 0.5}, right{0.8, 0.5}, centre{0.5, 0.5};
        const ShapeOverlay oneHead = arrowOf(single, left, right), both = arrowOf(double_, left, right);
        QTest::newRow("arrow head at the end") << oneHead << QPoint(150, 55) << red;
        QTest::newRow("arrow without a start head") << oneHead << QPoint(50, 44) << white;
        QTest::newRow("double arrow start head") << both << QPoint(50, 44) << red;
        QTest::newRow("double arrow head not reversed") << both << QPoint(30, 44) << white;
        QTest::newRow("arrow style none") << arrowOf(none, left, right) << QPoint(150, 44) << white;
        QTest::newRow("arrow pointing up, Qt (100, 80) to (100, 20)")
            << arrowOf(single, {0.5, 0.2}, {0.5, 0.8}) << QPoint(94, 29) << red;
        QTest::newRow("zero-length arrow points right")
            << arrowOf(single, centre, centre) << QPoint(90, 44) << red;
    }
    void shapeProbes()
    {
        QFETCH(ShapeOverlay, shape);
        QFETCH(QPoint, point);
        QFETCH(QColor, expected);
        VERIFY_NEAR(drawn(shape).pixelColor(point), expected, 2);
    }

    void redaction_data()
    {
        QTest::addColumn<bool>("withBackground");
        QTest::newRow("plain") << false;
        QTest::newRow("over a background") << true;
    }
    void redaction()
    {
        QFETCH(bool, withBackground);
        TextOverlay text = textOf(QStringLiteral("Secret\nname"));
        text.textColor = {1, 0, 0, 1};
        text.isRedacted = true;
        if (withBackground)
            text.backgroundColor = CodableColor{0, 0, 1, 1};
        const QImage canvas = drawn(text, 300, 200);
        const QRect black =
            inkBounds(canvas, [](QRgb p) { return qRed(p) < 30 && qGreen(p) < 30 && qBlue(p) < 30; });
        QVERIFY(black.width() > 40 && black.height() > 60); // two lines of 32-point text
        // Solid black inside (edges may be antialiased), no glyph colour anywhere.
        for (int y = black.top() + 1; y < black.bottom(); ++y)
            for (int x = black.left() + 1; x < black.right(); ++x)
                QCOMPARE(canvas.pixel(x, y), qRgb(0, 0, 0));
        QVERIFY(inkBounds(canvas, [](QRgb p) { return qRed(p) > 100 && qGreen(p) < 100; }).isNull());
        // The background box is 4 points wider on each side and 2 taller.
        const QRect all = inkBounds(canvas, notWhite);
        QVERIFY(std::abs(all.width() - black.width() - (withBackground ? 8 : 0)) <= 2);
        QVERIFY(std::abs(all.height() - black.height() - (withBackground ? 4 : 0)) <= 2);
    }

    void rotation_data()
    {
        QTest::addColumn<double>("rotation");
        QTest::addColumn<int>("heavierHalf"); // -1 upper or left, +1 lower or right
        QTest::newRow("level reads left to right") << 0.0 << -1;
        QTest::newRow("90 reads bottom to top") << 90.0 << +1;
        QTest::newRow("-90 reads top to bottom") << -90.0 << -1;
    }
    void rotation()
    {
        QFETCH(double, rotation);
        const bool tall = rotation != 0;
        TextOverlay text = textOf(QStringLiteral("WWWWW....."), 24, rotation);
        text.opacity = 0.6; // the painter's opacity must come back too
        const QImage canvas = drawn(text, 300, 300);
        const QRect ink = inkBounds(canvas, notWhite);
        QCOMPARE(ink.height() > ink.width(), tall);
        // Turned about its own centre; the heavy "W"s mark where the text begins.
        QVERIFY(std::abs(ink.center().x() - 150) < 20 && std::abs(ink.center().y() - 150) < 20);
        int first = 0, second = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (notWhite(canvas.pixel(x, y)))
                    ++((tall ? y : x) < 150 ? first : second);
        QTEST(first > second ? -1 : +1, "heavierHalf");
    }

    void sizeIsInCanvasPoints()
    {
        // DejaVu's capitals are 0.73 em tall: 29 points at size 40 (not 39, as
        // a size read at 96 dots per inch would give), at either ratio.
        for (double ratio : {1.0, 2.0}) {
            const double capHeight =
                inkBounds(drawn(textOf("H", 40), 200, 100, ratio), notWhite).height() / ratio;
            QVERIFY2(capHeight > 27 && capHeight < 32, qPrintable(QString::number(capHeight)));
        }
    }

    // Drawing only the visible cells gives the same pixels as drawing the whole
    // rectangle on a larger surface: the cells keep their place and colour.
    void mosaicCutToTheCanvasKeepsItsCells_data()
    {
        QTest::addColumn<QRectF>("rect"); // Qt coordinates of a 96 x 64 canvas
        QTest::newRow("past the left and bottom edges") << QRectF(-21, 30, 70, 50);
        QTest::newRow("past the top and right edges") << QRectF(50, -13.5, 60, 40);
        QTest::newRow("around the whole canvas, fractional corner") << QRectF(-37.25, -29.5, 180, 130);
        QTest::newRow("inside, fractional cells") << QRectF(10.5, 7.25, 33, 21);
    }
    void mosaicCutToTheCanvasKeepsItsCells()
    {
        QFETCH(QRectF, rect);
        const QSize canvas(96, 64);
        const QPointF margin(200, 200);
        const QImage cut = mosaic(canvas, {}, rect, QRectF(QPointF(0, 0), canvas));
        const QImage whole = mosaic(canvas + QSize(400, 400), margin, rect, rect.adjusted(-1, -1, 1, 1))
                                 .copy(QRect(margin.toPoint(), canvas));
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (!near(cut.pixelColor(x, y), whole.pixelColor(x, y), 1))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
    }

    // A hand-edited document may place a shape anywhere. Composition still
    // ends, with the canvas covered where the shape covers it and untouched
    // where it does not.
    void shapesFarOffTheCanvasStillCompose_data()
    {
        QTest::addColumn<ShapeType>("type");
        QTest::addColumn<UnitPoint>("start");
        QTest::addColumn<UnitPoint>("end");
        QTest::addColumn<bool>("coversCanvas");
        const ShapeType blur = ShapeType::blur;
        QTest::newRow("blur at x 1e15") << blur << UnitPoint(1e15, 0.2) << UnitPoint(1e15 + 1, 0.8) << false;
        QTest::newRow("blur from -1e15 to 1e15")
            << blur << UnitPoint(-1e15, -1e15) << UnitPoint(1e15, 1e15) << true;
        QTest::newRow("blur ten thousand canvases wide")
            << blur << UnitPoint(-5000, -5000) << UnitPoint(5000, 5000) << true;
        QTest::newRow("blur with an infinite corner")
            << blur << UnitPoint(-INFINITY, 0) << UnitPoint(1, 1) << false;
        QTest::newRow("highlight ten thousand canvases wide")
            << ShapeType::highlight << UnitPoint(-5000, -5000) << UnitPoint(5000, 5000) << true;
    }
    void shapesFarOffTheCanvasStillCompose()
    {
        QFETCH(ShapeType, type);
        QFETCH(UnitPoint, start);
        QFETCH(UnitPoint, end);
        const QImage source = solidImage(120, 80, Qt::black);
        const QImage out = composeShapes(source, {shapeOf(type, 1, false, start, end)});
        QCOMPARE(out.size(), source.size());
        QTEST(out.pixelColor(60, 40) != QColor(Qt::black), "coversCanvas");
    }

    void reusedBufferMatchesFreshComposition_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<Steps>("steps");
        for (const auto& [type, name] : RawValues<ShapeType>::cases) // every kind of shape
            for (const double ratio : {1.0, 1.5})
                QTest::addRow("%s dragged at ratio %g", name, ratio) << ratio << dragOf(type);

        Steps arrows;
        for (const double x : {0.3, 0.32, 0.7}) {
            ShapeOverlay shortThick = shapeAt(ShapeType::arrow, {x, 0.5}, {x + 0.01, 0.52}, 12);
            shortThick.arrowStyle = ArrowStyle::double_;
            arrows.append({{shortThick, shapeAt(ShapeType::arrow, {0.9, 0.1}, {x, 0.9}, 2)}, {}, {}});
        }
        QTest::newRow("short thick double arrow and a long one at ratio 2") << 2.0 << arrows;

        Steps texts;
        for (const double rotation : {0.0, 30.0, 30.0, 135.0, -90.0, 45.0}) {
            TextOverlay text =
                textOf(QStringLiteral("Turned\nover two lines"), 28, rotation, {0.5 + rotation / 1000, 0.5});
            if (rotation == 135)
                text.backgroundColor = CodableColor{0, 0, 0, 0.6};
            if (rotation == -90)
                text.isRedacted = true;
            if (rotation == 45)
                text.fontSize = 60;
            texts.append({{}, {text, textOf(QStringLiteral("Wg"), 18, -rotation, {0.1, 0.9})}, {}});
        }
        QTest::newRow("text turning, boxed, redacted, growing") << 1.0 << texts;
        QTest::newRow("text turning at ratio 2") << 2.0 << texts;

        // A removal area changes the layer below: nothing kept on the old one
        // may carry over.
        const RemovalArea removal{.rect = {0.3, 0.3, 0.3, 0.3}};
        const ShapeOverlay first = shapeAt(ShapeType::rectangle, {0.1, 0.1}, {0.5, 0.5});
        const ShapeOverlay second = shapeAt(ShapeType::rectangle, {0.5, 0.5}, {0.9, 0.9});
        const TextOverlay label = textOf(QStringLiteral("Note"), 28, 20, {0.4, 0.6});
        const Steps removals{{{first}, {label}, {}},        {{second}, {label}, {}},
                             {{first}, {label}, {removal}}, {{second}, {label}, {removal}},
                             {{first}, {}, {removal}},      {{second}, {label}, {}},
                             {{first}, {label}, {}}};
        QTest::newRow("removal area added and taken away") << 1.0 << removals;

        // Marks that reach far from their corners, each taken away again: any
        // pixel painted outside the reach computed for it is left behind.
        ShapeOverlay twoHeads = shapeAt(ShapeType::arrow, {0.4, 0.5}, {0.42, 0.48}, 16);
        twoHeads.arrowStyle = ArrowStyle::double_;
        TextOverlay boxed = textOf(QStringLiteral("Boxed\nand turned"), 28, 37);
        boxed.backgroundColor = CodableColor{0, 0, 1, 1};
        TextOverlay redacted = textOf(QStringLiteral("secret"), 40, -120, {0.4, 0.6});
        redacted.isRedacted = true;
        TextOverlay empty = textOf(QString(), 28, 10);
        empty.backgroundColor = CodableColor{1, 0, 0, 1};
        const Steps reaching{{{shapeAt(ShapeType::rectangle, {0.3, 0.3}, {0.5, 0.6}, 30)}, {}, {}},
                             {{shapeAt(ShapeType::roundedRectangle, {0.3, 0.3}, {0.31, 0.7}, 20)}, {}, {}},
                             {{shapeAt(ShapeType::line, {0.2, 0.2}, {0.7, 0.8}, 25)}, {}, {}},
                             {{shapeAt(ShapeType::arrow, {0.5, 0.5}, {0.5, 0.5}, 10)}, {}, {}},
                             {{twoHeads}, {}, {}},
                             {{shapeAt(ShapeType::blur, {0.33, 0.27}, {0.61, 0.74})}, {}, {}},
                             {{}, {boxed}, {}},
                             {{}, {redacted}, {}},
                             {{}, {textOf(QStringLiteral("Wjg@"), 90, 90)}, {}},
                             {{}, {empty}, {}}};
        Steps reachingAndGone;
        for (const Step& step : reaching)
            reachingAndGone << step << Step{};
        reachingAndGone << reaching.first(); // the next buffer shows what the last one left
        for (const double ratio : {1.0, 1.25, 1.5, 2.0})
            QTest::addRow("far-reaching marks at ratio %g", ratio) << ratio << reachingAndGone;
    }
    void reusedBufferMatchesFreshComposition()
    {
        QFETCH(double, ratio);
        QFETCH(Steps, steps);
        // Every pixel differs from its neighbours: one left from an earlier
        // annotation or restored from the wrong place shows.
        const QImage source = patternImage(int(240 * ratio), int(160 * ratio), ratio);
        const BeautySettings settings = plainSettings(32, Qt::darkCyan, true);
        ImageProcessor processor;
        // Like the window: only the newest output is held, so the buffers of
        // the ones before go back to the processor.
        QImage shown;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            shown = processor.compose(
                source, settings,
                {.textOverlays = step.texts, .shapeOverlays = step.shapes, .removalAreas = step.removals});
            const QImage fresh = ImageProcessor().compose(
                source, settings,
                {.textOverlays = step.texts, .shapeOverlays = step.shapes, .removalAreas = step.removals});
            QVERIFY(!fresh.isNull());
            const auto format = QImage::Format_ARGB32_Premultiplied;
            if (shown.convertToFormat(format) != fresh.convertToFormat(format))
                QFAIL(qPrintable(QStringLiteral("step %1 differs from a fresh composition").arg(i)));
        }
    }

    // A 120 x 80 point canvas (the screenshot, no padding); the pixelate area
    // spans x 12..72 and y 8..64 points from the top, so its cells of 10 count
    // from its bottom-left corner (12, 64) and the top row is cut to 6 points.
    void pixelateCellIsTheMeanOfItsPixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRectF>("cell");      // points, Qt's y-down
        QTest::addColumn<bool>("redactFirst"); // a black box over part of the area, drawn before it
        QTest::newRow("bottom-left cell") << 1.0 << QRectF(12, 54, 10, 10) << false;
        QTest::newRow("cell cut at the top") << 1.0 << QRectF(32, 8, 10, 6) << false;
        QTest::newRow("cell cut at the right") << 1.0 << QRectF(62, 44, 10, 10) << false;
        QTest::newRow("at ratio 2 the cells are 20 pixels") << 2.0 << QRectF(22, 44, 10, 10) << false;
        QTest::newRow("a shape drawn before it is pixelated too") << 1.0 << QRectF(12, 54, 10, 10) << true;
    }
    void pixelateCellIsTheMeanOfItsPixels()
    {
        QFETCH(double, ratio);
        QFETCH(QRectF, cell);
        QFETCH(bool, redactFirst);
        const QImage source = patternImage(int(120 * ratio), int(80 * ratio), ratio);
        QList<ShapeOverlay> shapes;
        QImage reference = source.convertToFormat(QImage::Format_ARGB32);
        if (redactFirst) {
            // Blue over x 0..17 and y 0..60 points: part of the first cell,
            // opaque whatever the box's opacity and its fill's.
            ShapeOverlay redact = editorShape(ShapeType::redact, {0, 0.25}, {17.0 / 120, 1});
            redact.opacity = 0.3;
            redact.fillColor = CodableColor{0, 0, 1, 0.2};
            shapes.append(redact);
            QPainter painter(&reference);
            painter.fillRect(QRectF(0, 0, 17, 60), Qt::blue);
        }
        ShapeOverlay pixelate = editorShape(ShapeType::pixelate, {0.1, 0.2}, {0.6, 0.9});
        pixelate.cellSize = 10;
        shapes.append(pixelate);
        const QImage out = composeShapes(source, shapes);
        QCOMPARE(out.size(), source.size());

        const QRect pixels(QPoint(int(cell.left() * ratio), int(cell.top() * ratio)),
                           QSize(int(cell.width() * ratio), int(cell.height() * ratio)));
        const QColor expected = meanOf(reference, pixels);
        for (const QPoint probe : {pixels.topLeft(), pixels.bottomRight(), pixels.center()})
            VERIFY_NEAR(out.pixelColor(probe), expected, 1);
        // Just outside the area the screenshot is untouched.
        const QPoint outside(int(11 * ratio), int(60 * ratio));
        QCOMPARE(out.pixelColor(outside), reference.pixelColor(outside));
    }

    void cropComposesOnlyTheKeptPixels_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("ratio 1") << 1.0;
        QTest::newRow("ratio 2") << 2.0;
    }
    void cropComposesOnlyTheKeptPixels()
    {
        QFETCH(double, ratio);
        // The middle half of the top half: x 30..90 and y 0..40 points from the top.
        const QImage source = patternImage(int(120 * ratio), int(80 * ratio), ratio);
        const QImage out =
            ImageProcessor().process(source, plainSettings(0), {.crop = UnitRect{0.25, 0.5, 0.5, 0.5}});
        QCOMPARE(out.size(), QSize(int(60 * ratio), int(40 * ratio)));
        QCOMPARE(out.pixel(0, 0), source.pixel(int(30 * ratio), 0));
        QCOMPARE(out.pixel(out.width() - 1, out.height() - 1),
                 source.pixel(int(90 * ratio) - 1, int(40 * ratio) - 1));
        QCOMPARE(source.size(), QSize(int(120 * ratio), int(80 * ratio))); // the source stays whole
    }

    void highlighterMultiplies_data()
    {
        QTest::addColumn<double>("opacity");
        QTest::newRow("light paper, opaque") << 1.0;
        QTest::newRow("light paper, half") << 0.5;
    }
    void highlighterMultiplies()
    {
        QFETCH(double, opacity);
        const QColor below(200, 150, 100);
        PenStroke stroke = freshPenStroke(true);
        stroke.points = {{0.1, 0.5}, {0.9, 0.5}}, stroke.color = {1, 0.5, 0.25, 1}, stroke.width = 20;
        stroke.opacity = opacity;
        const QImage out =
            ImageProcessor().process(solidImage(100, 60, below), plainSettings(0), {.penStrokes = {stroke}});
        // Multiplying at opacity a: below x (1 - a + a x ink), per channel.
        auto channel = [&](int value, double ink) { return qRound(value * (1 - opacity + opacity * ink)); };
        const QColor expected(channel(below.red(), 1), channel(below.green(), 0.5),
                              channel(below.blue(), 0.25));
        VERIFY_NEAR(out.pixelColor(50, 30), expected, 2);
        QCOMPARE(out.pixelColor(50, 5), below); // beside the stroke
    }

    void spotlightDimsOutsideOnly_data()
    {
        QTest::addColumn<SpotlightShape>("outline");
        QTest::newRow("rectangle") << SpotlightShape::rectangle;
        QTest::newRow("ellipse") << SpotlightShape::ellipse;
    }
    void spotlightDimsOutsideOnly()
    {
        QFETCH(SpotlightShape, outline);
        const QColor grey(200, 200, 200);
        ShapeOverlay spotlight = editorShape(ShapeType::spotlight, {0.25, 0.25}, {0.75, 0.75});
        spotlight.spotlightShape = outline;
        const QImage out = composeShapes(solidImage(200, 100, grey), {spotlight});
        const QColor dimmed(80, 80, 80); // black at the editor's 0.6 over 200
        VERIFY_NEAR(out.pixelColor(10, 10), dimmed, 1);
        VERIFY_NEAR(out.pixelColor(190, 90), dimmed, 1);
        // Inside the outline (a pixel in from its antialiased edge) nothing changes at all.
        const QRectF bright(50, 25, 100, 50);
        for (int y = 26; y < 74; ++y)
            for (int x = 51; x < 149; ++x) {
                const QPointF centre(x + 0.5, y + 0.5);
                const QPointF d = centre - bright.center();
                const bool inside = outline == SpotlightShape::rectangle ||
                                    std::pow(d.x() / 49, 2) + std::pow(d.y() / 24, 2) <= 1;
                if (inside && out.pixelColor(x, y) != grey)
                    QFAIL(qPrintable(QStringLiteral("dimmed inside at %1, %2").arg(x).arg(y)));
            }
        // The rectangle's corner lies outside the ellipse.
        VERIFY_NEAR(out.pixelColor(53, 27), outline == SpotlightShape::ellipse ? dimmed : grey, 1);
    }

    void numberColourFollowsTheFill_data()
    {
        QTest::addColumn<QColor>("fill");
        QTest::addColumn<QColor>("number");
        QTest::newRow("yellow") << QColor(255, 214, 10) << QColor(Qt::black);
        QTest::newRow("light green") << QColor(120, 220, 120) << QColor(Qt::black);
        QTest::newRow("the default red") << QColor::fromRgbF(0.8f, 0.1f, 0.1f) << QColor(Qt::white);
        QTest::newRow("navy") << QColor(28, 63, 170) << QColor(Qt::white);
    }
    void numberColourFollowsTheFill()
    {
        QFETCH(QColor, fill);
        QFETCH(QColor, number);
        StepMarker marker;
        marker.color = CodableColor::fromPlatformColor(fill), marker.position = {0.5, 0.5}, marker.size = 60;
        marker.number = 4;
        QCOMPARE(markerNumberColor(marker.color), number);
        // The number is drawn in it, and its glyphs sit in the circle's middle.
        const QImage out = ImageProcessor().process(solidImage(100, 100, QColor(128, 0, 128)),
                                                    plainSettings(0), {.stepMarkers = {marker}});
        QRect glyphs;
        for (int y = 25; y < 75; ++y)
            for (int x = 25; x < 75; ++x)
                if (near(out.pixelColor(x, y), number, 8))
                    glyphs |= QRect(x, y, 1, 1);
        QVERIFY(glyphs.height() > 20); // legible: about half the diameter
        const QPointF centre = QRectF(glyphs).center();
        QVERIFY2(std::abs(centre.x() - 50) <= 1.5 && std::abs(centre.y() - 50) <= 1.5,
                 qPrintable(QStringLiteral("glyphs centred at %1, %2").arg(centre.x()).arg(centre.y())));
        VERIFY_NEAR(out.pixelColor(50, 24), fill, 2); // the circle's rim
    }

    void markerTailPointsAtItsEnd()
    {
        StepMarker marker;
        // On the middle of pixel row 50.
        marker.position = {0.25, 0.495}, marker.size = 20, marker.tailPoint = UnitPoint{0.75, 0.495};
        marker.color = {0, 0, 0, 1};
        const QImage out = ImageProcessor().process(solidImage(200, 100, Qt::white), plainSettings(0),
                                                    {.stepMarkers = {marker}});
        // The wedge narrows from the circle to the tip at x = 150.
        QCOMPARE(out.pixelColor(100, 50), QColor(Qt::black));
        QCOMPARE(out.pixelColor(120, 50), QColor(Qt::black));
        QCOMPARE(out.pixelColor(153, 50), QColor(Qt::white));
        QCOMPARE(out.pixelColor(100, 56), QColor(Qt::white)); // narrower than the circle by now
    }
};

QTEST_MAIN(TestAnnotations)
#include "tst_annotations.moc"
