// CanvasView's moves: an annotation dragged with the select tool (or any
// tool that is not drawing) follows the pointer, one undo step per drag.

#include "canvas_interaction.h"
#include "canvas_marks.h"
#include "canvas_view.h"
#include "model/id_lookup.h"
#include "state/app_state.h"

namespace lustrelab {

namespace {

// The kinds of annotation a drag moves: where each lives in the state and
// which of its fields the move places. Only the geometry is taken from the
// drag's start, so nothing else about the annotation is rolled back.
template <typename Overlay> struct Movable;

template <> struct Movable<TextOverlay>
{
    static constexpr auto list = &AppState::currentTextOverlays;
    static constexpr auto update = &AppState::updateTextOverlay;
    static void place(TextOverlay& overlay, const TextOverlay& original, QPointF translation,
                      QSizeF frameSize)
    {
        overlay.position = canvas::movedTextPosition(original.position, translation, frameSize);
    }
};

template <> struct Movable<ShapeOverlay>
{
    static constexpr auto list = &AppState::currentShapeOverlays;
    static constexpr auto update = &AppState::updateShapeOverlay;
    static void place(ShapeOverlay& overlay, const ShapeOverlay& original, QPointF translation,
                      QSizeF frameSize)
    {
        std::tie(overlay.startPoint, overlay.endPoint) =
            canvas::movedShapePoints({original.startPoint, original.endPoint}, translation, frameSize);
    }
};

template <> struct Movable<StepMarker>
{
    static constexpr auto list = &AppState::currentStepMarkers;
    static constexpr auto update = &AppState::updateStepMarker;
    static void place(StepMarker& marker, const StepMarker& original, QPointF translation, QSizeF frameSize)
    {
        const StepMarker moved = canvas::movedMarker(original, translation, frameSize);
        marker.position = moved.position;
        marker.tailPoint = moved.tailPoint;
    }
};

template <> struct Movable<PenStroke>
{
    static constexpr auto list = &AppState::currentPenStrokes;
    static constexpr auto update = &AppState::updatePenStroke;
    static void place(PenStroke& stroke, const PenStroke& original, QPointF translation, QSizeF frameSize)
    {
        stroke.points = canvas::movedStroke(original, translation, frameSize).points;
    }
};

} // namespace

template <typename Overlay> void CanvasView::moveOverlay(Press& press, QPointF position)
{
    const QRectF frame = imageFrame();
    auto overlay = findById((m_state.*Movable<Overlay>::list)(), press.id);
    if (frame.isEmpty() || !overlay)
        return;
    if (!std::holds_alternative<Overlay>(press.original)) {
        // One undo step for the whole move, taken before its first step.
        m_state.saveToHistory();
        press.original = *overlay;
    }
    Movable<Overlay>::place(*overlay, std::get<Overlay>(press.original), position - press.position,
                            frame.size());
    (m_state.*Movable<Overlay>::update)(*overlay);
}

void CanvasView::moveAnnotation(Press& press, QPointF position)
{
    switch (press.target) {
    case Press::canvas:
        break;
    case Press::text:
        moveOverlay<TextOverlay>(press, position);
        break;
    case Press::shape:
        moveOverlay<ShapeOverlay>(press, position);
        break;
    case Press::marker:
        moveOverlay<StepMarker>(press, position);
        break;
    case Press::stroke:
        moveOverlay<PenStroke>(press, position);
        break;
    }
}

} // namespace lustrelab
