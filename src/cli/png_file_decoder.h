#pragma once

#include "image_loader.h"

#include <QByteArray>

namespace lustrelab {

bool hasPngSignature(const QByteArray& bytes);

// Decodes a whole PNG file held in memory with libspng. Unlike Qt's PNG
// plugin, whose libpng prints its own "libpng error" lines on standard error,
// every failure comes back as a reason, so a damaged file in a batch gives
// exactly one line. Any colour type and bit depth arrives as 8-bit RGBA
// (straight alpha; RGBX when the file has no transparency). The header's
// size is checked against `maxPixels` before any pixel memory is taken.
LoadedImage decodePngFile(const QByteArray& bytes, qint64 maxPixels);

} // namespace lustrelab
