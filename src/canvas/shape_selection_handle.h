#pragma once

#include "model/shape_overlay.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace lustrelab {

// The interaction layer's stand-in for one shape: an invisible rectangle over
// the shape's bounding box, never thinner than a comfortable grab, outlined
// with a dashed frame while selected. Geometry is relative to the image
// frame's top-left corner; `canvasSize` is the frame's size.
struct ShapeSelectionHandle
{
    ShapeOverlay overlay;
    bool isSelected = false;
    QSizeF canvasSize;

    // So that a horizontal line or a tiny shape can still be picked up.
    static constexpr double minimumSide = 20;

    // The bounding box of the two end points, in frame points.
    QRectF bounds() const;
    QRectF hitRect() const;
    void paint(QPainter& painter, const QColor& accent) const;
};

} // namespace lustrelab
