#pragma once

#include <QImage>
#include <QString>
#include <functional>

namespace lustrelab {

struct LoadedImage
{
    QImage image;  // null on failure
    QString error; // a short reason for the user, without the file name
};

// Looks at an image's pixel size as its file's header gives it, before any
// pixel memory is taken: the reason to refuse it, or empty to go on.
using ImageSizeCheck = std::function<QString(QSize)>;

// The largest image, in pixels, that the command line reads, composes or
// writes: 2^28 (16384 x 16384), 1 GiB at 4 bytes a pixel. Composition holds a
// few images of this order at once per worker, so larger ones would exhaust
// the memory of an ordinary machine rather than fail cleanly.
inline constexpr qint64 maxImagePixels = qint64(1) << 28;

// Reads one image file with its EXIF orientation applied. Missing files,
// folders, empty, cut-short or unreadable files, non-images, images over
// `maxPixels` and images `check` refuses give a clear reason instead of a
// null image without explanation. PNG files come back as premultiplied ARGB
// or RGB32, ready to compose; other formats in the format Qt reads them in.
LoadedImage loadImage(const QString& path, qint64 maxPixels = maxImagePixels,
                      const ImageSizeCheck& check = {});

// Raises Qt's per-image decode limit (256 MiB by default) to match
// maxImagePixels. Process-wide: call once before loading.
void configureImageAllocationLimit();

} // namespace lustrelab
