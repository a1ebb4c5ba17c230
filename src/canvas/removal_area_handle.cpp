#include "removal_area_handle.h"

#include "canvas_coordinates.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

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

void RemovalAreaHandle::paint(QPainter& painter) const
{
    const QColor color = outlineColor();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The dashes as a shape of their own, filled: a dashed pen drawn under a
    // clip (a repaint of part of the view) can place its dashes at the clip's
    // edges unlike an unclipped one, and leave a seam in the outline.
    QPainterPathStroker dashes;
    dashes.setWidth(2);
    dashes.setCapStyle(Qt::FlatCap);
    dashes.setJoinStyle(Qt::BevelJoin); // as a pen draws by default
    dashes.setDashPattern({2, 2});      // 4 points on, 4 off, in pen widths
    QPainterPath outline;
    outline.addRect(hitRect());
    painter.fillPath(dashes.createStroke(outline), color);

    // A filled disc with the cross cut out, so the image shows through the cross.
    const QPointF centre = closeSymbolCentre();
    const double radius = closeSymbolDiameter / 2;
    QPainterPath disc;
    disc.addEllipse(centre, radius, radius);
    const double arm = radius * 0.42;
    QPainterPath cross;
    cross.moveTo(centre + QPointF(-arm, -arm));
    cross.lineTo(centre + QPointF(arm, arm));
    cross.moveTo(centre + QPointF(arm, -arm));
    cross.lineTo(centre + QPointF(-arm, arm));
    QPainterPathStroker stroker;
    stroker.setWidth(radius * 0.3);
    stroker.setCapStyle(Qt::RoundCap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(disc.subtracted(stroker.createStroke(cross)));
    painter.restore();
}

} // namespace lustrelab
