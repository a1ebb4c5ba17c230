#pragma once

#include "image_loader.h"

#include <QByteArrayView>

namespace lustrelab {

bool hasPngSignature(QByteArrayView bytes);

// Decodes a whole PNG file held in memory. Unlike Qt's PNG plugin, whose
// libpng prints its own "libpng error" lines on standard error, every failure
// comes back as a reason, so a damaged file in a batch gives exactly one line.
// The result is premultiplied ARGB, or RGB32 for files without transparency:
// the pixels Qt's reader and conversion give. The header's size is checked
// against `maxPixels` and `check` before any pixel memory is taken.
//
// 8-bit RGB and RGBA files without interlacing, what screenshot tools write,
// take a fast path: the image data is inflated in one go into the image's
// own buffer and unfiltered in place. Other kinds go through libspng.
LoadedImage decodePngFile(QByteArrayView bytes, qint64 maxPixels, const ImageSizeCheck& check = {});

} // namespace lustrelab
