// Redrawing only what the annotations reached: every composition made on a
// reused buffer must equal one made from nothing, and the reach computed for
// each annotation must hold every pixel it paints.
#include "render/annotation_bounds.h"
#include "render/annotation_painter.h"
#include "render/image_processor.h"
#include "render_probe.h"

#include <QPainter>
#include <QTest>

using namespace lustrelab;

namespace {

struct Step
{
    QList<ShapeOverlay> shapes;
    QList<TextOverlay> texts;
    QList<RemovalArea> removals;
};
using Steps = QList<Step>;

// A screenshot whose every pixel differs from its neighbours, so that a
// pixel left from an earlier annotation or restored from the wrong place shows.
QImage patternedSource(int width, int height, double ratio)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 3) & 0xff, (x * 13) & 0xff, (y * 11 + x) & 0xff));
    image.setDevicePixelRatio(ratio);
    return image;
}

ShapeOverlay shapeAt(ShapeType type, UnitPoint start, UnitPoint end, double stroke = 4)
{
    ShapeOverlay shape;
    shape.shapeType = type, shape.startPoint = start, shape.endPoint = end;
    shape.strokeWidth = stroke;
    shape.strokeColor = {0, 0.8, 0.2, 0.7};
    if (type == ShapeType::rectangle || type == ShapeType::ellipse)
        shape.fillColor = CodableColor{0.9, 0.1, 0.6, 0.5};
    return shape;
}

TextOverlay textAt(const QString& content, UnitPoint position, double rotation, double size = 28)
{
    TextOverlay text;
    text.text = content, text.position = position, text.rotation = rotation, text.fontSize = size;
    text.textColor = {1, 1, 1, 1};
    return text;
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

} // namespace

Q_DECLARE_METATYPE(Steps)

class TestIncrementalAnnotations : public QObject
{
    Q_OBJECT
  private slots:
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
                textAt(QStringLiteral("Turned\nover two lines"), {0.5 + rotation / 1000, 0.5}, rotation);
            if (rotation == 135)
                text.backgroundColor = CodableColor{0, 0, 0, 0.6};
            if (rotation == -90)
                text.isRedacted = true;
            if (rotation == 45)
                text.fontSize = 60;
            texts.append({{}, {text, textAt(QStringLiteral("Wg"), {0.1, 0.9}, -rotation, 18)}, {}});
        }
        QTest::newRow("text turning, boxed, redacted, growing") << 1.0 << texts;
        QTest::newRow("text turning at ratio 2") << 2.0 << texts;

        // A removal area changes the layer below: nothing kept on the old one
        // may carry over.
        RemovalArea removal;
        removal.rect = {0.3, 0.3, 0.3, 0.3};
        const ShapeOverlay first = shapeAt(ShapeType::rectangle, {0.1, 0.1}, {0.5, 0.5});
        const ShapeOverlay second = shapeAt(ShapeType::rectangle, {0.5, 0.5}, {0.9, 0.9});
        const TextOverlay label = textAt(QStringLiteral("Note"), {0.4, 0.6}, 20);
        const Steps removals{{{first}, {label}, {}},        {{second}, {label}, {}},
                             {{first}, {label}, {removal}}, {{second}, {label}, {removal}},
                             {{first}, {}, {removal}},      {{second}, {label}, {}},
                             {{first}, {label}, {}}};
        QTest::newRow("removal area added and taken away") << 1.0 << removals;
    }
    void reusedBufferMatchesFreshComposition()
    {
        QFETCH(double, ratio);
        QFETCH(Steps, steps);
        const QImage source = patternedSource(int(240 * ratio), int(160 * ratio), ratio);
        const BeautySettings settings = plainSettings(32, Qt::darkCyan, true);
        ImageProcessor processor;
        // Like the window: only the newest output is held, so the buffers of
        // the ones before go back to the processor.
        QImage shown;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            shown = processor.compose(source, settings, step.texts, step.shapes, step.removals);
            const QImage fresh =
                ImageProcessor().compose(source, settings, step.texts, step.shapes, step.removals);
            QVERIFY(!fresh.isNull());
            const QImage actual = shown.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage expected = fresh.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (actual != expected)
                QFAIL(qPrintable(QStringLiteral("step %1 differs from a fresh composition").arg(i)));
        }
    }

    // Every pixel an annotation paints lies inside the reach computed for it.
    void reachHoldsEveryPaintedPixel_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QList<ShapeOverlay>>("shapes");
        QTest::addColumn<QList<TextOverlay>>("texts");
        ShapeOverlay thickRect = shapeAt(ShapeType::rectangle, {0.3, 0.3}, {0.5, 0.6}, 30);
        ShapeOverlay sliver = shapeAt(ShapeType::roundedRectangle, {0.3, 0.3}, {0.31, 0.7}, 20);
        ShapeOverlay diagonal = shapeAt(ShapeType::line, {0.2, 0.2}, {0.7, 0.8}, 25);
        ShapeOverlay stub = shapeAt(ShapeType::arrow, {0.5, 0.5}, {0.5, 0.5}, 10);
        ShapeOverlay twoHeads = shapeAt(ShapeType::arrow, {0.4, 0.5}, {0.42, 0.48}, 16);
        twoHeads.arrowStyle = ArrowStyle::double_;
        ShapeOverlay mosaic = shapeAt(ShapeType::blur, {0.33, 0.27}, {0.61, 0.74});
        QTest::newRow("thick mitred rectangle") << 1.0 << QList{thickRect} << QList<TextOverlay>{};
        QTest::newRow("thin rounded sliver, thick stroke") << 1.0 << QList{sliver} << QList<TextOverlay>{};
        QTest::newRow("thick diagonal line at ratio 1.25") << 1.25 << QList{diagonal} << QList<TextOverlay>{};
        QTest::newRow("arrow of no length") << 1.0 << QList{stub} << QList<TextOverlay>{};
        QTest::newRow("short double arrow at ratio 2") << 2.0 << QList{twoHeads} << QList<TextOverlay>{};
        QTest::newRow("mosaic at ratio 1.5") << 1.5 << QList{mosaic} << QList<TextOverlay>{};

        TextOverlay boxed = textAt(QStringLiteral("Boxed\nand turned"), {0.5, 0.5}, 37);
        boxed.backgroundColor = CodableColor{0, 0, 1, 1};
        TextOverlay redacted = textAt(QStringLiteral("secret"), {0.4, 0.6}, -120, 40);
        redacted.isRedacted = true;
        TextOverlay large = textAt(QStringLiteral("Wjg@"), {0.5, 0.5}, 90, 90);
        TextOverlay empty = textAt(QString(), {0.5, 0.5}, 10);
        empty.backgroundColor = CodableColor{1, 0, 0, 1};
        QTest::newRow("boxed text turned 37 degrees") << 1.0 << QList<ShapeOverlay>{} << QList{boxed};
        QTest::newRow("redacted text turned back at ratio 2")
            << 2.0 << QList<ShapeOverlay>{} << QList{redacted};
        QTest::newRow("large glyphs upright on their side") << 1.0 << QList<ShapeOverlay>{} << QList{large};
        QTest::newRow("empty text with a box") << 1.0 << QList<ShapeOverlay>{} << QList{empty};
    }
    void reachHoldsEveryPaintedPixel()
    {
        QFETCH(double, ratio);
        QFETCH(QList<ShapeOverlay>, shapes);
        QFETCH(QList<TextOverlay>, texts);
        const double width = 300, height = 200;
        QImage canvas(int(width * ratio), int(height * ratio), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        canvas.setDevicePixelRatio(ratio);
        QList<QRect> reach;
        for (const ShapeOverlay& shape : shapes)
            reach.append(boundsInPixels(shapeBounds(shape, width, height), ratio, canvas.size()));
        for (const TextOverlay& text : texts)
            reach.append(boundsInPixels(textBounds(text, &canvas, width, height), ratio, canvas.size()));
        {
            QPainter painter(&canvas);
            painter.setRenderHint(QPainter::Antialiasing);
            for (const ShapeOverlay& shape : shapes)
                drawShape(shape, painter, width, height);
            for (const TextOverlay& text : texts)
                drawText(text, painter, width, height);
        }
        int painted = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                if (qAlpha(canvas.pixel(x, y)) == 0)
                    continue;
                ++painted;
                const bool inside = std::any_of(reach.cbegin(), reach.cend(),
                                                [x, y](const QRect& r) { return r.contains(x, y); });
                if (!inside)
                    QFAIL(
                        qPrintable(QStringLiteral("pixel (%1, %2) painted outside the reach").arg(x).arg(y)));
            }
        QVERIFY(painted > 0);
    }
};

QTEST_MAIN(TestIncrementalAnnotations)
#include "tst_incremental_annotations.moc"
