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
    const int w = image.width(), h = image.height();
    // y from the bottom: the crop's top edge is 1 - (y + height) from the image's top.
    const int left = int(std::lround(c.x * w)), right = int(std::lround((c.x + c.width) * w));
    const int top = int(std::lround((1 - c.y - c.height) * h)), bottom = int(std::lround((1 - c.y) * h));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).intersected(image.rect());
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
    // The whole screenshot at the kept part's scale; the crop's y counts from the bottom.
    const double sx = screenshotRect.width() / c.width, sy = screenshotRect.height() / c.height;
    const QRectF whole(
        QPointF(screenshotRect.left() - c.x * sx, screenshotRect.top() - (1 - c.y - c.height) * sy),
        QSizeF(sx, sy));
    QPainterPath canvas, cutAway, kept;
    canvas.addRect(QRectF(QPointF(0, 0), canvasSize));
    cutAway.addRect(whole);
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
    const QPointF onCanvas = unitToSurface(point, before.canvasSize);
    const QRectF& was = before.screenshotRect;
    const double fx = (onCanvas.x() - was.left()) / was.width();
    const double fy = (was.bottom() - onCanvas.y()) / was.height();
    const double sx = before.crop.x + fx * before.crop.width;
    const double sy = before.crop.y + fy * before.crop.height;
    const double gx = (sx - after.crop.x) / after.crop.width;
    const double gy = (sy - after.crop.y) / after.crop.height;
    const QRectF& is = after.screenshotRect;
    return surfaceToUnit(QPointF(is.left() + gx * is.width(), is.bottom() - gy * is.height()),
                         after.canvasSize);
}

} // namespace lustrelab
