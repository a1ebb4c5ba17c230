#pragma once

#include <QImage>

namespace lustrelab {

// Blurs a 32-bit image in place by three box passes each way, which come
// within a few per cent of a Gaussian of `sigma` pixels. Edges repeat their
// last pixel, so a blurred picture does not darken towards its border.
void boxBlur(QImage& image, double sigma);

} // namespace lustrelab
