#include "export_scale.h"

#include <cmath>

namespace lustrelab {

double exportScaleFor(const QImage& screenshot, std::optional<double> chosen)
{
    if (chosen)
        return *chosen;
    const double ratio = screenshot.devicePixelRatio();
    return ratio > 0 && std::isfinite(ratio) ? ratio : 1.0;
}

} // namespace lustrelab
