#pragma once

// What the canvas draws besides the image and the hit areas: the preview of a
// drag in progress, the empty state and the busy indicator. Free functions of
// a painter and plain values, so each can be drawn into an image and looked at.

#include "model/canvas_tool.h"
#include "model/shape_overlay.h"

#include <QPalette>
#include <QRectF>
#include <QString>

class QPainter;

namespace lustrelab::canvas {

// The preview of a drag on the empty canvas spanning `rect` (canvas points).
// Lines and arrows preview from the top-left to the bottom-right corner
// whichever way the drag goes; the shape made on release keeps the direction.
void paintDragPreview(QPainter& painter, const QRectF& rect, CanvasTool tool, ShapeType shapeType);

// The picture symbol over a title and a subtitle, shown while there is no
// image, centred in `area`. The view passes the texts in its own translation.
void paintEmptyState(QPainter& painter, const QRectF& area, const QPalette& palette, const QString& title,
                     const QString& subtitle);

// An indeterminate spinner centred in `area`; `phase` in [0, 1) turns it.
void paintBusyIndicator(QPainter& painter, const QRectF& area, const QPalette& palette, double phase);

} // namespace lustrelab::canvas
