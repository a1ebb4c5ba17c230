#pragma once

#include <QImage>
#include <QSize>

namespace lustrelab {

// `image` (32-bit premultiplied or RGB32) resampled to `pixels` by bilinear
// filtering, split across cores: a few times faster than Qt's smooth scaling,
// and as good as it for the small steps it serves (a live composition within
// a quarter octave of the size it is shown at), where every source pixel
// still lands on a result pixel. The ratio is lowered or raised with the
// pixels, so the result keeps the size in points; opaque pixels give an RGB32
// result. Null for an empty size or a null image.
QImage bilinearResized(const QImage& image, QSize pixels);

} // namespace lustrelab
