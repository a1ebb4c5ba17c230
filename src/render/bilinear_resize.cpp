#include "bilinear_resize.h"

#include "parallel_bands.h"
#include "pixel_blend.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace lustrelab {

namespace {

// Where a result pixel's centre falls on the source's pixel centres along one
// axis: the lower of its two source pixels and the weight (0..256) of the upper.
struct Tap
{
    int lower = 0;
    int next = 0; // lower + 1, or lower itself at the last pixel
    uint32_t weight = 0;
};

std::vector<Tap> tapsFor(int sourceLength, int resultLength)
{
    std::vector<Tap> taps(static_cast<size_t>(resultLength));
    const double step = double(sourceLength) / resultLength;
    for (int i = 0; i < resultLength; ++i) {
        const double at = std::clamp((i + 0.5) * step - 0.5, 0.0, double(sourceLength - 1));
        const int lower = std::min(int(at), sourceLength - 1);
        taps[size_t(i)] = {lower, std::min(lower + 1, sourceLength - 1),
                           uint32_t(std::lround((at - lower) * 256))};
    }
    return taps;
}

// What a resampling wrote: the AND of its pixels (opaque when its alpha
// byte is 0xff), and the bits in which any of them differs from the pixel it
// replaced.
struct Written
{
    uint32_t all = 0xffffffffu;
    uint32_t changed = 0;
};

// Writes the pixels of `window` (in result coordinates) of `source`
// resampled to `result` to `out`, the target pixel of the window's top-left.
// `source` is 32-bit premultiplied or RGB32.
Written resampleInto(const QImage& source, QSize result, const QRect& window, uchar* out, qsizetype stride,
                     uint32_t forceOpaque, bool compare)
{
    const std::vector<Tap> columns = tapsFor(source.width(), result.width());
    const std::vector<Tap> rows = tapsFor(source.height(), result.height());
    const int lastRow = source.height() - 1;
    const int sourceWidth = source.width();
    std::atomic<uint32_t> all = 0xffffffffu, changed = 0;
    runInBands(window.height(), [&](int begin, int end) {
        // Rows are mixed first, across the whole source row (a loop the
        // compiler vectorises), then each result pixel mixes two neighbours.
        std::vector<uint32_t> mixed(static_cast<size_t>(sourceWidth));
        Written band;
        for (int y = begin; y < end; ++y) {
            const Tap row = rows[size_t(window.top() + y)];
            const auto* upper = reinterpret_cast<const uint32_t*>(source.constScanLine(row.lower));
            const uint32_t* line = upper;
            if (row.weight != 0) {
                const auto* lower =
                    reinterpret_cast<const uint32_t*>(source.constScanLine(std::min(row.lower + 1, lastRow)));
                for (int i = 0; i < sourceWidth; ++i)
                    mixed[size_t(i)] = lerpPixel(upper[i], lower[i], row.weight);
                line = mixed.data();
            }
            auto* target = reinterpret_cast<uint32_t*>(out + y * stride);
            for (int x = 0; x < window.width(); ++x) {
                const Tap column = columns[size_t(window.left() + x)];
                const uint32_t pixel =
                    lerpPixel(line[column.lower], line[column.next], column.weight) | forceOpaque;
                band.all &= pixel;
                if (compare)
                    band.changed |= pixel ^ target[x];
                target[x] = pixel;
            }
        }
        all.fetch_and(band.all);
        changed.fetch_or(band.changed);
    });
    return {all.load(), changed.load()};
}

QImage composable(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QImage bilinearResized(const QImage& image, QSize pixels)
{
    if (image.isNull() || pixels.isEmpty())
        return {};
    const QImage source = composable(image);
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull() || source.isNull())
        return {};
    // RGB32's alpha byte is not to be trusted.
    const uint32_t forceOpaque = source.format() == QImage::Format_RGB32 ? 0xff000000u : 0u;
    // bits() once, here: scanLine() on a writable image detaches on every
    // call, which the band threads must not do concurrently.
    const Written written =
        resampleInto(source, pixels, result.rect(), result.bits(), result.bytesPerLine(), forceOpaque, false);
    result.setDevicePixelRatio(image.devicePixelRatio() * pixels.width() / image.width());
    if (written.all >= 0xff000000u)
        result.reinterpretAsFormat(QImage::Format_RGB32);
    return result;
}

std::optional<uint32_t> bilinearResizedInto(const QImage& image, QSize pixels, const QRect& window,
                                            QImage& target, QPoint at)
{
    const QImage source = image.isNull() ? image : composable(image);
    const bool opaqueTarget = target.format() == QImage::Format_RGB32;
    if (source.isNull() || pixels.isEmpty() || window.isEmpty() || !QRect({}, pixels).contains(window) ||
        !target.rect().contains(QRect(at, window.size())) ||
        (!opaqueTarget && target.format() != QImage::Format_ARGB32_Premultiplied))
        return std::nullopt;
    const uint32_t forceOpaque = opaqueTarget || source.format() == QImage::Format_RGB32 ? 0xff000000u : 0u;
    uchar* const bits = target.bits(); // once, before the band threads (see above)
    if (!bits)
        return std::nullopt;
    const qsizetype stride = target.bytesPerLine();
    return resampleInto(source, pixels, window, bits + stride * at.y() + qsizetype(at.x()) * 4, stride,
                        forceOpaque, true)
        .changed;
}

} // namespace lustrelab
