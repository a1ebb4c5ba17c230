#include "display_resampler.h"

#include "render/parallel_bands.h"

#include <QPainter>
#include <cmath>
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

void halveInto(const QImage& image, QImage& into, const QRect& area)
{
    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = source.width(), height = source.height();
    const QSize halved((width + 1) / 2, (height + 1) / 2);
    if (area.isNull())
        prepare(into, halved);
    if (into.isNull() || source.isNull() || into.size() != halved)
        return;
    const QRect block = area.isNull() ? into.rect() : area.intersected(into.rect());
    if (block.isEmpty())
        return;
    // bits() once, here: scanLine() on a writable image detaches on every
    // call, which the band threads must not do concurrently.
    uchar* const rows = into.bits();
    const qsizetype stride = into.bytesPerLine();
    const int pairs = width / 2;
    runInBands(block.height(), [&](int begin, int end) {
        for (int y = block.top() + begin; y < block.top() + end; ++y) {
            const auto* top = reinterpret_cast<const uint32_t*>(source.constScanLine(2 * y));
            const auto* bottom =
                reinterpret_cast<const uint32_t*>(source.constScanLine(std::min(2 * y + 1, height - 1)));
            auto* out = reinterpret_cast<uint32_t*>(rows + y * stride);
            const int last = std::min(block.right(), pairs - 1);
            for (int x = block.left(); x <= last; ++x)
                out[x] = mean4(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
            if (width % 2 && block.right() == pairs)
                out[pairs] = mean4(top[width - 1], top[width - 1], bottom[width - 1], bottom[width - 1]);
        }
    });
}

QImage DisplayResampler::resample(const QImage& image, QSize pixels, double ratio)
{
    m_sourceSize = {}; // until this call succeeds, nothing is there to update
    if (image.isNull() || pixels.isEmpty())
        return {};
    QImage working = image;
    size_t level = 0;
    for (; working.width() >= 2 * pixels.width() && working.height() >= 2 * pixels.height(); ++level) {
        if (m_levels.size() <= level)
            m_levels.emplace_back();
        halveInto(working, m_levels[level]);
        if (m_levels[level].isNull())
            return {};
        m_levels[level].setDevicePixelRatio(ratio); // while unshared: no copy
        working = m_levels[level];
    }
    m_levels.resize(level); // levels no longer needed give their memory back
    m_resultIsLevel = working.size() == pixels;
    m_sourceSize = image.size();
    m_pixels = pixels;
    m_ratio = ratio;
    if (m_resultIsLevel)
        return working;
    prepare(m_result, pixels);
    if (m_result.isNull())
        return {};
    filterInto(working, m_result.rect());
    m_result.setDevicePixelRatio(ratio);
    return m_result;
}

QImage DisplayResampler::resampleChanged(const QImage& image, const QRegion& changed, QSize pixels,
                                         double ratio)
{
    const bool resultFree = m_resultIsLevel ? !m_levels.empty() && m_levels.back().isDetached()
                                            : m_result.isDetached() && m_result.size() == pixels;
    if (image.isNull() || image.size() != m_sourceSize || pixels != m_pixels || ratio != m_ratio || !resultFree)
        return resample(image, pixels, ratio);
    // Each halving averages 2 x 2 blocks, so a changed pixel reaches exactly
    // the block that holds it on the next level.
    QRegion reach = changed.intersected(image.rect());
    QImage working = image;
    for (QImage& level : m_levels) {
        QRegion halved;
        for (const QRect& r : reach)
            halved += QRect(QPoint(r.left() / 2, r.top() / 2), QPoint(r.right() / 2, r.bottom() / 2));
        for (const QRect& r : halved)
            halveInto(working, level, r);
        reach = halved;
        working = level;
    }
    if (m_resultIsLevel)
        return m_levels.back();
    // The filter reads the two source pixels on either side of where a
    // result pixel's centre falls, so a changed source pixel reaches the
    // result pixels within one source pixel of its own place, plus rounding.
    const double sx = double(pixels.width()) / working.width();
    const double sy = double(pixels.height()) / working.height();
    const int mx = 2 + int(std::ceil(sx)), my = 2 + int(std::ceil(sy));
    QRegion targets;
    for (const QRect& r : reach) {
        const QPoint from(int(std::floor(r.left() * sx)) - mx, int(std::floor(r.top() * sy)) - my);
        const QPoint to(int(std::ceil((r.right() + 1) * sx)) + mx, int(std::ceil((r.bottom() + 1) * sy)) + my);
        targets += QRect(from, to).intersected(QRect(QPoint(), pixels));
    }
    // Qt's filter steps along a row from where its span starts, in fixed
    // point: a span that starts mid-row rounds its positions differently
    // from the whole row. Every redrawn span therefore starts at column 0.
    for (const QRect& target : targets)
        filterInto(working, QRect(QPoint(0, target.top()), target.bottomRight()));
    m_result.setDevicePixelRatio(ratio);
    return m_result;
}

void DisplayResampler::filterInto(const QImage& source, const QRect& area)
{
    const QSize pixels = m_result.size();
    m_result.setDevicePixelRatio(1); // painted in pixels
    // Bands of rows drawn in parallel, each through a painter of its own on
    // its rows of the result, clipped to the area; the filter reads only the
    // source and places every pixel by the whole image's transform, so any
    // band or area comes out as one pass over everything would draw it.
    uchar* const rows = m_result.bits();
    const qsizetype stride = m_result.bytesPerLine();
    runInBands(area.height(), [&](int begin, int end) {
        const int top = area.top() + begin;
        QImage band(rows + top * stride, pixels.width(), end - begin, stride, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&band);
        painter.setClipRect(QRect(area.left(), 0, area.width(), end - begin));
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(0, -top);
        painter.drawImage(QRectF(QPointF(), QSizeF(pixels)), source, QRectF(QPointF(), QSizeF(source.size())));
    });
}

} // namespace lustrelab
