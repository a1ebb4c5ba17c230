// The canvas's tools as plain objects: a press, moves and a release over a
// scene built by hand, and the edits they answer with. The widget that
// routes real mouse events to them is driven in tst_canvas_view.
#include "canvas/canvas_coordinates.h"
#include "canvas/crop_tool.h"
#include "canvas/pointer_tool.h"
#include "canvas_fixtures.h"
#include "model/polyline_simplification.h"
#include "record_printers.h"

#include <QPainter>

using namespace lustrelab;
using namespace lustrelab::canvas;

namespace {

// The image frame: 400 x 200 points, 100 in from the left and 50 down, at
// one frame point per image point.
const QRectF frame(100, 50, 400, 200);

QPointF at(UnitPoint u)
{
    return unitToCanvas(u, frame);
}

// A text at the middle, a shape from (0.1, 0.1) to (0.2, 0.2), a removal
// area from (0.6, 0.1) to (0.8, 0.3), a marker at (0.3, 0.8) with its tail
// at (0.3, 0.95), and a pen stroke bent like a V at the top right.
struct Scene
{
    TextOverlay text{.text = QStringLiteral("Caption"), .backgroundColor = std::nullopt};
    ShapeOverlay shape{.startPoint = {0.1, 0.1}, .endPoint = {0.2, 0.2}, .fillColor = std::nullopt};
    RemovalArea area{.rect = {0.6, 0.1, 0.2, 0.2}};
    StepMarker marker{.position = {0.3, 0.8}, .number = 4, .tailPoint = UnitPoint{0.3, 0.95}};
    PenStroke stroke{.points = {{0.7, 0.9}, {0.8, 0.6}, {0.9, 0.9}}}; // a fresh pen's look

    ToolScene tools(bool withImage = true) const
    {
        ToolScene scene;
        if (!withImage)
            return scene;
        scene.frame = frame;
        scene.hasImage = scene.canDragOut = true;
        scene.annotations = {{text}, {shape}, {area}, {marker}, {stroke}, std::nullopt};
        scene.shapeType = ShapeType::spotlight;
        return scene;
    }
};
const Scene& scene()
{
    static const Scene s;
    return s;
}

// What an edit says (its kind's index and its fields), new records' ids
// left out; numbers as QDebug prints them, so a last-digit rounding is no
// difference.
QString describe(const ToolEdit& edit)
{
    QString text;
    QDebug out(&text);
    out << edit.index();
    std::visit(
        [&](const auto& e) {
            if constexpr (requires { e.record; })
                std::visit(
                    [&](auto r) {
                        if (std::holds_alternative<edit::Add>(edit))
                            r.id = QUuid();
                        out << r;
                    },
                    e.record);
            if constexpr (requires { e.id; })
                out << e.id;
            if constexpr (requires { e.ref; })
                out << int(e.ref.kind) << e.ref.id;
            if constexpr (requires { e.crop; })
                out << e.crop;
            if constexpr (requires { e.area; })
                out << e.area;
        },
        edit);
    return text;
}

enum class Press { plain, twice, endingAnEdit, onAnEmptyTab };

// A press at the path's first point, a move to each later point and the
// release at the last, as the view hands them over: the edits made, the
// steps of a move as the last.
QStringList gesture(PointerTool& tool, const ToolScene& scene, const QList<QPointF>& path,
                    Press press = Press::plain)
{
    QList<ToolOutcome> outcomes{press == Press::twice
                                    ? tool.doublePress(path.first(), scene)
                                    : tool.press({path.first(), {}, press == Press::endingAnEdit}, scene)};
    for (qsizetype i = 1; i < path.size(); ++i)
        outcomes << tool.move(path[i], scene);
    outcomes << tool.move(path.last(), scene) << tool.release(path.last(), scene);
    QStringList edits;
    bool moving = false;
    for (const ToolOutcome& outcome : outcomes)
        if (outcome.edit) {
            if (std::exchange(moving, std::holds_alternative<edit::Move>(*outcome.edit)) && moving)
                edits.removeLast();
            edits << describe(*outcome.edit);
        }
    return edits;
}

QList<QPointF> straight(QPointF from, QPointF to, int steps = 4)
{
    QList<QPointF> path{from};
    for (int i = 1; i <= steps; ++i)
        path << from + (to - from) * i / steps;
    return path;
}

} // namespace

Q_DECLARE_METATYPE(QList<QPointF>)

class TestToolGestures : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home; // fresh texts resolve their font through the settings

  private slots:
    void gestures_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<QList<QPointF>>("path"); // canvas points
        QTest::addColumn<Press>("press");
        QTest::addColumn<QStringList>("edits");
        const Scene& s = scene();
        const auto row = [](const char* name, CanvasTool tool, const QList<QPointF>& path,
                            const QList<ToolEdit>& edits, Press press = Press::plain) {
            QStringList described;
            for (const ToolEdit& e : edits)
                described << describe(e);
            QTest::newRow(name) << tool << path << press << described;
        };
        const auto click = [](UnitPoint u) { return QList<QPointF>{at(u)}; };
        const auto select = CanvasTool::select;
        const auto selected = [](AnnotationKind kind, QUuid id) { return edit::Select{{kind, id}}; };
        const edit::ClearSelection cleared;

        row("a click on the text selects it", select, click({0.5, 0.5}),
            {selected(AnnotationKind::text, s.text.id)});
        row("a shape nudged under 10 points is selected, not moved", select,
            {at({0.15, 0.15}), at({0.15, 0.15}) + QPointF(6, 6)},
            {selected(AnnotationKind::shape, s.shape.id)});
        row("a click on a removal area looks through it", select, click({0.7, 0.2}), {cleared});
        row("a double-click on a removal area deletes it", select, click({0.7, 0.2}),
            {edit::DeleteRemoval{s.area.id}}, Press::twice);
        row("a double-click on the text edits it, with the crop tool too", CanvasTool::crop,
            click({0.5, 0.5}), {edit::EditText{s.text.id}}, Press::twice);
        row("a double-click on a marker is a press on it", select, click({0.3, 0.8}),
            {selected(AnnotationKind::marker, s.marker.id)}, Press::twice);
        row("a click inside the V of a stroke misses it", select, click({0.8, 0.85}), {cleared});
        row("a click on the stroke's curve selects it", select, click({0.8, 0.6}),
            {selected(AnnotationKind::stroke, s.stroke.id)});
        row("a drag from the empty image carries the image out", select,
            straight(at({0.4, 0.3}), at({0.5, 0.2})), {edit::DragImageOut{}});
        row("a drag from beside the image does nothing", select, straight({50, 100}, {300, 150}), {});
        // Moves with any tool but the drawing ones: each row's record is where the drag puts it.
        TextOverlay text = s.text;
        text.position = {0.8, 1};
        row("the text dragged against the top edge stops there", CanvasTool::shape,
            straight(at({0.5, 0.5}), at({0.5, 0.5}) + QPointF(120, -200), 6),
            {edit::Move{text}, edit::End{}});
        ShapeOverlay shape = s.shape;
        std::tie(shape.startPoint, shape.endPoint) = std::pair(UnitPoint{0, 0.3}, UnitPoint{0.05, 0.4});
        row("a shape pushed against the left edge is squeezed", CanvasTool::remove,
            straight(at({0.15, 0.15}), at({0.15, 0.15}) + QPointF(-60, -40)),
            {edit::Move{shape}, edit::End{}});
        StepMarker marker = s.marker;
        std::tie(marker.position, marker.tailPoint) = std::pair(UnitPoint{0.3, 0.85}, UnitPoint{0.3, 1});
        row("a marker pushed against the top edge stops as a whole", CanvasTool::text,
            straight(at({0.3, 0.8}), at({0.3, 0.8}) + QPointF(0, -40)), {edit::Move{marker}, edit::End{}});
        PenStroke stroke = s.stroke;
        stroke.points = {{0.775, 0.8}, {0.875, 0.5}, {0.975, 0.8}};
        row("a stroke moves as a whole", select, straight(at({0.8, 0.6}), at({0.8, 0.6}) + QPointF(30, 20)),
            {edit::Move{stroke}, edit::End{}});

        const auto drawn = [](UnitPoint from, UnitPoint to) {
            ShapeOverlay shape = freshShape(ShapeType::spotlight);
            shape.startPoint = from, shape.endPoint = to;
            return edit::Add{shape};
        };
        const auto shapeTool = CanvasTool::shape;
        // A shape drawn has its kind's look: one look for all dimmed a spotlight's surroundings to black.
        row("a spotlight drawn up and left keeps its direction and its look", shapeTool,
            straight(at({0.6, 0.3}), at({0.4, 0.6})), {drawn({0.6, 0.3}, {0.4, 0.6})});
        row("a shape released beside the image ends on its edge", shapeTool,
            straight(at({0.5, 0.7}), at({1.1, 0.4})), {drawn({0.5, 0.7}, {1, 0.4})});
        row("a shape click clears the selection", shapeTool, click({0.5, 0.25}), {cleared});
        row("a shape drag on an empty tab draws nothing", shapeTool, straight({100, 100}, {200, 200}), {},
            Press::onAnEmptyTab);

        const auto removal = CanvasTool::remove;
        row("removal from above-left of the image to its middle", removal,
            straight(at({-0.02, 1.03}), at({0.5, 0.5})),
            {edit::Add{RemovalArea{.rect = {0, 0.5, 0.5, 0.5}}}});
        row("removal moved under the threshold clears the selection", removal,
            {at({0.05, 0.95}), at({0.05, 0.95}) + QPointF(3, 3)}, {cleared});

        const auto textTool = CanvasTool::text;
        TextOverlay fresh = freshTextOverlay();
        fresh.position = {0.3, 0.3};
        row("a text-tool click on the image places a fresh text", textTool, click({0.3, 0.3}),
            {edit::Add{fresh}});
        row("a text-tool click beside the image places none", textTool, {at({0, 0.5}) - QPointF(10, 0)},
            {cleared});
        row("the click that ended an edit places none", textTool, click({0.3, 0.3}), {cleared},
            Press::endingAnEdit);
        row("a text-tool click on an empty tab places none", textTool, {QPointF(200, 100)}, {cleared},
            Press::onAnEmptyTab);
        row("a text-tool click on the text selects it", textTool, click({0.5, 0.5}),
            {selected(AnnotationKind::text, s.text.id)});

        // A new marker looks like the last one; its number is the state's to give.
        const auto marked = [&](UnitPoint u, std::optional<UnitPoint> tail) {
            StepMarker m = s.marker;
            std::tie(m.position, m.tailPoint) = std::pair(u, tail);
            return edit::Add{m};
        };
        const auto markerTool = CanvasTool::marker;
        row("a marker click points nowhere", markerTool, click({0.6, 0.6}),
            {marked({0.6, 0.6}, std::nullopt)});
        row("a marker click on a marker places another", markerTool, click({0.3, 0.8}),
            {marked({0.3, 0.8}, std::nullopt)});
        row("a marker double-click places another", markerTool, click({0.5, 0.5}),
            {marked({0.5, 0.5}, std::nullopt)}, Press::twice);
        row("a marker drag points the tail at the release", markerTool,
            straight(at({0.3, 0.3}), at({0.6, 0.55})), {marked({0.3, 0.3}, UnitPoint{0.6, 0.55})});
        row("a marker drag under the threshold is a click", markerTool,
            {at({0.3, 0.3}), at({0.3, 0.3}) + QPointF(3, 2)}, {marked({0.3, 0.3}, std::nullopt)});

        // A new stroke looks like the last one of its kind, or a fresh one.
        const auto stroked = [](PenStroke look, QList<UnitPoint> points) {
            look.points = points;
            return edit::Add{look};
        };
        const QList<QPointF> line = straight(at({0.2, 0.5}), at({0.6, 0.5}));
        row("a pen drag over the text draws a stroke", CanvasTool::pen, line,
            {stroked(s.stroke, {{0.2, 0.5}, {0.6, 0.5}})});
        row("a highlighter stroke starts fresh after pen strokes", CanvasTool::highlighter, line,
            {stroked(freshPenStroke(true), {{0.2, 0.5}, {0.6, 0.5}})});
        row("a stroke is clamped to the image", CanvasTool::pen, straight(at({0.8, 0.5}), at({1.2, 0.5})),
            {stroked(s.stroke, {{0.8, 0.5}, {1, 0.5}})});
    }
    void gestures()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(QList<QPointF>, path);
        QFETCH(Press, press);
        QFETCH(QStringList, edits);
        QCOMPARE(gesture(*makeTool(tool), scene().tools(press != Press::onAnEmptyTab), path, press), edits);
    }

    // A wave sampled every point: the stroke keeps few of them, and every
    // point drawn lies within half a point of what it keeps.
    void strokeIsSimplifiedWithinHalfAPoint()
    {
        QList<QPointF> path;
        for (int i = 0; i <= 300; ++i)
            path << at({0.1, 0.5}) + QPointF(i, std::round(40 * std::sin(i / 30.0)));
        const auto pen = makeTool(CanvasTool::pen);
        pen->press({path.first()}, scene().tools());
        for (const QPointF& p : path)
            pen->move(p, scene().tools());
        const ToolOutcome released = pen->release(path.last(), scene().tools());
        const auto* added = std::get_if<edit::Add>(&released.edit.value());
        QVERIFY(added);
        const PenStroke stroke = std::get<PenStroke>(added->record);
        QVERIFY2(stroke.points.size() < path.size() / 3, qPrintable(QString::number(stroke.points.size())));
        const QList<QPointF> kept = test::mapped(stroke.points, at);
        for (const QPointF& p : path)
            QVERIFY(distanceToPolyline(p, kept) <= 0.5);
    }

    // The 400 x 300 screenshot on its 528 x 428 canvas (padding 64), shown in the frame.
    void cropIsDraggedOutAndApplied()
    {
        ToolScene shown = scene().tools();
        shown.frame = QRectF(100, 50, 528, 428);
        shown.cropLayout = cropLayout(QSizeF(400, 300), std::nullopt, BeautySettings{});
        const auto on = [&](double x, double y) { return shown.frame.topLeft() + QPointF(64 + x, 64 + y); };
        CropTool crop;
        QVERIFY(!crop.key(Qt::Key_Return, shown)); // nothing to apply: the canvas has the key
        QCOMPARE(gesture(crop, shown, straight(on(100, 50), on(300, 250))), QStringList());
        QCOMPARE(crop.pending(), QRectF(on(100, 50), on(300, 250)));
        QVERIFY(crop.key(Qt::Key_Escape, shown));
        QVERIFY(!crop.pending() && !crop.key(Qt::Key_Return, shown));

        gesture(crop, shown, straight(on(100, 50), on(300, 250)));
        // The right edge's handle widens it past the screenshot; the crop stops at its edge.
        gesture(crop, shown, straight(on(300, 150), on(450, 150)));
        QCOMPARE(crop.pending(), QRectF(on(100, 50), on(450, 250)));
        const auto applied = crop.key(Qt::Key_Enter, shown);
        QVERIFY(applied && applied->edit && !crop.pending());
        // x 100..400 of 400, y 50..250 from the top of 300: from the bottom 50..250.
        QCOMPARE(describe(*applied->edit), describe(edit::SetCrop{{0.25, 50.0 / 300, 0.75, 200.0 / 300}}));
        // Another tool drops what is shown.
        gesture(crop, shown, straight(on(10, 10), on(50, 50)));
        QVERIFY(crop.cancel() && !crop.pending() && !crop.cancel());
    }

    // Without an image the removal tool still previews what it spans, within
    // what its steps repaint, and marks nothing.
    void removalPreviewWithoutAnImage()
    {
        const ToolScene empty = scene().tools(false);
        const auto removal = makeTool(CanvasTool::remove);
        const auto picture = [&] {
            QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter painter(&image);
            removal->paint(painter, empty, QPalette());
            return image;
        };
        const QImage idle = picture();
        removal->press({QPointF(150, 100)}, empty);
        QRegion repainted;
        for (const QPointF& p : straight({150, 100}, {250, 180}, 8))
            repainted += removal->move(p, empty).repaint;
        // Changed, and only where the steps repainted.
        const QImage during = picture();
        QImage expected = idle;
        QPainter painter(&expected);
        painter.setClipRegion(repainted);
        painter.drawImage(0, 0, during);
        painter.end();
        QVERIFY(during != idle);
        QCOMPARE(during, expected);
        const ToolOutcome released = removal->release({250, 180}, empty);
        QVERIFY(released.repaintAll && !released.edit);
        QCOMPARE(picture(), idle);
    }
};

QTEST_MAIN(TestToolGestures)
#include "tst_tool_gestures.moc"
