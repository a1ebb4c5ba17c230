#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <optional>

namespace lustrelab {

// `image` (32-bit premultiplied or RGB32) resampled to `pixels` by bilinear
// filtering, split across cores: a few times faster than Qt's smooth scaling,
// and as good as it for the small steps it serves (a live composition within
// a quarter octave of the size it is shown at), where every source pixel
// still lands on a result pixel. The ratio is lowered or raised with the
// pixels, so the result keeps the size in points; opaque pixels give an RGB32
// result. Null for an empty size or a null image.
QImage bilinearResized(const QImage& image, QSize pixels);

// The part `window` of what bilinearResized(image, pixels) gives, written
// straight into `target` (premultiplied 32-bit, or RGB32 for an opaque
// `image`) with its top-left at `at`: no image of the whole size is made.
// Returns the OR over every written pixel of its bits that changed, so the
// caller can tell whether any alpha did; nothing when the window does not
// lie inside both or `target` has another format.
std::optional<uint32_t> bilinearResizedInto(const QImage& image, QSize pixels, const QRect& window,
                                            QImage& target, QPoint at);

} // namespace lustrelab
