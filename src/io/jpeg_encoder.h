#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace lustrelab {

// Baseline JPEG through libjpeg-turbo (SIMD), 4:2:0 chroma as most viewers
// expect. Transparent pixels have no JPEG form: the premultiplied colour is
// encoded, which is the image as seen over black.
//
// Large images are encoded in horizontal stripes on separate threads. Each
// stripe restarts its entropy coding at every row of blocks (a restart
// marker), so the stripes join into one ordinary JPEG: the header of the
// first with the full height, the coded data of all of them in order, the
// restart markers renumbered to run on across the joins.
class JpegEncoder
{
  public:
    // `quality` on the usual 1..100 scale.
    static QByteArray encode(const QImage& image, int quality, QString* error = nullptr);
};

} // namespace lustrelab
