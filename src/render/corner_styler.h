#pragma once

#include "model/beauty_settings.h"
#include "styled_image.h"

#include <QImage>

namespace lustrelab {

// Clips a screenshot to its rounded shape and strokes the border inside its
// edge. The path is the image rectangle inset by half the border width, with
// the corner radius reduced by the same amount (never below 0), so the
// stroke's outer edge meets the image bounds; a radius too large for the
// rectangle is clamped to half its shorter side.
//
// Only the strips along the edges that styling reaches are redrawn; `image`
// must be premultiplied ARGB or RGB32. `opaque`: every pixel of `image` is
// known to be opaque, so that the middle is read without looking at alpha.
StyledImage applyCorners(const QImage& image, const BeautySettings& settings, bool opaque = false);

} // namespace lustrelab
