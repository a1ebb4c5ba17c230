#include "shape_selection_handle.h"

#include "canvas_coordinates.h"

#include <QPainter>

namespace lustrelab {

QRectF ShapeSelectionHandle::bounds() const
{
    return canvas::spannedRect(unitToSurface(overlay.startPoint, canvasSize),
                               unitToSurface(overlay.endPoint, canvasSize));
}

QRectF ShapeSelectionHandle::hitRect() const
{
    const QRectF box = bounds();
    QRectF rect(0, 0, std::max(box.width(), minimumSide), std::max(box.height(), minimumSide));
    rect.moveCenter(box.center());
    return rect;
}

void ShapeSelectionHandle::paint(QPainter& painter, const QColor& accent) const
{
    if (!isSelected)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(accent, 2);
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({2.5, 2.5}); // 5 points on, 5 off: Qt counts dashes in pen widths
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(hitRect(), 2, 2);
    painter.restore();
}

} // namespace lustrelab
