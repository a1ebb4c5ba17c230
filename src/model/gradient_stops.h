#pragma once

#include "custom_gradient.h"

#include <optional>

namespace lustrelab {

// Edits of a custom gradient's stops, as the stop bar makes them. Stops keep
// their list order (the one the user made them in); positions are clamped
// to 0..1; the count stays within CustomGradient's limits.

// The colour the gradient shows at `position`, between the stops around it.
CodableColor colorAt(const QList<GradientStop>& stops, double position);

// The index of the stop nearest `position` within `tolerance`, or nothing.
std::optional<qsizetype> stopNear(const QList<GradientStop>& stops, double position, double tolerance);

// A new stop at `position` in the colour shown there; nothing when the
// gradient has as many stops as it may.
std::optional<qsizetype> addStop(QList<GradientStop>& stops, double position);

void moveStop(QList<GradientStop>& stops, qsizetype index, double position);

// False (and nothing removed) when only the minimum is left.
bool removeStop(QList<GradientStop>& stops, qsizetype index);

} // namespace lustrelab
