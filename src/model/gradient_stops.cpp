#include "gradient_stops.h"

#include <algorithm>
#include <cmath>

namespace lustrelab {

CodableColor colorAt(const QList<GradientStop>& stops, double position)
{
    if (stops.isEmpty())
        return {};
    // The nearest stop on either side; beyond the ends the end colour holds.
    const GradientStop* below = nullptr;
    const GradientStop* above = nullptr;
    for (const GradientStop& stop : stops) {
        if (stop.position <= position && (!below || stop.position >= below->position))
            below = &stop;
        if (stop.position >= position && (!above || stop.position < above->position))
            above = &stop;
    }
    if (!below)
        return above->color;
    if (!above || above->position == below->position)
        return below->color;
    const double t = (position - below->position) / (above->position - below->position);
    auto lerp = [t](double a, double b) { return a + (b - a) * t; };
    return {lerp(below->color.red, above->color.red), lerp(below->color.green, above->color.green),
            lerp(below->color.blue, above->color.blue), lerp(below->color.opacity, above->color.opacity)};
}

std::optional<qsizetype> stopNear(const QList<GradientStop>& stops, double position, double tolerance)
{
    std::optional<qsizetype> nearest;
    double best = tolerance;
    for (qsizetype i = 0; i < stops.size(); ++i) {
        const double d = std::abs(stops[i].position - position);
        if (d <= best) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

std::optional<qsizetype> addStop(QList<GradientStop>& stops, double position)
{
    if (stops.size() >= CustomGradient::maximumStops || !std::isfinite(position))
        return std::nullopt;
    const double at = std::clamp(position, 0.0, 1.0);
    stops.append({colorAt(stops, at), at});
    return stops.size() - 1;
}

void moveStop(QList<GradientStop>& stops, qsizetype index, double position)
{
    if (index >= 0 && index < stops.size() && std::isfinite(position))
        stops[index].position = std::clamp(position, 0.0, 1.0);
}

bool removeStop(QList<GradientStop>& stops, qsizetype index)
{
    if (index < 0 || index >= stops.size() || stops.size() <= CustomGradient::minimumStops)
        return false;
    stops.removeAt(index);
    return true;
}

} // namespace lustrelab
