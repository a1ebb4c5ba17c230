#pragma once

// Freehand input arrives as one point per pointer event, far more than the
// line needs: a two-second scribble at 120 Hz is 240 points, most of them on
// nearly straight runs. Ramer-Douglas-Peucker keeps the first and last point
// and, recursively, the point farthest from the chord between two kept ones
// whenever it lies more than `tolerance` away; every dropped point is then
// within `tolerance` of the kept polyline.
//
// Points are in any one flat space (the canvas's points, say); the tolerance
// is in the same units.

#include <QList>
#include <QPointF>

namespace lustrelab {

QList<QPointF> simplifyPolyline(const QList<QPointF>& points, double tolerance);

// The shortest distance from `point` to the polyline through `points` (to the
// one point when there is one; infinity for none).
double distanceToPolyline(QPointF point, const QList<QPointF>& points);

} // namespace lustrelab
