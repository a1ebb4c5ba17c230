#pragma once

#include <QColor>

namespace lustrelab {

// An sRGB colour with straight (not premultiplied) alpha, stored as doubles so
// that a template written and read back compares equal to the original.
struct CodableColor
{
    double red = 1.0;
    double green = 1.0;
    double blue = 1.0;
    double opacity = 1.0;

    // Converts to sRGB first; a colour that does not convert becomes opaque white.
    static CodableColor fromPlatformColor(const QColor& color);
    QColor toPlatformColor() const;

    friend bool operator==(const CodableColor&, const CodableColor&) = default;
};

} // namespace lustrelab
