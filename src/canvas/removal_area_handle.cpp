#include "removal_area_handle.h"

#include "canvas_coordinates.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>

namespace lustrelab {

QColor RemovalAreaHandle::outlineColor()
{
    QColor green(52, 199, 89);
    green.setAlphaF(0.7f);
    return green;
}

QRectF RemovalAreaHandle::hitRect() const
{
    return unitRectToSurface(area.rect, canvasSize);
}

QPointF RemovalAreaHandle::closeSymbolCentre() const
{
    const QRectF rect = hitRect();
    return rect.center() + QPointF(rect.width() / 2 - closeSymbolInset, closeSymbolInset - rect.height() / 2);
}

namespace {

// A filled disc with the cross cut out, so the image shows through the cross;
// centred on the origin. The same for every area: the cut is a path
// operation, too slow to repeat on every repaint of a drag.
QPainterPath closeSymbol()
{
    const double radius = RemovalAreaHandle::closeSymbolDiameter / 2;
    QPainterPath disc;
    disc.addEllipse(QPointF(), radius, radius);
    const double arm = radius * 0.42;
    QPainterPath cross;
    cross.moveTo(-arm, -arm);
    cross.lineTo(arm, arm);
    cross.moveTo(arm, -arm);
    cross.lineTo(-arm, arm);
    QPainterPathStroker stroker;
    stroker.setWidth(radius * 0.3);
    stroker.setCapStyle(Qt::RoundCap);
    return disc.subtracted(stroker.createStroke(cross));
}

} // namespace

std::vector<QRectF> RemovalAreaHandle::dashes(const QRectF& outline)
{
    // Dashes of 4 points on and 4 off, 2 points wide on the edges, counted
    // clockwise from the top-left corner. The four corner squares are their
    // own pieces, so that no piece overlaps another (the colour is
    // translucent, and an overlap would show darker).
    constexpr double on = 4, period = 8, half = dashWidth / 2;
    const double w = outline.width(), h = outline.height();
    const double corners[4] = {0, w, w + h, 2 * w + h};
    const auto lit = [&](double t) { return std::fmod(t, period) < on; };
    std::vector<QRectF> pieces;
    const QPointF cornerPoints[4] = {outline.topLeft(), outline.topRight(), outline.bottomRight(),
                                     outline.bottomLeft()};
    for (int c = 0; c < 4; ++c) {
        // The square is lit when a dash passes through the corner itself.
        if (lit(corners[c]))
            pieces.emplace_back(cornerPoints[c] - QPointF(half, half), QSizeF(dashWidth, dashWidth));
    }
    // Each edge between its corner squares: [from, to) along the perimeter.
    for (int e = 0; e < 4; ++e) {
        const double length = (e % 2 == 0) ? w : h;
        const double from = corners[e] + half, to = corners[e] + length - half;
        for (double t = std::floor(from / period) * period; t < to; t += period) {
            const double a = std::max(t, from), b = std::min(t + on, to);
            if (b <= a)
                continue;
            const double s = a - corners[e], f = b - corners[e];
            switch (e) {
            case 0:
                pieces.emplace_back(QPointF(outline.left() + s, outline.top() - half),
                                    QPointF(outline.left() + f, outline.top() + half));
                break;
            case 1:
                pieces.emplace_back(QPointF(outline.right() - half, outline.top() + s),
                                    QPointF(outline.right() + half, outline.top() + f));
                break;
            case 2:
                pieces.emplace_back(QPointF(outline.right() - f, outline.bottom() - half),
                                    QPointF(outline.right() - s, outline.bottom() + half));
                break;
            default:
                pieces.emplace_back(QPointF(outline.left() - half, outline.bottom() - f),
                                    QPointF(outline.left() + half, outline.bottom() - s));
                break;
            }
        }
    }
    return pieces;
}

void RemovalAreaHandle::paint(QPainter& painter) const
{
    const QColor color = outlineColor();
    painter.save();
    // The dashes are small rectangles, each snapped to whole device pixels:
    // they abut without seams or overlaps, sit where they sit whatever part of
    // the view is repainted, and each fills a few rows. One dashed outline as
    // a single path would be rasterised as hundreds of rows at once, which the
    // paint engine hands to helper threads: on a busy machine the view then
    // waits for a core on every repaint of a drag.
    const QTransform toDevice = painter.deviceTransform();
    const bool snaps = toDevice.type() <= QTransform::TxScale;
    const QTransform fromDevice = toDevice.inverted();
    painter.setRenderHint(QPainter::Antialiasing, !snaps);
    for (const QRectF& piece : dashes(hitRect())) {
        if (!snaps) {
            painter.fillRect(piece, color);
            continue;
        }
        const QRectF d = toDevice.mapRect(piece);
        const QRectF pixels(QPointF(std::round(d.left()), std::round(d.top())),
                            QPointF(std::round(d.right()), std::round(d.bottom())));
        if (!pixels.isEmpty())
            painter.fillRect(fromDevice.mapRect(pixels), color);
    }

    static const QPainterPath symbol = closeSymbol();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(symbol.translated(closeSymbolCentre()));
    painter.restore();
}

} // namespace lustrelab
