// Drawing each kind of annotation, including geometry far beyond the canvas:
// the work stays bounded by the canvas and the cells of a mosaic keep their place.
#include "render/annotation_painter.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>
#include <type_traits>

using namespace lustrelab;
Q_DECLARE_METATYPE(ShapeType)
Q_DECLARE_METATYPE(UnitPoint)

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

TextOverlay textOf(const QString& content, double size = 32, double rotation = 0)
{
    TextOverlay text;
    text.text = content, text.fontName = QStringLiteral("DejaVu Sans"), text.fontSize = size;
    text.textColor = {0, 0, 0, 1}, text.rotation = rotation;
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

} // namespace

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
        QFETCH(int, heavierHalf);
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
        QCOMPARE(first > second ? -1 : +1, heavierHalf);
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
        QFETCH(bool, coversCanvas);
        const QImage source = solidImage(120, 80, Qt::black);
        const QImage out =
            ImageProcessor().process(source, plainSettings(0), {}, {shapeOf(type, 1, false, start, end)}, {});
        QCOMPARE(out.size(), source.size());
        QCOMPARE(out.pixelColor(60, 40) != QColor(Qt::black), coversCanvas);
    }
};

QTEST_MAIN(TestAnnotations)
#include "tst_annotations.moc"
