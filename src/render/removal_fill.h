#pragma once

// Removal areas: a rectangle of the screenshot refilled with colour guessed
// from a 3-pixel band around it.
//
// Three coordinate systems meet here. The area is stored in unit coordinates
// of the composed canvas (y up, from the bottom edge, padding included); the
// screenshot sits inside that canvas at `imageRectOnCanvas` (Qt points, y
// down); the fill works on the screenshot's pixels (points x ratio), rows
// counted from the top. Example: canvas 528 x 428, image at (64, 64) sized
// 400 x 300 at ratio 1; the unit area (0.25, 0.5, 0.1, 0.1) is the canvas
// rectangle (132, 171.2, 52.8, 42.8), which covers image columns 68..120 and
// rows 107..149.

#include "model/unit_geometry.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSizeF>

namespace lustrelab {

// The inclusive pixel range (columns x0..x1, rows y0..y1 from the top) of
// `image` under the area. Fractional edges take the whole pixel that contains
// them; an edge lying on a pixel boundary (within rounding noise) does not take
// the pixel beyond it. Clamped to the image; an empty QRect when the area
// misses the image or is empty.
QRect removalPixelRange(const UnitRect& areaRect, QSizeF canvasSize, QRectF imageRectOnCanvas,
                        const QImage& image);

// A new image (same pixel size and ratio, premultiplied ARGB) with the pixels
// of `pixelRange` refilled: flat with the mean colour of the surrounding band
// when that band is (nearly) one colour or has fewer than 11 pixels, otherwise
// each pixel the inverse-distance-squared blend of every band pixel. An empty
// range, or one that misses the image, returns `image` itself.
QImage fillRemovalArea(const QImage& image, QRect pixelRange);

} // namespace lustrelab
