#pragma once

// The pixelate shape replaces what lies under it with square cells, each one
// the mean of the pixels it covers. It reads the canvas as drawn so far (the
// framed screenshot and every annotation drawn before it), so it must run in
// drawing order, on the canvas itself.
//
// Cells are counted from the rectangle's bottom-left corner, like the blur
// mosaic's, and cut to the rectangle at its top and right edges. The grid and
// the rectangle sit on whole device pixels: a cell that straddled a pixel
// would mix its mean with the pixels outside it.

#include <QImage>
#include <QRectF>

namespace lustrelab {

// `rect` and `cellSize` in points of `canvas` (its device pixel ratio scales
// them); `opacity` mixes the cells over the original, 1 replacing it. Only
// the part of `rect` on the canvas is touched. The canvas must be
// premultiplied ARGB32.
void pixelateRegion(QImage& canvas, const QRectF& rect, double cellSize, double opacity);

} // namespace lustrelab
