#pragma once

#include "background_fill.h"
#include "shadow_field.h"
#include "styled_image.h"

#include <QImage>
#include <QPointF>
#include <QRect>

namespace lustrelab {

// Writes background, shadow and the styled screenshot into the canvas in one
// pass over its rows, split across cores.
//
// With a shadow the screenshot is composited twice, as the drawing order asks:
// once as the shape that casts the shadow and once on its own. Where a
// screenshot pixel is opaque neither the background nor the shadow beneath it
// can show, so they are not computed there at all.
struct BaseLayer
{
    const BackgroundFill* background = nullptr;
    const ShadowField* shadow = nullptr; // null: no shadow
    float shadowOpacity = 0;
    uint32_t shadowColor = 0xff000000u; // opaque ARGB; shadowOpacity gives its alpha
    const StyledImage* image = nullptr; // null: drawn by the caller
    QPointF imagePosition;              // device pixels, top-left
    bool imageTwice = false;            // the shadow step draws the image too
    // Canvas pixels that already hold what this layer would write there
    // (a buffer reused from a composition of the same screenshot in the same
    // place): left as they are.
    QRect kept;
};

void composeBaseLayer(QImage& canvas, const BaseLayer& layer);

// The layer of a canvas of `canvasPixels` written straight at the size of
// `shown` (smaller, the pixels it takes on screen), each pixel of `shown`
// taking the canvas pixel nearest to its centre: what drawing the composed
// canvas scaled without filtering shows, made in one pass. Only the canvas
// rows that are taken are composed, each in a row of memory of its own, and
// of those only the part around a run of the image known to be opaque, whose
// shown pixels are taken from it directly. The
// layer's background must write spans (not the checkerboard) and `kept` is
// not read.
void composeBaseLayerScaled(QImage& shown, QSize canvasPixels, const BaseLayer& layer);

} // namespace lustrelab
