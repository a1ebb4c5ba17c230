#include "canvas_marks.h"

#include "canvas_coordinates.h"
#include "model/polyline_simplification.h"
#include "render/pen_stroke_painter.h"
#include "render/step_marker_painter.h"

#include <algorithm>

namespace lustrelab::canvas {

namespace {

bool hasArea(const QRectF& frame)
{
    return frame.width() > 0 && frame.height() > 0;
}

} // namespace

std::optional<StepMarker> markerFromGesture(QPointF press, QPointF release, bool dragged, const QRectF& frame,
                                            const StepMarker& look)
{
    if (!hasArea(frame))
        return std::nullopt;
    StepMarker marker = look;
    marker.id = QUuid::createUuid();
    marker.position = canvasToUnit(press, frame);
    marker.tailPoint.reset();
    if (dragged)
        marker.tailPoint = canvasToUnit(release, frame);
    return marker;
}

std::optional<PenStroke> strokeFromPath(const QList<QPointF>& path, const QRectF& frame,
                                        const PenStroke& look)
{
    if (!hasArea(frame) || path.isEmpty())
        return std::nullopt;
    PenStroke stroke = look;
    stroke.id = QUuid::createUuid();
    stroke.points.clear();
    // Clamped before simplifying, so that the path kept is the one drawn on the image.
    QList<QPointF> onImage;
    onImage.reserve(path.size());
    for (const QPointF& p : path)
        onImage.append(unitToCanvas(canvasToUnit(p, frame), frame));
    for (const QPointF& p : simplifyPolyline(onImage, strokeTolerance))
        stroke.points.append(canvasToUnit(p, frame));
    return stroke;
}

StepMarker nextMarkerLook(const QList<StepMarker>& markers)
{
    return markers.isEmpty() ? StepMarker{} : markers.last();
}

PenStroke nextStrokeLook(const QList<PenStroke>& strokes, bool highlighter)
{
    for (auto it = strokes.crbegin(); it != strokes.crend(); ++it)
        if (it->highlighter == highlighter)
            return *it;
    return freshPenStroke(highlighter);
}

UnitPoint limitedOffset(const QList<UnitPoint>& points, UnitPoint offset)
{
    if (points.isEmpty())
        return offset;
    double minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (const UnitPoint& p : points) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    // Never towards an edge a point has already passed, never beyond one.
    auto limit = [](double d, double low, double high) {
        return std::clamp(d, std::min(0.0, -low), std::max(0.0, 1 - high));
    };
    return {limit(offset.x, minX, maxX), limit(offset.y, minY, maxY)};
}

StepMarker movedMarker(const StepMarker& start, QPointF translation, QSizeF frameSize)
{
    QList<UnitPoint> points{start.position};
    if (start.tailPoint)
        points.append(*start.tailPoint);
    const UnitPoint offset = limitedOffset(points, translationToUnit(translation, frameSize));
    StepMarker moved = start;
    moved.position = {start.position.x + offset.x, start.position.y + offset.y};
    if (start.tailPoint)
        moved.tailPoint = UnitPoint{start.tailPoint->x + offset.x, start.tailPoint->y + offset.y};
    return moved;
}

PenStroke movedStroke(const PenStroke& start, QPointF translation, QSizeF frameSize)
{
    const UnitPoint offset = limitedOffset(start.points, translationToUnit(translation, frameSize));
    PenStroke moved = start;
    for (UnitPoint& p : moved.points)
        p = {p.x + offset.x, p.y + offset.y};
    return moved;
}

CanvasHit hitTestMarks(QPointF point, QSizeF frameSize, double scale, const QList<StepMarker>& markers,
                       const QList<PenStroke>& strokes)
{
    const double w = frameSize.width(), h = frameSize.height();
    for (auto it = markers.crbegin(); it != markers.crend(); ++it) {
        // The marker's outline at the frame's size, its diameter scaled to it.
        StepMarker shown = *it;
        shown.size = std::max(it->size * scale, 2 * markGrabReach);
        if (stepMarkerOutline(shown, w, h).contains(point))
            return {CanvasHit::marker, it->id};
    }
    for (auto it = strokes.crbegin(); it != strokes.crend(); ++it) {
        const double reach = std::max(it->width * scale / 2, markGrabReach);
        const QPainterPath path = penStrokePath(*it, w, h);
        if (!path.controlPointRect().adjusted(-reach, -reach, reach, reach).contains(point))
            continue;
        // Along the drawn curve, not its control polygon.
        QList<QPointF> curve;
        for (const QPolygonF& piece : path.toSubpathPolygons())
            curve.append(piece);
        if (distanceToPolyline(point, curve) <= reach)
            return {CanvasHit::stroke, it->id};
    }
    return {};
}

} // namespace lustrelab::canvas
