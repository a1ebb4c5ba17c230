#pragma once

// The crop tool's rectangle on the canvas, as plain functions: it is dragged
// out over the shown image, its edges and corners have handles, and on
// Return it becomes the tab's crop. The rectangle is in canvas points until
// then; cropFromCanvasRect turns it into a rectangle of the screenshot. A
// crop drawn on a cropped screenshot crops it further; "Reset Crop" brings
// back the whole.

#include "pointer_tool.h"
#include "render/crop_geometry.h"

#include <QPointF>
#include <QRectF>
#include <optional>

namespace lustrelab::canvas {

// Which edges a handle drags: a corner two, the middle of an edge one.
enum CropEdge { noEdge = 0, leftEdge = 1, rightEdge = 2, topEdge = 4, bottomEdge = 8 };

// Handles take presses this far from their centre, in canvas points.
inline constexpr double cropHandleReach = 7;

// The edges of `rect` whose handle is under `point`; noEdge for none.
int cropHandleAt(const QRectF& rect, QPointF point);

// `start` with the edges in `edges` moved by `translation`, normalised so an
// edge dragged past its opposite flips over.
QRectF draggedCrop(const QRectF& start, int edges, QPointF translation);

// The part of the screenshot under `rect` (canvas points) on a canvas that
// shows, in `frame`, a composition laid out as `layout`: a rectangle in unit
// coordinates of the whole screenshot, kept within the current crop. Nothing
// when it covers no part of the screenshot.
std::optional<UnitRect> cropFromCanvasRect(const QRectF& rect, const QRectF& frame, const CropLayout& layout);

// The crop tool: a press on a handle of the rectangle shown drags those
// edges, any other press drags out a new rectangle; the rectangle stays,
// dimming what it drops, until Return makes it the tab's crop or Escape (or
// another tool or tab) drops it. A click clears the selection.
class CropTool : public PointerTool
{
  public:
    ToolOutcome press(const ToolPress& press, const ToolScene& scene) override;
    ToolOutcome move(QPointF position, const ToolScene& scene) override;
    ToolOutcome release(QPointF position, const ToolScene& scene) override;
    std::optional<ToolOutcome> key(Qt::Key key, const ToolScene& scene) override;
    bool cancel() override;
    void paint(QPainter& painter, const ToolScene& scene, const QPalette& palette) const override;

    // The rectangle shown, in canvas points.
    std::optional<QRectF> pending() const { return m_pending; }

  private:
    struct Gesture
    {
        QPointF start;
        int edges = noEdge; // the handle taken: which edges the drag moves
        QRectF atPress;
        bool dragging = false;
    };
    std::optional<Gesture> m_gesture;
    std::optional<QRectF> m_pending;
};

} // namespace lustrelab::canvas
