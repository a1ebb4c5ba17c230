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

// `image` as it is when it already has this size and is ours alone to write, else a new one.
void prepare(QImage& image, QSize size)
{
    if (image.size() != size || image.format() != QImage::Format_ARGB32_Premultiplied || !image.isDetached())
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
}

} // namespace

void halveInto(const QImage& image, QImage& into)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = source.width(), height = source.height();
    prepare(into, QSize((width + 1) / 2, (height + 1) / 2));
    if (into.isNull() || source.isNull())
        return;
    runInBands(into.height(), [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const auto* top = reinterpret_cast<const uint32_t*>(source.constScanLine(2 * y));
            const auto* bottom =
                reinterpret_cast<const uint32_t*>(source.constScanLine(std::min(2 * y + 1, height - 1)));
            auto* out = reinterpret_cast<uint32_t*>(into.scanLine(y));
            const int pairs = width / 2;
            for (int x = 0; x < pairs; ++x)
                out[x] = mean4(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
            if (width % 2)
                out[pairs] = mean4(top[width - 1], top[width - 1], bottom[width - 1], bottom[width - 1]);
        }
    });
}

QImage DisplayResampler::resample(const QImage& image, QSize pixels, double ratio)
{
    if (image.isNull() || pixels.isEmpty())
        return {};
    QImage working = image;
    for (int next = 0; working.width() >= 2 * pixels.width() && working.height() >= 2 * pixels.height();
         next = 1 - next) {
        halveInto(working, m_halves[next]);
        if (m_halves[next].isNull())
            break;
        m_halves[next].setDevicePixelRatio(ratio); // while unshared: no copy
        working = m_halves[next];
    }
    if (working.size() == pixels)
        return working;
    prepare(m_result, pixels);
    if (m_result.isNull())
        return {};
    m_result.setDevicePixelRatio(1); // painted in pixels
    // Bands of rows drawn in parallel, each through a painter of its own on
    // its rows of the result; the filter reads only the source, so the bands
    // come out as one pass would draw them.
    const QImage source = working;
    uchar* const rows = m_result.bits();
    const qsizetype stride = m_result.bytesPerLine();
    runInBands(pixels.height(), [&](int begin, int end) {
        QImage band(rows + begin * stride, pixels.width(), end - begin, stride,
                    QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&band);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(0, -begin);
        painter.drawImage(QRectF(QPointF(), QSizeF(pixels)), source,
                          QRectF(QPointF(), QSizeF(source.size())));
    });
    m_result.setDevicePixelRatio(ratio);
    return m_result;
}

} // namespace lustrelab
