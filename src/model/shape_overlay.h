#pragma once

#include "codable_color.h"
#include "raw_value.h"
#include "unit_geometry.h"

#include <QUuid>
#include <optional>

namespace lustrelab {

enum class ShapeType {
    rectangle,
    roundedRectangle,
    ellipse,
    line,
    arrow,
    highlight,
    blur,
    pixelate,
    redact,
    spotlight
};
enum class ArrowStyle { single, double_, none };
// The outline a spotlight leaves undimmed.
enum class SpotlightShape { rectangle, ellipse };

template <> struct RawValues<ShapeType>
{
    static constexpr std::array<std::pair<ShapeType, const char*>, 10> cases{{
        {ShapeType::rectangle, "Rectangle"},
        {ShapeType::roundedRectangle, "Rounded Rect"},
        {ShapeType::ellipse, "Ellipse"},
        {ShapeType::line, "Line"},
        {ShapeType::arrow, "Arrow"},
        {ShapeType::highlight, "Highlight"},
        {ShapeType::blur, "Blur"},
        {ShapeType::pixelate, "Pixelate"},
        {ShapeType::redact, "Redact"},
        {ShapeType::spotlight, "Spotlight"},
    }};
};

template <> struct RawValues<ArrowStyle>
{
    static constexpr std::array<std::pair<ArrowStyle, const char*>, 3> cases{{
        {ArrowStyle::single, "Single"},
        {ArrowStyle::double_, "Double"},
        {ArrowStyle::none, "None"},
    }};
};

template <> struct RawValues<SpotlightShape>
{
    static constexpr std::array<std::pair<SpotlightShape, const char*>, 2> cases{{
        {SpotlightShape::rectangle, "Rectangle"},
        {SpotlightShape::ellipse, "Ellipse"},
    }};
};

// The defaults are what a newly added shape looks like, in the window and in
// annotation files alike.
struct ShapeOverlay
{
    QUuid id = QUuid::createUuid();
    ShapeType shapeType = ShapeType::rectangle;
    UnitPoint startPoint{0.3, 0.3}; // first corner or line start
    UnitPoint endPoint{0.7, 0.7};   // opposite corner or line end
    CodableColor strokeColor{1, 0, 0, 1};
    std::optional<CodableColor> fillColor;
    double strokeWidth = 3; // points
    double opacity = 1;
    ArrowStyle arrowStyle = ArrowStyle::single;
    double cellSize = 12; // points: the side of a pixelate shape's cells
    SpotlightShape spotlightShape = SpotlightShape::rectangle;

    friend bool operator==(const ShapeOverlay&, const ShapeOverlay&) = default;
};

// A shape of `type` as the editor adds it. Most types share the defaults
// above; a redact box is black and a spotlight dims to 0.6, because a red box
// or a fully black surrounding is never what is wanted there.
ShapeOverlay freshShape(ShapeType type);

} // namespace lustrelab
