#pragma once

// Where the canvas's two coordinate systems meet.
//
// Canvas points: the view's own space, origin at its top-left corner, y
// growing downwards; mouse positions arrive in it. The composed image is shown
// fitted inside it, in the rectangle called the image frame F.
//
// Unit coordinates: how annotations are stored, as fractions of the composed
// image, x from 0 (left edge) to 1 (right edge), y from 0 (BOTTOM edge) to 1
// (top edge).
//
// Example: F = (100, 50, 400 x 200). The canvas point (200, 100) lies a
// quarter across and a quarter down F, so it is the unit point (0.25, 0.75);
// the unit point (0.25, 0.75) is drawn at (100, 50) relative to F's top-left
// corner, that is (200, 100) on the canvas. A drag of (+40, +20) points is
// the unit offset (+0.1, -0.1): downwards on screen is downwards in y.
//
// Every conversion the canvas makes goes through these functions; the y-flip
// itself is render/surface_coordinates.h's, with the frame's offset on top.

#include "render/surface_coordinates.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <algorithm>
#include <cmath>

namespace lustrelab::canvas {

// Space kept free around the fitted image on every side, in points.
inline constexpr double imageMargin = 24;

// Clamps to [0, 1]; a value that is not a number becomes 0, so nothing outside
// the image ever reaches the model.
inline double clampUnit(double value)
{
    if (!(value > 0))
        return 0;
    return value < 1 ? value : 1;
}

// The rectangle an image of `imageSize` occupies when fitted, aspect ratio
// kept, into a canvas of `canvasSize` inset by `margin` on every side, centred.
// Empty when there is no room or no image.
inline QRectF fittedImageFrame(QSizeF canvasSize, QSizeF imageSize, double margin = imageMargin)
{
    const double roomWidth = canvasSize.width() - 2 * margin;
    const double roomHeight = canvasSize.height() - 2 * margin;
    if (!(roomWidth > 0 && roomHeight > 0 && imageSize.width() > 0 && imageSize.height() > 0))
        return {};
    const double scale = std::min(roomWidth / imageSize.width(), roomHeight / imageSize.height());
    const QSizeF fitted = imageSize * scale;
    return {(canvasSize.width() - fitted.width()) / 2, (canvasSize.height() - fitted.height()) / 2,
            fitted.width(), fitted.height()};
}

// A canvas point as unit coordinates of the image in `frame`, clamped to the image.
inline UnitPoint canvasToUnit(QPointF point, const QRectF& frame)
{
    const UnitPoint unit = surfaceToUnit(point - frame.topLeft(), frame.size());
    return {clampUnit(unit.x), clampUnit(unit.y)};
}

// A unit point as a canvas point.
inline QPointF unitToCanvas(UnitPoint point, const QRectF& frame)
{
    return frame.topLeft() + unitToSurface(point, frame.size());
}

// A drag translation in canvas points as an offset in unit coordinates.
inline UnitPoint translationToUnit(QPointF translation, QSizeF frameSize)
{
    return {translation.x() / frameSize.width(), -translation.y() / frameSize.height()};
}

// The rectangle spanned by two corners, whichever way the drag went.
inline QRectF spannedRect(QPointF from, QPointF to)
{
    return {std::min(from.x(), to.x()), std::min(from.y(), to.y()), std::abs(to.x() - from.x()),
            std::abs(to.y() - from.y())};
}

} // namespace lustrelab::canvas
