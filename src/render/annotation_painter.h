#pragma once

// Drawing of the annotations (shapes, then texts) into the composed canvas.
//
// The painter is open on the canvas in Qt's top-left, y-down space, in points
// (any device pixel ratio is already part of the painter's transform). Overlay
// positions are unit coordinates of the whole canvas, y from the bottom; they
// reach the painter through surface_coordinates.h. Example: on a 400 x 300 canvas a
// shape from (0.1, 0.2) to (0.6, 0.7) covers the Qt rectangle (40, 90, 200, 150).
//
// Each function leaves the painter's state as it found it. The overlay's
// opacity is the painter's opacity for everything that overlay draws.

#include "model/shape_overlay.h"
#include "model/text_overlay.h"

#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>

namespace lustrelab {

// A pixelate shape reads the pixels drawn so far, so it needs the painter to be
// open on the canvas image itself (on any other device it draws nothing); a
// redact box is opaque whatever its opacity; a spotlight darkens the whole
// canvas but its rectangle or ellipse.
void drawShape(const ShapeOverlay& shape, QPainter& painter, double canvasWidth, double canvasHeight);
void drawText(const TextOverlay& text, QPainter& painter, double canvasWidth, double canvasHeight);

// Shaft from `start` to `end` plus open heads (two barbs each, 30 degrees off
// the shaft, 2 x width + 15 long): at `end` for single, at both ends for double.
void drawArrow(QPainter& painter, QPointF start, QPointF end, ArrowStyle style, double strokeWidth);

// The mosaic that stands for a blur shape: 8-point cells alternating two greys,
// counted from the rectangle's bottom-left corner (cells at the top and right
// edges are cut to the rectangle). The pixels below are covered, not read.
// Only the part inside `visible` (the canvas) is drawn, so the work is
// bounded by the canvas whatever the rectangle.
void drawBlurPattern(QPainter& painter, const QRectF& rect, const QRectF& visible);

// Qt's weight for a FontWeight: the nine cases map one to one, lightest to
// heaviest, onto QFont::Thin ... QFont::Black.
QFont::Weight qtFontWeight(FontWeight weight);

// The family drawn for `fontName` (see font_resolution.h): the installed
// family, fontconfig's stand-in for it, or the system font; at the requested
// weight. The size is left to the caller.
QFont annotationFont(const QString& fontName, FontWeight weight);

} // namespace lustrelab
