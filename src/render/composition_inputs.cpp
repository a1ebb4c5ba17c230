#include "composition_inputs.h"

#include "bilinear_resize.h"
#include "box_blur.h"
#include "content_margins.h"
#include "dominant_colors.h"
#include "image_buffer_pool.h"
#include "parallel_bands.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace lustrelab {

QImage CompositionInputs::trimmed(const QImage& source)
{
    if (source.isNull())
        return source;
    if (m_trimKey != source.cacheKey()) {
        const QRect content = contentRect(source);
        m_trimmed = content == source.rect() ? source : source.copy(content);
        m_trimmed.setDevicePixelRatio(source.devicePixelRatio());
        m_trimKey = source.cacheKey();
    }
    return m_trimmed;
}

QImage CompositionInputs::backgroundPicture(const QString& path, QSize canvasPixels, double blurPixels)
{
    if (path.isEmpty() || canvasPixels.isEmpty())
        return {};
    // Known by path, time and size, so an image replaced on disk is read again.
    const QFileInfo file(path);
    const FileStamp stamp{file.absoluteFilePath(), file.lastModified(), file.exists() ? file.size() : -1};
    if (!(stamp == m_decodedStamp)) {
        QImageReader reader(path);
        reader.setAutoTransform(true); // photographs carry their orientation
        m_decoded = reader.read();
        if (!m_decoded.isNull() && m_decoded.depth() != 32)
            m_decoded = m_decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_decodedStamp = stamp;
        m_fittedStamp = {};
    }
    if (m_decoded.isNull())
        return {};
    const double blur = std::isfinite(blurPixels) ? std::clamp(blurPixels, 0.0, 4096.0) : 0.0;
    if (stamp == m_fittedStamp && m_fittedCanvas == canvasPixels && m_fittedBlur == blur)
        return m_fitted;

    // Cover: the largest centred part of the image with the canvas's proportions.
    const double scale = std::max(double(canvasPixels.width()) / m_decoded.width(),
                                  double(canvasPixels.height()) / m_decoded.height());
    const QSizeF shown(canvasPixels.width() / scale, canvasPixels.height() / scale);
    const QRect crop(int(std::floor((m_decoded.width() - shown.width()) / 2)),
                     int(std::floor((m_decoded.height() - shown.height()) / 2)),
                     std::max(1, int(std::lround(shown.width()))),
                     std::max(1, int(std::lround(shown.height()))));
    // A wide blur leaves no detail finer than a few of its sigmas, so it is
    // made on a copy that many times smaller and enlarged again when drawn.
    const double reduction = blur > 4 ? blur / 2 : 1;
    const QSize target(std::max(1, int(std::ceil(canvasPixels.width() / reduction))),
                       std::max(1, int(std::ceil(canvasPixels.height() / reduction))));
    QImage fitted = m_decoded.copy(crop).scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (fitted.format() != QImage::Format_ARGB32_Premultiplied)
        fitted = fitted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    boxBlur(fitted, blur / reduction);
    // Enlarged once here rather than sampled between pixels at every
    // composition: a slider drag over a blurred picture costs what a sharp
    // one does.
    if (fitted.size() != canvasPixels)
        fitted = fitted.scaled(canvasPixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);

    m_fitted = fitted;
    m_fittedStamp = stamp;
    m_fittedCanvas = canvasPixels;
    m_fittedBlur = blur;
    return m_fitted;
}

CustomGradient CompositionInputs::matchedGradient(const QImage& screenshot)
{
    if (m_matchKey != screenshot.cacheKey() || m_matchKey == 0) {
        m_matched = lustrelab::matchedGradient(dominantColors(screenshot));
        m_matchKey = screenshot.cacheKey();
    }
    return m_matched;
}

QImage CompositionInputs::reduced(const QImage& source, double scale)
{
    if (source.isNull() || !(scale > 0 && scale < 1))
        return source;
    if (m_reducedKey != source.cacheKey() || m_reducedScale != scale) {
        const QSize pixels(std::max(1, int(std::lround(source.width() * scale))),
                           std::max(1, int(std::lround(source.height() * scale))));
        m_reduced = source.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_reduced.setDevicePixelRatio(source.devicePixelRatio() * pixels.width() / source.width());
        m_reducedKey = source.cacheKey();
        m_reducedScale = scale;
    }
    return m_reduced;
}

QImage CompositionInputs::resized(const QImage& image, QSize pixels)
{
    if (image.isNull() || image.size() == pixels)
        return image;
    if (m_resizedFrom != image.cacheKey() || m_resized.size() != pixels) {
        m_resized = bilinearResized(image, pixels);
        m_resizedFrom = image.cacheKey();
    }
    return m_resized;
}

bool CompositionInputs::isOpaque(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32)
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    if (m_opaqueKey != image.cacheKey() || m_opaqueKey == 0) {
        // Split across cores, each band giving up once any has found a pixel
        // that is not opaque.
        std::atomic<bool> opaque{true};
        const uchar* bits = image.constBits();
        const qsizetype stride = image.bytesPerLine();
        const int width = image.width();
        runInBands(image.height(), [&](int begin, int end) {
            for (int y = begin; y < end && opaque.load(std::memory_order_relaxed); ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(bits + stride * y);
                uint32_t all = 0xffffffffu;
                for (int x = 0; x < width; ++x)
                    all &= row[x];
                if (all < 0xff000000u)
                    opaque.store(false, std::memory_order_relaxed);
            }
        });
        m_opaque = opaque.load();
        m_opaqueKey = image.cacheKey();
    }
    return m_opaque;
}

CompositionInputs::Cleaned CompositionInputs::cleaned(const QImage& working, const QList<QRect>& ranges,
                                                      FillDetail detail)
{
    if (ranges.isEmpty())
        return {working, true};
    if (m_cleanedFrom == working.cacheKey() && m_cleanedRanges == ranges && m_cleanedDetail == detail)
        return m_cleaned;
    // The buffer of the last fill is written over when nothing else holds it
    // (writing would copy it otherwise): a fresh one on every step of a drag
    // costs more in page faults than the fill itself. Filled from the same
    // screenshot, it differs from it only where it was filled.
    const bool sameSource = m_cleanedFrom == working.cacheKey() && m_cleaned.image.size() == working.size() &&
                            m_cleaned.image.format() == working.format();
    QImage buffer = std::move(m_cleaned.image);
    m_cleaned = {};
    m_cleanedFrom = 0;
    if (sameSource) {
        for (const QRect& range : m_cleanedRanges)
            copyPixels(working, buffer, range);
    } else {
        if (buffer.size() != working.size() || buffer.format() != working.format())
            buffer = QImage(working.size(), working.format());
        if (buffer.isNull())
            return {working, true};
        copyPixels(working, buffer);
    }
    buffer.setDevicePixelRatio(working.devicePixelRatio());
    bool outlineKept = true;
    for (const QRect& range : ranges)
        outlineKept = fillRemovalAreaInPlace(buffer, range, detail) && outlineKept;
    m_cleaned = {buffer, outlineKept};
    m_cleanedFrom = working.cacheKey();
    m_cleanedRanges = ranges;
    m_cleanedDetail = detail;
    return m_cleaned;
}

} // namespace lustrelab
