#include "image_display_buffer.h"

#include "display_resampler.h"

#include <QPaintEngine>
#include <QPainter>
#include <cmath>

namespace lustrelab {

QRect ImageDisplayBuffer::devicePixelRect(const QRectF& frame, double ratio)
{
    const int left = int(std::lround(frame.left() * ratio));
    const int top = int(std::lround(frame.top() * ratio));
    const int right = int(std::lround(frame.right() * ratio));
    const int bottom = int(std::lround(frame.bottom() * ratio));
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

bool ImageDisplayBuffer::isCurrent(const QImage& image, const QRectF& frame, double ratio) const
{
    return !m_buffer.isNull() && m_imageKey == image.cacheKey() && m_imageSize == image.size() &&
           m_buffer.size() == devicePixelRect(frame, ratio).size() && m_buffer.devicePixelRatio() == ratio;
}

void ImageDisplayBuffer::refill(const QImage& image, QSize pixels, double ratio,
                                const std::optional<ImageChange>& change)
{
    const bool follows = change && !m_buffer.isNull() && change->since == m_imageKey &&
                         m_imageSize == image.size() && m_buffer.size() == pixels &&
                         m_buffer.devicePixelRatio() == ratio;
    m_buffer = QImage(); // hands the resampler its buffer back for reuse
    m_buffer = follows ? m_resampler.resampleChanged(image, change->area, pixels, ratio)
                       : m_resampler.resample(image, pixels, ratio);
    if (m_buffer.devicePixelRatio() != ratio)
        m_buffer.setDevicePixelRatio(ratio);
    m_imageKey = image.cacheKey();
    m_imageSize = image.size();
}

void ImageDisplayBuffer::paint(QPainter& painter, const QImage& image, const QRectF& frame, double ratio,
                               bool allowStretch, const std::optional<ImageChange>& change, bool live)
{
    const QRect pixels = devicePixelRect(frame, ratio);
    if (image.isNull() || pixels.isEmpty())
        return;
    const QRectF target(QPointF(pixels.topLeft()) / ratio, QSizeF(pixels.size()) / ratio);
    // An image made for this very place (the live result of a styling drag)
    // is drawn pixel for pixel: resampling it to a pixel more or less would
    // cost a pass over all of it on every step, and only soften it.
    const QSize off = image.size() - pixels.size();
    if (std::abs(off.width()) <= 1 && std::abs(off.height()) <= 1) {
        m_buffer = image;
        m_imageKey = image.cacheKey();
        m_imageSize = image.size();
        painter.drawImage(QRectF(target.topLeft(), QSizeF(image.size()) / ratio), image);
        return;
    }
    if (live) {
        // Shown for one step of a drag: scaled without filtering, which costs
        // a fraction of a resample. The composition the drag ends with is
        // resampled properly.
        m_buffer = QImage();
        m_imageKey = 0;
        // Onto premultiplied pixels, Qt scales premultiplied ones faster than
        // RGB32 ones; an opaque image's pixels are both, so there it is read
        // as premultiplied. An RGB32 screen (most windows) takes RGB32 faster.
        const QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
        const bool premultipliedScreen =
            device && device->devType() == QInternal::Image &&
            static_cast<const QImage*>(device)->format() == QImage::Format_ARGB32_Premultiplied;
        if (image.format() == QImage::Format_RGB32 && premultipliedScreen) {
            const QImage premultiplied(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                                       QImage::Format_ARGB32_Premultiplied);
            painter.drawImage(target, premultiplied);
        } else {
            painter.drawImage(target, image);
        }
        return;
    }
    const bool sameImage =
        m_imageKey == image.cacheKey() && m_imageSize == image.size() && !m_buffer.isNull();
    if (sameImage && allowStretch && m_buffer.size() != pixels.size()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_buffer);
        painter.restore();
        return;
    }
    if (!isCurrent(image, frame, ratio))
        refill(image, pixels.size(), ratio, change);
    painter.drawImage(target.topLeft(), m_buffer);
}

} // namespace lustrelab
