#pragma once

#include "model/custom_gradient.h"

#include <QColor>
#include <QImage>
#include <QList>

namespace lustrelab {

// The image's dominant colours with the share of the image each covers, most
// common first: median cut over a grid sample of about 4000 pixels, leaving
// out nearly transparent ones. Empty for an image with no opaque pixel.
struct DominantColor
{
    QColor color;
    double share = 0; // 0 to 1
};
QList<DominantColor> dominantColors(const QImage& image, int count = 16);

// A background that suits the screenshot: a linear gradient from its most
// common colour to the common colour most unlike it, or to a darker shade of
// the first when the screenshot has only one.
CustomGradient matchedGradient(const QList<DominantColor>& colors);

} // namespace lustrelab
