#include "pen_stroke_painter.h"

#include "surface_coordinates.h"

#include <QPen>
#include <cmath>

namespace lustrelab {

QPainterPath smoothCurveThrough(const QList<QPointF>& points)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.first());
    if (points.size() == 1) {
        path.lineTo(points.first());
        return path;
    }
    // Each piece from p1 to p2 leaves p1 in the direction of p0 -> p2 and
    // arrives at p2 in the direction of p1 -> p3; the ends repeat themselves.
    const qsizetype last = points.size() - 1;
    for (qsizetype i = 0; i < last; ++i) {
        const QPointF p0 = points[std::max<qsizetype>(0, i - 1)];
        const QPointF p1 = points[i];
        const QPointF p2 = points[i + 1];
        const QPointF p3 = points[std::min(last, i + 2)];
        path.cubicTo(p1 + (p2 - p0) / 6, p2 - (p3 - p1) / 6, p2);
    }
    return path;
}

QPainterPath penStrokePath(const PenStroke& stroke, double canvasWidth, double canvasHeight)
{
    QList<QPointF> points;
    points.reserve(stroke.points.size());
    for (const UnitPoint& p : stroke.points)
        points.append(unitToSurface(p, {canvasWidth, canvasHeight}));
    return smoothCurveThrough(points);
}

QRectF penStrokeBounds(const PenStroke& stroke, double canvasWidth, double canvasHeight)
{
    if (stroke.points.isEmpty() || !(stroke.width > 0))
        return {};
    // A Bezier piece stays inside its control points' hull.
    const double reach = stroke.width / 2 + 2;
    return penStrokePath(stroke, canvasWidth, canvasHeight)
        .controlPointRect()
        .adjusted(-reach, -reach, reach, reach);
}

void drawPenStroke(const PenStroke& stroke, QPainter& painter, double canvasWidth, double canvasHeight)
{
    if (stroke.points.isEmpty() || !(stroke.width > 0))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * stroke.opacity);
    if (stroke.highlighter)
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    QPen pen(stroke.color.toPlatformColor(), stroke.width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    // One stroke outline filled once: where the line crosses itself a
    // translucent colour is not laid on twice.
    painter.strokePath(penStrokePath(stroke, canvasWidth, canvasHeight), pen);
    painter.restore();
}

} // namespace lustrelab
