#pragma once

// Unit coordinates: annotations are stored as fractions of the composed image,
// x from 0 at the left edge to 1 at the right edge and y from 0 at the BOTTOM
// edge to 1 at the top edge. Example: on a 800 x 600 canvas the unit point
// (0.25, 0.75) lies 200 points from the left and 150 points from the top
// (Qt's y = (1 - 0.75) * 600). Conversions to Qt's top-left, y-down space live
// in render/surface_coordinates.h; the canvas view adds its fitted frame's
// offset on top of them in canvas/canvas_coordinates.h. No other code flips y.
//
// Plain structs rather than QPointF/QRectF: equality here is exact, and a
// QRectF's top/bottom naming would invite the wrong reading of y.

namespace lustrelab {

struct UnitPoint
{
    double x = 0;
    double y = 0;
    friend bool operator==(const UnitPoint&, const UnitPoint&) = default;
};

// Origin is the bottom-left corner of the rectangle (y measured upward).
struct UnitRect
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const UnitRect&, const UnitRect&) = default;
};

} // namespace lustrelab
