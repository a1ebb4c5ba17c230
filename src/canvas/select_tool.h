#pragma once

#include "pointer_tool.h"

namespace lustrelab::canvas {

// Select and move: a click on an annotation selects it, a drag of one moves
// it (one undo step per drag), a click beside every annotation clears the
// selection. Texts, shapes, markers and strokes take presses; removal areas,
// which only a double-click reaches, are looked through. The select tool's
// own drag from the image where nothing lies carries the styled image out of
// the window. The shape, removal and text tools are select tools that do
// something else on the empty canvas.
class SelectTool : public PointerTool
{
  public:
    ToolOutcome press(const ToolPress& press, const ToolScene& scene) override;
    ToolOutcome move(QPointF position, const ToolScene& scene) override;
    ToolOutcome release(QPointF position, const ToolScene& scene) override;

  protected:
    // The press in progress.
    struct Gesture
    {
        ToolPress start;
        std::optional<AnnotationRef> target; // none: the empty canvas
        bool dragging = false;
        // The moved annotation as it was before the drag's first step: every
        // step places it anew from there, so a step never adds to another.
        std::optional<AnnotationRecord> original;
    };

    // A press on the empty canvas passed the drag threshold and moved on to
    // `position`; then it ended there.
    virtual ToolOutcome canvasDragged(const Gesture& gesture, QPointF position, const ToolScene& scene);
    virtual ToolOutcome canvasDragEnded(const Gesture& gesture, QPointF end, const ToolScene& scene);
    // A press on the empty canvas let go without a drag.
    virtual ToolOutcome canvasClicked(const Gesture& gesture, const ToolScene& scene);

    std::optional<Gesture> m_gesture;
};

// `record` with its geometry taken from `original` moved by `translation`
// canvas points on an image frame of `frameSize`; everything else about it
// is kept, so nothing but where it is rolls back to the drag's start. Texts
// and shapes are clamped point by point (a shape pushed against an edge is
// squeezed), markers and strokes stop as a whole.
AnnotationRecord placedRecord(const AnnotationRecord& record, const AnnotationRecord& original,
                              QPointF translation, QSizeF frameSize);

// The selected annotation of `annotations` moved by `step` points of the
// composed image (of `imageSize` points), y downwards as on screen: the
// arrow keys' nudge. Nothing when nothing that moves is selected.
std::optional<AnnotationRecord> nudgedSelection(const Annotations& annotations,
                                                const std::optional<AnnotationRef>& selection, QPointF step,
                                                QSizeF imageSize);

} // namespace lustrelab::canvas
