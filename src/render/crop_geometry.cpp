#include "crop_geometry.h"

#include "canvas_layout.h"
#include "device_frame_renderer.h"
#include "model/device_frame.h"
#include "surface_coordinates.h"

#include <algorithm>
#include <cmath>

namespace lustrelab {

UnitRect clampedCrop(const UnitRect& crop)
{
    // Left as it is when inside, so a crop read back compares equal.
    if (crop.x >= 0 && crop.y >= 0 && crop.width >= 0 && crop.height >= 0 && crop.x + crop.width <= 1 &&
        crop.y + crop.height <= 1)
        return crop;
    const double left = std::clamp(crop.x, 0.0, 1.0), right = std::clamp(crop.x + crop.width, 0.0, 1.0);
    const double bottom = std::clamp(crop.y, 0.0, 1.0), top = std::clamp(crop.y + crop.height, 0.0, 1.0);
    return {left, bottom, std::max(0.0, right - left), std::max(0.0, top - bottom)};
}

QRect cropPixels(const QImage& image, const UnitRect& crop)
{
    const UnitRect c = clampedCrop(crop);
    const QSizeF pixels = image.size();
    const QPointF topLeft = unitToSurface({c.x, c.y + c.height}, pixels);
    const QPointF bottomRight = unitToSurface({c.x + c.width, c.y}, pixels);
    const auto rounded = [](double v) { return int(std::lround(v)); };
    return QRect(QPoint(rounded(topLeft.x()), rounded(topLeft.y())),
                 QPoint(rounded(bottomRight.x()) - 1, rounded(bottomRight.y()) - 1))
        .intersected(image.rect());
}

QImage croppedImage(const QImage& image, const UnitRect& crop)
{
    const QRect pixels = cropPixels(image, crop);
    if (pixels.isEmpty() || pixels == image.rect())
        return image;
    QImage cropped = image.copy(pixels);
    cropped.setDevicePixelRatio(image.devicePixelRatio());
    return cropped;
}

CropLayout cropLayout(QSizeF screenshotPoints, const std::optional<UnitRect>& crop,
                      const BeautySettings& settings)
{
    const UnitRect kept = crop ? clampedCrop(*crop) : UnitRect{0, 0, 1, 1};
    QSizeF points(screenshotPoints.width() * kept.width, screenshotPoints.height() * kept.height);
    if (settings.deviceFrameId != QLatin1String("none"))
        if (const DeviceFrame* frame = findDeviceFrame(settings.deviceFrameId))
            points = DeviceFrameRenderer::framedSize(points, *frame);
    const CanvasLayout layout = computeCanvasLayout(points, settings);
    return {layout.canvasSize, layout.imageRect, kept};
}

std::optional<QPainterPath> annotationArea(QSizeF canvasSize, const QRectF& screenshotRect,
                                           const UnitRect& crop)
{
    const UnitRect c = clampedCrop(crop);
    if (!(c.width > 0) || !(c.height > 0) || c == UnitRect{0, 0, 1, 1} || screenshotRect.isEmpty())
        return std::nullopt;
    // The whole screenshot at the kept part's scale, placed so that the kept
    // part's top-left corner falls on the screenshot's.
    const QSizeF whole(screenshotRect.width() / c.width, screenshotRect.height() / c.height);
    const QRectF wholeRect(screenshotRect.topLeft() - unitToSurface({c.x, c.y + c.height}, whole), whole);
    QPainterPath canvas, cutAway, kept;
    canvas.addRect(QRectF(QPointF(0, 0), canvasSize));
    cutAway.addRect(wholeRect);
    kept.addRect(screenshotRect);
    return canvas.subtracted(cutAway).united(kept);
}

UnitPoint remapForCrop(UnitPoint point, const CropLayout& before, const CropLayout& after)
{
    if (before.screenshotRect.isEmpty() || after.screenshotRect.isEmpty() || !(before.crop.width > 0) ||
        !(before.crop.height > 0) || !(after.crop.width > 0) || !(after.crop.height > 0))
        return point;
    // Canvas point, then the fraction across the kept part (y up), then the
    // fraction of the whole screenshot; and back the same way.
    const QRectF& was = before.screenshotRect;
    const UnitPoint f = surfaceToUnit(unitToSurface(point, before.canvasSize) - was.topLeft(), was.size());
    const double sx = before.crop.x + f.x * before.crop.width;
    const double sy = before.crop.y + f.y * before.crop.height;
    const UnitPoint g{(sx - after.crop.x) / after.crop.width, (sy - after.crop.y) / after.crop.height};
    const QRectF& is = after.screenshotRect;
    return surfaceToUnit(is.topLeft() + unitToSurface(g, is.size()), after.canvasSize);
}

} // namespace lustrelab
