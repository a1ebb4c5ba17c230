#pragma once

// What the canvas's pointer gestures do to the model, as plain functions of
// plain values: positions in canvas points and the image frame in, records out.
// The view only routes events here and hands the results to AppState.

#include "model/canvas_tool.h"
#include "model/removal_area.h"
#include "model/shape_overlay.h"
#include "model/text_overlay.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QUuid>
#include <optional>
#include <utility>

class QPaintDevice;

namespace lustrelab::canvas {

// Pointer travel before a press becomes a drag, in points.
inline constexpr double canvasDragThreshold = 5;   // drawing on the empty canvas
inline constexpr double overlayDragThreshold = 10; // moving an annotation

// Removal rectangles this thin (in unit coordinates) are slips, not areas.
inline constexpr double minimumRemovalSide = 0.01;

bool passedThreshold(QPointF from, QPointF to, double threshold);

// The shape a drag on the canvas creates with the shape tool: it starts where
// the press was and ends where the release was, clamped to the image, with
// the look of a freshly drawn shape. Nothing without an image frame.
std::optional<ShapeOverlay> shapeFromDrag(QPointF start, QPointF end, const QRectF& frame, ShapeType type);

// The area a drag with the remove tool marks, clamped to the image; nothing
// when the clamped rectangle is too thin (a drag beside the image clamps to a
// line on its edge) or there is no image frame.
std::optional<UnitRect> removalRectFromDrag(QPointF start, QPointF end, const QRectF& frame);

// Where a moved text's centre goes: its position when the move began plus the
// pointer's translation from the press, clamped to the image.
UnitPoint movedTextPosition(UnitPoint start, QPointF translation, QSizeF frameSize);

// Both end points of a moved shape, each coordinate clamped on its own, so a
// shape pushed against an edge is squeezed rather than stopped.
std::pair<UnitPoint, UnitPoint> movedShapePoints(std::pair<UnitPoint, UnitPoint> start, QPointF translation,
                                                 QSizeF frameSize);

// Which hit area a pointer at `point` (relative to the image frame's top-left
// corner) lands on. Hit areas stack texts, then shapes, then removal areas,
// each in list order, and the topmost one under the pointer wins.
struct CanvasHit
{
    enum Kind { none, text, shape, removal, marker, stroke };
    Kind kind = none;
    QUuid id;
    friend bool operator==(const CanvasHit&, const CanvasHit&) = default;
};

// Removal areas react only to double-clicks, so presses and drags look
// through them (`withRemovalAreas` false) to what lies below. A text's area
// follows its drawn size given the composed image and its scale in the frame
// (TextSelectionHandle).
CanvasHit hitTest(QPointF point, QSizeF frameSize, const QList<TextOverlay>& texts,
                  const QList<ShapeOverlay>& shapes, const QList<RemovalArea>& removals,
                  bool withRemovalAreas, double imageScale = 0, const QPaintDevice* image = nullptr);

} // namespace lustrelab::canvas
