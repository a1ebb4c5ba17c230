#pragma once

#include <QImage>
#include <QSizeF>

namespace lustrelab {

// Size in points of an image: its pixels divided by its device pixel ratio,
// so a 2x screenshot of 792 x 1700 pixels is 396 x 850 points.
inline QSizeF logicalSize(const QImage& image)
{
    const double ratio = image.devicePixelRatio();
    return {image.width() / ratio, image.height() / ratio};
}

} // namespace lustrelab
