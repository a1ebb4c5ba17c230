#pragma once

#include "background_fill.h"
#include "shadow_field.h"
#include "styled_image.h"

#include <QImage>
#include <QPointF>

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
};

void composeBaseLayer(QImage& canvas, const BaseLayer& layer);

} // namespace lustrelab
