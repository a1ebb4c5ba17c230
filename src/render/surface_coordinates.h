#pragma once

// The one place where the model's y-up coordinates meet Qt's y-down ones.
//
// The model speaks of a bottom-left origin with y growing upwards: unit
// coordinates (0..1) of the composed canvas for annotations, and points with
// "bottom" padding at y = 0 for the layout. QPainter draws with a top-left
// origin and y growing downwards. Example: on a canvas 800 x 600 points, the
// unit point (0.25, 0.75) is Qt point (200, 150) (unitToSurface); a model rectangle
// (x 10, y 20, w 100, h 50) measured from the bottom edge of a 600-point-high
// surface is the Qt rectangle (10, 530, 100, 50).

#include "model/unit_geometry.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace lustrelab {

// A unit point as a point of a y-down surface of `surface` size (the composed
// canvas, or the frame the canvas view shows it in).
inline QPointF unitToSurface(UnitPoint p, QSizeF surface)
{
    return {p.x * surface.width(), (1.0 - p.y) * surface.height()};
}

// The inverse of unitToSurface; not clamped.
inline UnitPoint surfaceToUnit(QPointF p, QSizeF surface)
{
    return {p.x() / surface.width(), 1.0 - p.y() / surface.height()};
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

// A unit rectangle (origin at its bottom-left corner) as a rectangle of a
// y-down surface of `surface` size.
inline QRectF unitRectToSurface(const UnitRect& r, QSizeF surface)
{
    const double w = surface.width(), h = surface.height();
    return flipRect(r.x * w, r.y * h, r.width * w, r.height * h, h);
}

} // namespace lustrelab
