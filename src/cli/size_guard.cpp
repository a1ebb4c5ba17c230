#include "size_guard.h"

#include "render/canvas_layout.h"
#include "render/image_processor.h"

#include <cmath>

namespace lustrelab {

namespace {

QString describe(double w, double h)
{
    return QStringLiteral("%1 x %2 pixels").arg(std::floor(w), 0, 'f', 0).arg(std::floor(h), 0, 'f', 0);
}

} // namespace

QString checkComposedSize(QSize imageSize, const BeautySettings& settings, qint64 maxPixels, double ratio)
{
    const QSizeF canvas = ImageProcessor::canvasPixelsFor(imageSize, ratio, settings);
    if (!(canvas.width() >= 1 && canvas.height() >= 1))
        return QStringLiteral("the padding leaves no canvas (%1)")
            .arg(describe(canvas.width(), canvas.height()));
    const double limit = double(maxPixels);
    if (canvas.width() * canvas.height() > limit)
        return QStringLiteral("the styled image would be %1, more than the limit of %2 megapixels")
            .arg(describe(canvas.width(), canvas.height()))
            .arg(maxPixels / 1000000);
    if (!isComposableExtent(canvas))
        return QStringLiteral("the styled image would be %1, more than %2 pixels a side")
            .arg(describe(canvas.width(), canvas.height()))
            .arg(maxCanvasSide, 0, 'f', 0);

    const double scale = settings.exportScale;
    // The export scale counts points, not pixels.
    const double outW = canvas.width() / ratio * scale;
    const double outH = canvas.height() / ratio * scale;
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
