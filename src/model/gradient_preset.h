#pragma once

#include "raw_value.h"

#include <QLinearGradient>
#include <QList>
#include <QString>

#include <optional>

namespace lustrelab {

enum class GradientCategory { all, featured, purple, blue, green, orange, pink, dark, light, multicolor, solid };

// The raw value is the display string shown on the category tabs.
template <>
struct RawValues<GradientCategory>
{
    static constexpr std::array<std::pair<GradientCategory, const char*>, 11> cases{{
        {GradientCategory::all, "All"},
        {GradientCategory::featured, "Featured"},
        {GradientCategory::purple, "Purple"},
        {GradientCategory::blue, "Blue"},
        {GradientCategory::green, "Green"},
        {GradientCategory::orange, "Orange"},
        {GradientCategory::pink, "Pink"},
        {GradientCategory::dark, "Dark"},
        {GradientCategory::light, "Light"},
        {GradientCategory::multicolor, "Multi"},
        {GradientCategory::solid, "Solid"},
    }};
};

struct GradientPreset
{
    QString id;
    QString name;
    QList<QString> colors; // "#RRGGBB" or "#RGB", parsed with colorFromHex
    double angle = 0;      // degrees
    GradientCategory category = GradientCategory::featured;

    friend bool operator==(const GradientPreset&, const GradientPreset&) = default;

    // A swatch gradient in the unit square, origin top-left, y down.
    QLinearGradient swatchGradient() const;
};

// The built-in catalogue, built once and immutable; display and search order.
const QList<GradientPreset>& gradientPresets();
// First preset whose id matches exactly, or nothing.
const GradientPreset* findGradientPreset(QStringView id);
QList<GradientPreset> presetsInCategory(GradientCategory category);

} // namespace lustrelab
