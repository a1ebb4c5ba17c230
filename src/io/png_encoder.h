#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace lustrelab {

// A lossless PNG encoder built for speed on large screenshots.
//
// An image whose pixels are all opaque is written as 8-bit RGB, otherwise as
// 8-bit RGBA with straight (not premultiplied) alpha. Rows are split into
// bands that are filtered and deflated on separate threads with a fast zlib
// level; each band ends on a byte boundary (a sync flush) so the bands join
// into one zlib stream, whose checksum is combined from the bands' checksums.
// Decoders see an ordinary single-stream PNG.
class PngEncoder
{
  public:
    // The PNG bytes of `image`, or an empty array with `error` set.
    static QByteArray encode(const QImage& image, QString* error = nullptr);
};

} // namespace lustrelab
