#include "text_area_gesture.h"

#include "canvas_coordinates.h"

namespace lustrelab::canvas {

bool startsTextArea(CanvasTool tool, Qt::KeyboardModifiers modifiers)
{
    return tool == CanvasTool::select && (modifiers & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

std::optional<UnitRect> textAreaFromDrag(QPointF start, QPointF end, const QRectF& frame)
{
    const QRectF inside = spannedRect(start, end).intersected(frame);
    if (!(inside.width() >= minimumTextAreaSide && inside.height() >= minimumTextAreaSide))
        return std::nullopt;
    // The bottom-left corner is the rectangle's origin in unit coordinates.
    const UnitPoint origin = canvasToUnit(inside.bottomLeft(), frame);
    const UnitPoint far = canvasToUnit(inside.topRight(), frame);
    return UnitRect{origin.x, origin.y, far.x - origin.x, far.y - origin.y};
}

} // namespace lustrelab::canvas
