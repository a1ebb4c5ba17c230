#pragma once

// Where the annotation painter can touch the canvas, for redrawing only that
// part when the annotations change.
//
// Bounds are in points of Qt's top-left space, as the painter draws, and
// err on the large side: they hold the stroke with its mitred corners, the
// arrow heads, a text's box turned about its centre with room for glyphs
// reaching past their metrics, and the antialiased fringe of all of these.
// A shape or text whose reach cannot be told (a coordinate that is not a
// number, say) is bounded by the whole canvas.

#include "model/shape_overlay.h"
#include "model/text_overlay.h"

#include <QFont>
#include <QRect>
#include <QRectF>
#include <QSizeF>

class QPaintDevice;

namespace lustrelab {

QRectF shapeBounds(const ShapeOverlay& shape, double canvasWidth, double canvasHeight);
// `device` is the canvas the text is drawn on: its resolution sets the font.
QRectF textBounds(const TextOverlay& text, const QPaintDevice* device, double canvasWidth,
                  double canvasHeight);

// The font a text is drawn in on `device` (the canvas): Qt's point size goes
// through the device's resolution, so it is converted to make one font point
// one canvas point.
QFont textFont(const TextOverlay& text, const QPaintDevice* device);
// The box a text's glyphs are centred in, unturned, in points: what the
// metrics of `content` span in `font` (textFont) on `device`, without a
// background's margin.
QSizeF textBoxSize(const QString& content, const QFont& font, const QPaintDevice* device);

// `bounds` in points as whole device pixels at `ratio`, a pixel wider on each
// side and cut to a canvas of `canvasPixels`.
QRect boundsInPixels(const QRectF& bounds, double ratio, QSize canvasPixels);

} // namespace lustrelab
