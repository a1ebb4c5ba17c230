#include "png_file_decoder.h"

#include <memory>
#include <spng.h>

namespace lustrelab {

namespace {

struct ContextDeleter
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

QString reason(int error)
{
    if (error == SPNG_IO_EOF || error == SPNG_EOF)
        return QStringLiteral("damaged PNG: the file is cut short");
    return QStringLiteral("damaged PNG: %1").arg(QString::fromUtf8(spng_strerror(error)));
}

// Ancillary chunks (text, profiles) beyond this are refused rather than held
// in memory: screenshots carry a few bytes of them, hostile files gigabytes.
constexpr size_t kChunkLimit = 64u * 1024 * 1024;

} // namespace

bool hasPngSignature(const QByteArray& bytes)
{
    return bytes.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", 8));
}

LoadedImage decodePngFile(const QByteArray& bytes, qint64 maxPixels)
{
    const std::unique_ptr<spng_ctx, ContextDeleter> context(spng_ctx_new(0));
    if (!context)
        return {{}, QStringLiteral("out of memory")};
    spng_set_chunk_limits(context.get(), kChunkLimit, kChunkLimit);
    if (int error = spng_set_png_buffer(context.get(), bytes.constData(), size_t(bytes.size())))
        return {{}, reason(error)};

    spng_ihdr header{};
    if (int error = spng_get_ihdr(context.get(), &header))
        return {{}, reason(error)};
    if (qint64(header.width) * header.height > maxPixels)
        return {{},
                QStringLiteral("image too large (%1 x %2 pixels; at most %3 megapixels)")
                    .arg(header.width)
                    .arg(header.height)
                    .arg(maxPixels / 1000000)};

    spng_trns transparency{};
    const int trns = spng_get_trns(context.get(), &transparency);
    if (trns != 0 && trns != SPNG_ECHUNKAVAIL)
        return {{}, reason(trns)};
    const bool hasAlpha = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                          header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || trns == 0;
    QImage image(int(header.width), int(header.height),
                 hasAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (image.isNull())
        return {{}, QStringLiteral("out of memory for %1 x %2 pixels").arg(header.width).arg(header.height)};

    // 8-bit RGBA rows are exactly the QImage's rows: width x 4 bytes, no padding.
    if (int error = spng_decode_image(context.get(), image.bits(), size_t(image.sizeInBytes()),
                                      SPNG_FMT_RGBA8, SPNG_DECODE_TRNS))
        return {{}, reason(error)};
    return {std::move(image), {}};
}

} // namespace lustrelab
