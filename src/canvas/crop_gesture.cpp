#include "crop_gesture.h"

#include <QLineF>
#include <algorithm>

namespace lustrelab::canvas {

int cropHandleAt(const QRectF& rect, QPointF point)
{
    const double xs[] = {rect.left(), rect.center().x(), rect.right()};
    const double ys[] = {rect.top(), rect.center().y(), rect.bottom()};
    const int xEdges[] = {leftEdge, noEdge, rightEdge};
    const int yEdges[] = {topEdge, noEdge, bottomEdge};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            const int edges = xEdges[column] | yEdges[row];
            if (edges != noEdge && QLineF(point, QPointF(xs[column], ys[row])).length() <= cropHandleReach)
                return edges;
        }
    return noEdge;
}

QRectF draggedCrop(const QRectF& start, int edges, QPointF translation)
{
    QRectF r = start;
    if (edges & leftEdge)
        r.setLeft(r.left() + translation.x());
    if (edges & rightEdge)
        r.setRight(r.right() + translation.x());
    if (edges & topEdge)
        r.setTop(r.top() + translation.y());
    if (edges & bottomEdge)
        r.setBottom(r.bottom() + translation.y());
    return r.normalized();
}

std::optional<UnitRect> cropFromCanvasRect(const QRectF& rect, const QRectF& frame, const CropLayout& layout)
{
    if (frame.isEmpty() || layout.screenshotRect.isEmpty())
        return std::nullopt;
    // Canvas points to points of the composed canvas, then the part of the
    // screenshot shown there, cut to it.
    const double sx = layout.canvasSize.width() / frame.width();
    const double sy = layout.canvasSize.height() / frame.height();
    const QRectF onCanvas((rect.left() - frame.left()) * sx, (rect.top() - frame.top()) * sy,
                          rect.width() * sx, rect.height() * sy);
    const QRectF& shot = layout.screenshotRect;
    const QRectF kept = onCanvas.normalized().intersected(shot);
    if (kept.isEmpty())
        return std::nullopt;
    // Fractions of the shown part, y from its bottom, then of the whole screenshot.
    const double fx = (kept.left() - shot.left()) / shot.width();
    const double fw = kept.width() / shot.width();
    const double fy = (shot.bottom() - kept.bottom()) / shot.height();
    const double fh = kept.height() / shot.height();
    const UnitRect& c = layout.crop;
    return UnitRect{c.x + fx * c.width, c.y + fy * c.height, fw * c.width, fh * c.height};
}

} // namespace lustrelab::canvas
