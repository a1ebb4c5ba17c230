#pragma once

#include "model/removal_area.h"

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <vector>

class QPainter;

namespace lustrelab {

// The always-visible outline of one removal area with its close symbol in the
// top-right corner; a double-click on it deletes the area. Geometry is
// relative to the image frame's top-left corner; `canvasSize` is the frame's size.
struct RemovalAreaHandle
{
    RemovalArea area;
    QSizeF canvasSize;

    static constexpr double closeSymbolInset = 8;
    static constexpr double closeSymbolDiameter = 12;

    QRectF hitRect() const;
    // All that paint() may touch: the outline is centred on hitRect's edges.
    QRectF paintedRect() const { return hitRect().adjusted(-2, -2, 2, 2); }
    // Centre of the close symbol: 8 points in from the top and right edges.
    QPointF closeSymbolCentre() const;
    void paint(QPainter& painter) const;

    static QColor outlineColor();
    // The pieces of the dashed outline of `outline`, which do not overlap.
    static std::vector<QRectF> dashes(const QRectF& outline);
    static constexpr double dashWidth = 2;
};

} // namespace lustrelab
