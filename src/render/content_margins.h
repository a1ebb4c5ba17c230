#pragma once

#include <QImage>
#include <QRect>

namespace lustrelab {

// The part of `image` inside its single-colour margins: rows and columns at
// the edges whose pixels all lie within `tolerance` (per channel, 0 to 255,
// alpha included) of the corners' colour, when all four corners share one.
// Otherwise, for an image of one colour throughout and for a null one, the
// whole rectangle.
QRect contentRect(const QImage& image, int tolerance = 8);

} // namespace lustrelab
