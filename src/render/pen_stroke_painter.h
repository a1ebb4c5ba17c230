#pragma once

// Drawing of freehand strokes. The stored polyline is drawn as a smooth curve
// through its points (a Catmull-Rom spline, as cubic Bezier pieces), so the
// few points left after simplification show no corners. Ends and joins are
// round, as a pen's tip is. A highlighter stroke multiplies with what lies
// below: white turns to its colour, black stays black, so text under it
// stays readable.

#include "model/pen_stroke.h"

#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace lustrelab {

void drawPenStroke(const PenStroke& stroke, QPainter& painter, double canvasWidth, double canvasHeight);

// The centre line of the stroke in Qt's y-down points of a canvas of the
// given size (the composed image, or the frame the canvas view shows it in).
QPainterPath penStrokePath(const PenStroke& stroke, double canvasWidth, double canvasHeight);

// The smooth curve through `points` (a dot's zero-length line for one point).
QPainterPath smoothCurveThrough(const QList<QPointF>& points);

QRectF penStrokeBounds(const PenStroke& stroke, double canvasWidth, double canvasHeight);

} // namespace lustrelab
