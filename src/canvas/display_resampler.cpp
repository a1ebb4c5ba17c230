#include "display_resampler.h"

#include "render/parallel_bands.h"

#include <QPainter>
#include <cstdint>

namespace lustrelab {

namespace {

// The mean of four premultiplied pixels, all four channels at once: two
// channels at a time sit 16 bits apart, so their sums of four never collide.
inline uint32_t mean4(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    constexpr uint32_t low = 0x00FF00FF;
    const uint32_t rb = ((a & low) + (b & low) + (c & low) + (d & low) + 0x00020002) >> 2;
    const uint32_t ag =
        (((a >> 8) & low) + ((b >> 8) & low) + ((c >> 8) & low) + ((d >> 8) & low) + 0x00020002) >> 2;
    return (rb & low) | ((ag & low) << 8);
}

} // namespace

QImage halved(const QImage& image)
{
    const QImage source =
        image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32
            ? image
            : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = source.width(), height = source.height();
    QImage result((width + 1) / 2, (height + 1) / 2, source.format());
    if (result.isNull() || source.isNull())
        return {};
    runInBands(result.height(), [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const auto* top = reinterpret_cast<const uint32_t*>(source.constScanLine(2 * y));
            const auto* bottom =
                reinterpret_cast<const uint32_t*>(source.constScanLine(std::min(2 * y + 1, height - 1)));
            auto* out = reinterpret_cast<uint32_t*>(result.scanLine(y));
            const int pairs = width / 2;
            for (int x = 0; x < pairs; ++x)
                out[x] = mean4(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
            if (width % 2)
                out[pairs] = mean4(top[width - 1], top[width - 1], bottom[width - 1], bottom[width - 1]);
        }
    });
    return result;
}

QImage resampleForDisplay(const QImage& image, QSize pixels)
{
    if (image.isNull() || pixels.isEmpty())
        return {};
    QImage working = image;
    while (working.width() >= 2 * pixels.width() && working.height() >= 2 * pixels.height()) {
        QImage smaller = halved(working);
        if (smaller.isNull())
            break;
        working = std::move(smaller);
    }
    if (working.size() == pixels)
        return working;
    // Less than a halving is left. Bilinear filtering would be cheaper here
    // but turns one-pixel detail into moiré; the area average keeps it even.
    QImage result = working.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return result;
}

} // namespace lustrelab
