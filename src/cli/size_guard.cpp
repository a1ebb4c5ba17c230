#include "size_guard.h"

#include "model/canvas_preset.h"
#include "model/device_frame.h"

#include <cmath>

namespace lustrelab {

namespace {

QSizeF estimateCanvas(QSize imageSize, const BeautySettings& s)
{
    double w = imageSize.width();
    double h = imageSize.height();
    if (const DeviceFrame* frame = findDeviceFrame(s.deviceFrameId)) {
        w += 2 * frame->bezelWidth;
        h += 2 * frame->bezelWidth;
    }
    const bool uniform = s.paddingUniform;
    w += uniform ? 2 * s.padding : s.paddingLeading + s.paddingTrailing;
    h += uniform ? 2 * s.padding : s.paddingTop + s.paddingBottom;

    const CanvasPreset* preset = findCanvasPreset(s.canvasPresetId);
    if (!preset || w <= 0 || h <= 0)
        return {w, h};
    if (preset->fixedSize)
        return *preset->fixedSize;
    if (const std::optional<double> r = preset->aspectRatio) {
        if (*r >= w / h)
            return {h * *r, h};
        return {w, w / *r};
    }
    return {w, h};
}

QString describe(double w, double h)
{
    return QStringLiteral("%1 x %2 pixels").arg(std::floor(w), 0, 'f', 0).arg(std::floor(h), 0, 'f', 0);
}

} // namespace

QString checkComposedSize(QSize imageSize, const BeautySettings& settings, qint64 maxPixels)
{
    const QSizeF canvas = estimateCanvas(imageSize, settings);
    if (!(canvas.width() >= 1 && canvas.height() >= 1))
        return QStringLiteral("the padding leaves no canvas (%1)")
            .arg(describe(canvas.width(), canvas.height()));
    const double limit = double(maxPixels);
    if (canvas.width() * canvas.height() > limit)
        return QStringLiteral("the styled image would be %1, more than the limit of %2 megapixels")
            .arg(describe(canvas.width(), canvas.height()))
            .arg(maxPixels / 1000000);

    const double scale = settings.exportScale;
    const double outW = canvas.width() * scale;
    const double outH = canvas.height() * scale;
    if (!(scale > 0) || !std::isfinite(scale) || outW < 1 || outH < 1)
        return QStringLiteral("the export scale %1 leaves no image").arg(scale);
    if (outW * outH > limit)
        return QStringLiteral(
                   "the written image would be %1 at scale %2, more than the limit of %3 megapixels")
            .arg(describe(outW, outH))
            .arg(scale)
            .arg(maxPixels / 1000000);
    return {};
}

} // namespace lustrelab
