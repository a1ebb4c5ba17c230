#pragma once

#include "io/image_limits.h"

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

// Reads one image file with its EXIF orientation applied. Missing files,
// folders, empty, cut-short or unreadable files, non-images, images over
// `maxPixels` and images `check` refuses give a clear reason instead of a
// null image without explanation. PNG files come back as premultiplied ARGB
// or RGB32, ready to compose; other formats in the format Qt reads them in.
LoadedImage loadImage(const QString& path, qint64 maxPixels = maxImagePixels,
                      const ImageSizeCheck& check = {});

} // namespace lustrelab
