#pragma once

// The crop tool's rectangle on the canvas, as plain functions: it is dragged
// out over the shown image, its edges and corners have handles, and on
// Return it becomes the tab's crop. The rectangle is in canvas points until
// then; cropFromCanvasRect turns it into a rectangle of the screenshot. A
// crop drawn on a cropped screenshot crops it further; "Reset Crop" brings
// back the whole.

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

} // namespace lustrelab::canvas
