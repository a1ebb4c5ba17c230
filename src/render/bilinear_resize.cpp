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
        taps[size_t(i)] = {lower, std::min(lower + 1, sourceLength - 1), uint32_t(std::lround((at - lower) * 256))};
    }
    return taps;
}

} // namespace

QImage bilinearResized(const QImage& image, QSize pixels)
{
    if (image.isNull() || pixels.isEmpty())
        return {};
    const bool rgb32 = image.format() == QImage::Format_RGB32;
    const QImage source = rgb32 || image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    if (result.isNull() || source.isNull())
        return {};
    const std::vector<Tap> columns = tapsFor(source.width(), pixels.width());
    const std::vector<Tap> rows = tapsFor(source.height(), pixels.height());
    const int lastRow = source.height() - 1;
    const uint32_t forceOpaque = rgb32 ? 0xff000000u : 0u; // RGB32's alpha byte is not to be trusted
    // bits() once, here: scanLine() on a writable image detaches on every
    // call, which the band threads must not do concurrently.
    uchar* const out = result.bits();
    const qsizetype stride = result.bytesPerLine();
    std::atomic<bool> opaque = true;
    const int sourceWidth = source.width();
    runInBands(pixels.height(), [&](int begin, int end) {
        // Rows are mixed first, across the whole source row (a loop the
        // compiler vectorises), then each result pixel mixes two neighbours.
        std::vector<uint32_t> mixed(static_cast<size_t>(sourceWidth));
        uint32_t all = 0xffffffffu;
        for (int y = begin; y < end; ++y) {
            const Tap row = rows[size_t(y)];
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
            for (int x = 0; x < pixels.width(); ++x) {
                const Tap column = columns[size_t(x)];
                const uint32_t pixel = lerpPixel(line[column.lower], line[column.next], column.weight) | forceOpaque;
                all &= pixel;
                target[x] = pixel;
            }
        }
        if (all < 0xff000000u)
            opaque = false;
    });
    result.setDevicePixelRatio(image.devicePixelRatio() * pixels.width() / image.width());
    if (opaque)
        result.reinterpretAsFormat(QImage::Format_RGB32);
    return result;
}

} // namespace lustrelab
