#include "canvas_layout.h"

#include "model/canvas_preset.h"
#include "surface_coordinates.h"

#include <algorithm>
#include <cmath>

namespace lustrelab {

double balancedPadding(QSizeF contentSize)
{
    const double side = std::max(contentSize.width(), contentSize.height());
    return std::isfinite(side) ? std::max(balancedPaddingFloor, side * balancedPaddingShare) : balancedPaddingFloor;
}

Padding effectivePadding(const BeautySettings& settings, QSizeF imageSize)
{
    if (settings.autoBalance) {
        const double p = balancedPadding(imageSize);
        return {p, p, p, p};
    }
    if (settings.paddingUniform)
        return {settings.padding, settings.padding, settings.padding, settings.padding};
    return {settings.paddingTop, settings.paddingBottom, settings.paddingLeading, settings.paddingTrailing};
}

QSizeF canvasSizeFor(QSizeF contentSize, const BeautySettings& settings)
{
    const CanvasPreset* preset = findCanvasPreset(settings.canvasPresetId);
    if (!preset || preset->id == QLatin1String("auto"))
        return contentSize;
    if (preset->fixedSize)
        return *preset->fixedSize;
    if (!preset->aspectRatio || contentSize.height() <= 0)
        return contentSize;
    const double ratio = *preset->aspectRatio;
    const double contentRatio = contentSize.width() / contentSize.height();
    // Grow along one axis only, so the canvas never cuts into the content.
    if (ratio >= contentRatio)
        return {contentSize.height() * ratio, contentSize.height()};
    return {contentSize.width(), contentSize.width() / ratio};
}

CanvasLayout computeCanvasLayout(QSizeF imageSize, const BeautySettings& settings)
{
    CanvasLayout layout;
    layout.padding = effectivePadding(settings, imageSize);
    const Padding& p = layout.padding;
    layout.contentSize = {p.leading + imageSize.width() + p.trailing, p.top + imageSize.height() + p.bottom};
    layout.canvasSize = canvasSizeFor(layout.contentSize, settings);
    const double x = p.leading + (layout.canvasSize.width() - layout.contentSize.width()) * 0.5;
    const double y = p.bottom + (layout.canvasSize.height() - layout.contentSize.height()) * 0.5;
    layout.imageRect = flipRect(x, y, imageSize.width(), imageSize.height(), layout.canvasSize.height());
    return layout;
}

QSizeF canvasPixelExtent(QSizeF canvasSize, double ratio)
{
    // The tolerance keeps a rounding error of 1e-12 from growing a whole pixel.
    return {std::ceil(canvasSize.width() * ratio - 1e-9), std::ceil(canvasSize.height() * ratio - 1e-9)};
}

bool isComposableExtent(QSizeF pixelExtent)
{
    return pixelExtent.width() >= 1 && pixelExtent.width() <= maxCanvasSide && pixelExtent.height() >= 1 &&
           pixelExtent.height() <= maxCanvasSide;
}

} // namespace lustrelab
