#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace lustrelab {

// JPEG through libjpeg-turbo (SIMD), 4:2:0 chroma as most viewers expect.
// Transparent pixels have no JPEG form: the premultiplied colour is encoded,
// which is the image as seen over black.
class JpegEncoder
{
  public:
    // `quality` on the usual 1..100 scale.
    static QByteArray encode(const QImage& image, int quality, QString* error = nullptr);
};

} // namespace lustrelab
