#pragma once

#include <QImageReader>
#include <QtGlobal>

namespace lustrelab {

// The largest image, in pixels, that Lustrelab reads, composes or writes, in
// the window and on the command line alike: 2^28 (16384 x 16384), 1 GiB at 4
// bytes a pixel. Composition holds a few images of this order at once per
// worker, so larger ones would exhaust the memory of an ordinary machine
// rather than fail cleanly.
inline constexpr qint64 maxImagePixels = qint64(1) << 28;

// Raises Qt's per-image decode limit (256 MiB by default, which refuses an
// 8000 x 5000 screenshot) to match maxImagePixels. Process-wide: call once,
// before the first image is read.
inline void configureImageAllocationLimit()
{
    // Decoders may hold a little more than the final image; leave room for it.
    QImageReader::setAllocationLimit(int(maxImagePixels * 4 / (1024 * 1024)) + 256);
}

} // namespace lustrelab
