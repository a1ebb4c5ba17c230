#pragma once

// Where the screenshot sits on the canvas and how big the canvas is.
//
// Padding and placement are measured bottom-up (the bottom padding lies at
// y = 0); the results are given in Qt's top-left, y-down points as well.
// Example: a 400 x 300 image with padding 64 on the "auto" canvas gives a
// 528 x 428 canvas and the image at (64, 64); with a 16:9 preset the canvas
// widens to 760.89 x 428 and the image moves right to x = 180.44, centred.

#include "model/beauty_settings.h"

#include <QRectF>
#include <QSizeF>

namespace lustrelab {

struct Padding
{
    double top = 0;
    double bottom = 0;
    double leading = 0;
    double trailing = 0;
};

struct CanvasLayout
{
    Padding padding;
    QSizeF contentSize; // image plus padding
    QSizeF canvasSize;  // unrounded, in points
    QRectF imageRect;   // Qt coordinates (y down), points
};

// Auto-balance pads every side by this share of the screenshot's longer side,
// never less than the floor, so that small and large captures sit alike.
inline constexpr double balancedPaddingShare = 0.06;
inline constexpr double balancedPaddingFloor = 16;
double balancedPadding(QSizeF contentSize);

// The padding of each side for an image of `imageSize` points (read only by auto-balance).
Padding effectivePadding(const BeautySettings& settings, QSizeF imageSize);

// Canvas size for a content size under the preset named by `canvasPresetId`;
// an unknown id behaves like "auto".
QSizeF canvasSizeFor(QSizeF contentSize, const BeautySettings& settings);

CanvasLayout computeCanvasLayout(QSizeF imageSize, const BeautySettings& settings);

// The longest side, in pixels, of a canvas that composition makes; a larger
// one is refused rather than allocated (4 GiB at 32 bits a pixel).
inline constexpr double maxCanvasSide = 32768;

// A canvas's size in pixels at a device pixel ratio: its size in points times
// the ratio, each side rounded up, and left unbounded (settings come from
// files and may ask for anything, even a size that is not a number).
QSizeF canvasPixelExtent(QSizeF canvasSize, double ratio);

// Whether a canvas of that many pixels can be made: 1 to maxCanvasSide a side.
bool isComposableExtent(QSizeF pixelExtent);

} // namespace lustrelab
