#pragma once

#include "codable_color.h"
#include "raw_value.h"

#include <QList>

namespace lustrelab {

enum class GradientKind { linear, radial, conic };

template <> struct RawValues<GradientKind>
{
    static constexpr std::array<std::pair<GradientKind, const char*>, 3> cases{{
        {GradientKind::linear, "linear"},
        {GradientKind::radial, "radial"},
        {GradientKind::conic, "conic"},
    }};
};

struct GradientStop
{
    CodableColor color;
    double position = 0; // 0 to 1 along the gradient

    friend bool operator==(const GradientStop&, const GradientStop&) = default;
};

// A gradient the user made. Linear ones run at `angle` as the presets do;
// radial ones spread from the centre to the farthest corner; conic ones turn
// around the centre, starting at `angle`. The centre is a fraction of the
// canvas, y from the bottom edge like every unit coordinate.
struct CustomGradient
{
    static constexpr qsizetype minimumStops = 2;
    static constexpr qsizetype maximumStops = 5;

    GradientKind kind = GradientKind::linear;
    double angle = 45; // degrees, counter-clockwise from the x axis
    double centerX = 0.5;
    double centerY = 0.5;
    QList<GradientStop> stops{
        {CodableColor{0.388, 0.4, 0.945, 1}, 0},
        {CodableColor{0.925, 0.282, 0.6, 1}, 1},
    };

    friend bool operator==(const CustomGradient&, const CustomGradient&) = default;
};

} // namespace lustrelab
