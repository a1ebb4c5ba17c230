#pragma once

#include <QImage>
#include <optional>

namespace lustrelab {

// The scale of an export, copy or capture made from `screenshot` (or from
// what was composed from it, which keeps its pixel ratio): the one the user
// chose, else the screenshot's own pixel ratio, so that a 1x screen gives
// its pixels one to one and a HiDPI screen keeps all of its pixels. An
// image without a usable ratio counts as 1x.
double exportScaleFor(const QImage& screenshot, std::optional<double> chosen);

} // namespace lustrelab
