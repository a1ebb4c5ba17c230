#pragma once

// The one place where the model's y-up coordinates meet Qt's y-down ones.
//
// The model speaks of a bottom-left origin with y growing upwards: unit
// coordinates (0..1) of the composed canvas for annotations, and points with
// "bottom" padding at y = 0 for the layout. QPainter draws with a top-left
// origin and y growing downwards. Example: on a canvas 800 x 600 points, the
// unit point (0.25, 0.75) is Qt point (200, 150); a model rectangle
// (x 10, y 20, w 100, h 50) measured from the bottom edge of a 600-point-high
// surface is the Qt rectangle (10, 530, 100, 50).

#include "model/unit_geometry.h"

#include <QPointF>
#include <QRectF>

namespace lustrelab {

inline QPointF unitToCanvas(UnitPoint p, double canvasWidth, double canvasHeight)
{
    return {p.x * canvasWidth, (1.0 - p.y) * canvasHeight};
}

inline UnitPoint canvasToUnit(QPointF p, double canvasWidth, double canvasHeight)
{
    return {p.x() / canvasWidth, 1.0 - p.y() / canvasHeight};
}

// A rectangle whose origin is its bottom-left corner in a y-up surface of the
// given height, as a Qt rectangle.
inline QRectF flipRect(double x, double y, double width, double height, double surfaceHeight)
{
    return {x, surfaceHeight - y - height, width, height};
}

// A point of a y-up surface of the given height, as a Qt point. Paths whose
// outline is described in y-up terms (curves, notches) are built through it.
inline QPointF flipPoint(double x, double y, double surfaceHeight)
{
    return {x, surfaceHeight - y};
}

inline QRectF unitRectToCanvas(const UnitRect& r, double canvasWidth, double canvasHeight)
{
    return flipRect(r.x * canvasWidth, r.y * canvasHeight, r.width * canvasWidth, r.height * canvasHeight,
                    canvasHeight);
}

} // namespace lustrelab
