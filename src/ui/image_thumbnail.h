#pragma once

#include <QImage>
#include <QSize>

namespace lustrelab {

// A small copy of a possibly huge image for chrome (tab thumbnails, the export
// preview), made once per image change and never while painting. The result
// is `box` logical pixels at ratio `devicePixelRatio`; Qt::KeepAspectRatio
// fits the whole image inside (the result may be narrower or lower than the
// box), Qt::KeepAspectRatioByExpanding fills the box and crops the overflow
// around the centre. A null image or an empty box gives a null image.
QImage imageThumbnail(const QImage& image, const QSize& box, qreal devicePixelRatio,
                      Qt::AspectRatioMode mode);

} // namespace lustrelab
