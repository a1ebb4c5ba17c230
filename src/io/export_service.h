#pragma once

#include "model/beauty_settings.h"

#include <QImage>
#include <QString>

namespace lustrelab {

// Resamples a composed image to the export scale and writes it as PNG or JPEG.
// Stateless, so it may be used from any thread. The window and the command
// line both report a failure with its reason.
class ExportService
{
  public:
    struct Result
    {
        bool written = false;
        QString error; // why the file was not written; empty on success
    };

    // Scale 1 returns the image itself. Any other scale gives an image of
    // (logical width x scale) x (logical height x scale) pixels, each truncated,
    // at ratio 1, resampled smoothly in premultiplied form so transparent
    // pixels stay transparent. A scale that is not a positive finite number,
    // or a size that rounds to nothing, gives a null image.
    static QImage scaleImage(const QImage& image, double scale);
    // The size in pixels scaleImage gives: the image's own size at scale 1,
    // otherwise its logical size times the scale, each side truncated; an
    // empty size (0 x 0) when nothing can be written.
    static QSize outputSize(const QImage& image, double scale);

    // PNG is lossless and keeps alpha; JPEG uses quality 90. An existing file
    // is replaced atomically: it is either the old file or the new one, never
    // a partial write.
    Result saveToFile(const QImage& image, const QString& path, ExportFormat format, double scale) const;
};

} // namespace lustrelab
