#pragma once

#include "model/beauty_settings.h"

#include <QImage>

namespace lustrelab {

// Clips a screenshot to its rounded shape and strokes the border inside its
// edge. The path is the image rectangle inset by half the border width, with
// the corner radius reduced by the same amount (never below 0), so the
// stroke's outer edge meets the image bounds; a radius too large for the
// rectangle is clamped to half its shorter side.
//
// `scratch` is a buffer kept by the caller between calls: when nobody else
// holds it and its size fits, the result is written into it instead of into
// fresh memory. When nothing needs clipping or stroking the input is returned
// as it is (shared, no copy).
QImage applyCorners(const QImage& image, const BeautySettings& settings, QImage& scratch);

} // namespace lustrelab
