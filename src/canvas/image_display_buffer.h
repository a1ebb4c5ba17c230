#pragma once

#include "display_resampler.h"
#include "model/image_change.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <optional>

class QPainter;

namespace lustrelab {

// The composed image resampled once to the device pixels of the rectangle it
// is shown in. A composed image is several times larger than its place on
// screen; resampling it on every paint would cost more than the paint. The
// buffer is refilled only when the image or its place changes; while a resize
// is still going on, the old buffer is stretched instead (cheap, slightly soft)
// and the caller asks for a proper refill once the size settles.
class ImageDisplayBuffer
{
  public:
    // Draws `image` fitted into `frame` (logical points of a device with
    // `ratio` device pixels per point). With `allowStretch`, a buffer of the
    // same image at another size is stretched rather than refilled. With
    // `change`, an image that follows the one in the buffer refills only the
    // part of the buffer that the change reaches. An image within a pixel of
    // the frame's device pixels is drawn as it is, with no buffer. A `live`
    // image (a composition shown while a control is held) is drawn scaled
    // without filtering rather than resampled.
    void paint(QPainter& painter, const QImage& image, const QRectF& frame, double ratio, bool allowStretch,
               const std::optional<ImageChange>& change = std::nullopt, bool live = false);

    const QImage& buffer() const { return m_buffer; }

    // The device-pixel rectangle `frame` covers: edges rounded to whole pixels,
    // so the buffer lands on the pixel grid and stays sharp.
    static QRect devicePixelRect(const QRectF& frame, double ratio);

  private:
    // Whether the buffer holds `image` at exactly the device pixels of `frame`.
    bool isCurrent(const QImage& image, const QRectF& frame, double ratio) const;
    void refill(const QImage& image, QSize pixels, double ratio, const std::optional<ImageChange>& change);

    DisplayResampler m_resampler;
    QImage m_buffer;
    qint64 m_imageKey = 0;
    QSize m_imageSize;
};

} // namespace lustrelab
