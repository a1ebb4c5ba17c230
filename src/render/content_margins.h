#pragma once

#include <QImage>
#include <QRect>

namespace lustrelab {

// The part of `image` inside its single-colour margins: rows and columns at
// each edge whose pixels all lie within `tolerance` (per channel, 0 to 255,
// alpha included) of that edge's corner pixels, which must agree. An image of
// one colour throughout keeps its whole rectangle, as does a null one.
QRect contentRect(const QImage& image, int tolerance = 8);

} // namespace lustrelab
