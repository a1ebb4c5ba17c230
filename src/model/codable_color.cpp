#include "codable_color.h"

namespace lustrelab {

CodableColor CodableColor::fromPlatformColor(const QColor& color)
{
    const QColor rgb = color.isValid() ? color.toRgb() : QColor();
    if (!rgb.isValid())
        return {};
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF()};
}

QColor CodableColor::toPlatformColor() const
{
    return QColor::fromRgbF(float(red), float(green), float(blue), float(opacity));
}

} // namespace lustrelab
