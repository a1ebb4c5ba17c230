#include "select_tool.h"

#include "canvas_interaction.h"
#include "canvas_marks.h"
#include "model/id_lookup.h"

namespace lustrelab::canvas {

namespace {

std::optional<AnnotationKind> kindOf(CanvasHit::Kind hit)
{
    switch (hit) {
    case CanvasHit::text:
        return AnnotationKind::text;
    case CanvasHit::shape:
        return AnnotationKind::shape;
    case CanvasHit::marker:
        return AnnotationKind::marker;
    case CanvasHit::stroke:
        return AnnotationKind::stroke;
    case CanvasHit::removal: // looked through by presses
    case CanvasHit::none:
        break;
    }
    return std::nullopt;
}

// The annotation `ref` names as it is now; nothing when it is gone.
std::optional<AnnotationRecord> recordOf(const Annotations& annotations, const AnnotationRef& ref)
{
    auto found = [&](const auto& list) -> std::optional<AnnotationRecord> {
        if (const auto record = findById(list, ref.id))
            return *record;
        return std::nullopt;
    };
    switch (ref.kind) {
    case AnnotationKind::text:
        return found(annotations.textOverlays);
    case AnnotationKind::shape:
        return found(annotations.shapeOverlays);
    case AnnotationKind::marker:
        return found(annotations.stepMarkers);
    case AnnotationKind::stroke:
        return found(annotations.penStrokes);
    case AnnotationKind::removal:
        break;
    }
    return std::nullopt;
}

void place(TextOverlay& text, const TextOverlay& original, QPointF translation, QSizeF frameSize)
{
    text.position = movedTextPosition(original.position, translation, frameSize);
}

void place(ShapeOverlay& shape, const ShapeOverlay& original, QPointF translation, QSizeF frameSize)
{
    std::tie(shape.startPoint, shape.endPoint) =
        movedShapePoints({original.startPoint, original.endPoint}, translation, frameSize);
}

void place(StepMarker& marker, const StepMarker& original, QPointF translation, QSizeF frameSize)
{
    const StepMarker moved = movedMarker(original, translation, frameSize);
    marker.position = moved.position;
    marker.tailPoint = moved.tailPoint;
}

void place(PenStroke& stroke, const PenStroke& original, QPointF translation, QSizeF frameSize)
{
    stroke.points = movedStroke(original, translation, frameSize).points;
}

void place(RemovalArea&, const RemovalArea&, QPointF, QSizeF) {} // removal areas do not move

} // namespace

AnnotationRecord placedRecord(const AnnotationRecord& record, const AnnotationRecord& original,
                              QPointF translation, QSizeF frameSize)
{
    AnnotationRecord placed = record;
    std::visit(
        [&](auto& r) {
            using R = std::decay_t<decltype(r)>;
            if (const R* from = std::get_if<R>(&original))
                place(r, *from, translation, frameSize);
        },
        placed);
    return placed;
}

std::optional<AnnotationRecord> nudgedSelection(const Annotations& annotations,
                                                const std::optional<AnnotationRef>& selection, QPointF step,
                                                QSizeF imageSize)
{
    if (!selection)
        return std::nullopt;
    const std::optional<AnnotationRecord> record = recordOf(annotations, *selection);
    if (!record)
        return std::nullopt;
    // Screen points of the composed image are its points: the frame's size is the image's here.
    return placedRecord(*record, *record, step, imageSize);
}

ToolOutcome SelectTool::press(const ToolPress& press, const ToolScene& scene)
{
    Gesture gesture;
    gesture.start = press;
    if (!scene.frame.isEmpty()) {
        const QPointF inFrame = press.position - scene.frame.topLeft();
        const Annotations& a = scene.annotations;
        CanvasHit hit = hitTestMarks(inFrame, scene.frame.size(), scene.scale, a.stepMarkers, a.penStrokes);
        if (hit.kind == CanvasHit::none)
            hit = hitTest(inFrame, scene.frame.size(), a.textOverlays, a.shapeOverlays, a.removalAreas, false,
                          scene.scale, scene.image);
        if (const auto kind = kindOf(hit.kind))
            gesture.target = AnnotationRef{*kind, hit.id};
    }
    m_gesture = gesture;
    return {};
}

ToolOutcome SelectTool::move(QPointF position, const ToolScene& scene)
{
    if (!m_gesture)
        return {};
    Gesture& g = *m_gesture;
    if (!g.dragging) {
        g.dragging = passedThreshold(g.start.position, position,
                                     g.target ? overlayDragThreshold : canvasDragThreshold);
        if (!g.dragging)
            return {};
    }
    if (!g.target)
        return canvasDragged(g, position, scene);
    const std::optional<AnnotationRecord> current = recordOf(scene.annotations, *g.target);
    if (scene.frame.isEmpty() || !current)
        return {};
    if (!g.original)
        g.original = *current;
    return ToolOutcome::of(
        edit::Move{placedRecord(*current, *g.original, position - g.start.position, scene.frame.size())});
}

ToolOutcome SelectTool::release(QPointF position, const ToolScene& scene)
{
    if (!m_gesture)
        return {};
    const Gesture g = *std::exchange(m_gesture, std::nullopt);
    if (g.target) {
        // A moved annotation is already where the last step put it.
        if (g.dragging)
            return ToolOutcome::of(edit::End{});
        return ToolOutcome::of(edit::Select{*g.target});
    }
    return g.dragging ? canvasDragEnded(g, position, scene) : canvasClicked(g, scene);
}

ToolOutcome SelectTool::canvasDragged(const Gesture& gesture, QPointF, const ToolScene& scene)
{
    // Begun on the image where nothing lies, the drag carries the styled image away.
    if (scene.canDragOut && scene.frame.contains(gesture.start.position)) {
        m_gesture.reset();
        return ToolOutcome::of(edit::DragImageOut{});
    }
    return {};
}

ToolOutcome SelectTool::canvasDragEnded(const Gesture&, QPointF, const ToolScene&)
{
    return {};
}

ToolOutcome SelectTool::canvasClicked(const Gesture&, const ToolScene&)
{
    return ToolOutcome::of(edit::ClearSelection{});
}

} // namespace lustrelab::canvas
