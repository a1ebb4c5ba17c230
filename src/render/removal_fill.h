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

// How closely a fill follows its band: `exact` blends every band pixel at
// full resolution; `preview`, for a fill made again on every step of a drag,
// blends a reduced copy of a large area and enlarges the result, which is
// softer near the area's edges and costs about a millisecond at any size.
enum class FillDetail { exact, preview };

// A new image (same pixel size and ratio; an RGB32 image stays RGB32, any
// other comes back premultiplied ARGB) with the pixels of `pixelRange`
// refilled: flat with the mean colour of the surrounding band when that band
// is (nearly) one colour or has fewer than 11 pixels, otherwise each pixel the
// inverse-distance-squared blend of every band pixel. An empty range, or one
// that misses the image, returns `image` itself. Pixels outside the range keep
// their values.
QImage fillRemovalArea(const QImage& image, QRect pixelRange, FillDetail detail = FillDetail::exact);

// The same fill written into `image` (RGB32 or premultiplied ARGB32), for a
// caller that reuses one buffer from step to step. True when every pixel of
// the area keeps its alpha, so that the image keeps its outline.
bool fillRemovalAreaInPlace(QImage& image, QRect pixelRange, FillDetail detail);

} // namespace lustrelab
