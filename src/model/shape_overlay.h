#pragma once

#include "codable_color.h"
#include "raw_value.h"
#include "unit_geometry.h"

#include <QUuid>

#include <optional>

namespace lustrelab {

enum class ShapeType { rectangle, roundedRectangle, ellipse, line, arrow, highlight, blur };
enum class ArrowStyle { single, double_, none };

template <>
struct RawValues<ShapeType>
{
    static constexpr std::array<std::pair<ShapeType, const char*>, 7> cases{{
        {ShapeType::rectangle, "Rectangle"},
        {ShapeType::roundedRectangle, "Rounded Rect"},
        {ShapeType::ellipse, "Ellipse"},
        {ShapeType::line, "Line"},
        {ShapeType::arrow, "Arrow"},
        {ShapeType::highlight, "Highlight"},
        {ShapeType::blur, "Blur"},
    }};
};

template <>
struct RawValues<ArrowStyle>
{
    static constexpr std::array<std::pair<ArrowStyle, const char*>, 3> cases{{
        {ArrowStyle::single, "Single"},
        {ArrowStyle::double_, "Double"},
        {ArrowStyle::none, "None"},
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

    friend bool operator==(const ShapeOverlay&, const ShapeOverlay&) = default;
};

} // namespace lustrelab
