#include "polyline_simplification.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace lustrelab {

namespace {

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double lengthSquared = QPointF::dotProduct(ab, ab);
    double t = lengthSquared > 0 ? QPointF::dotProduct(p - a, ab) / lengthSquared : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

} // namespace

QList<QPointF> simplifyPolyline(const QList<QPointF>& points, double tolerance)
{
    if (points.size() < 3)
        return points;
    std::vector<bool> keep(size_t(points.size()), false);
    keep.front() = keep.back() = true;
    // An explicit stack rather than recursion: a long stroke of tiny wiggles
    // would otherwise recurse once per point.
    std::vector<std::pair<qsizetype, qsizetype>> spans{{0, points.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double farthest = -1;
        qsizetype index = first;
        for (qsizetype i = first + 1; i < last; ++i) {
            const double d = distanceToSegment(points[i], points[first], points[last]);
            if (d > farthest) {
                farthest = d;
                index = i;
            }
        }
        if (farthest > tolerance) {
            keep[size_t(index)] = true;
            spans.emplace_back(first, index);
            spans.emplace_back(index, last);
        }
    }
    QList<QPointF> kept;
    for (qsizetype i = 0; i < points.size(); ++i)
        if (keep[size_t(i)])
            kept.append(points[i]);
    return kept;
}

double distanceToPolyline(QPointF point, const QList<QPointF>& points)
{
    if (points.isEmpty())
        return std::numeric_limits<double>::infinity();
    if (points.size() == 1)
        return std::hypot(point.x() - points[0].x(), point.y() - points[0].y());
    double nearest = std::numeric_limits<double>::infinity();
    for (qsizetype i = 0; i + 1 < points.size(); ++i)
        nearest = std::min(nearest, distanceToSegment(point, points[i], points[i + 1]));
    return nearest;
}

} // namespace lustrelab
