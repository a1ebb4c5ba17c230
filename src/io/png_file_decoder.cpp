#include "png_file_decoder.h"

#include "base/mapped_image.h"
#include "png_scanlines.h"

#include <QtEndian>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <spng.h>

namespace lustrelab {

namespace {

struct ContextDeleter
{
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

struct DecompressorDeleter
{
    void operator()(libdeflate_decompressor* decompressor) const
    {
        libdeflate_free_decompressor(decompressor);
    }
};

const QString cutShort = QStringLiteral("damaged PNG: the file is cut short");

QString reason(int error)
{
    if (error == SPNG_IO_EOF || error == SPNG_EOF)
        return cutShort;
    return QStringLiteral("damaged PNG: %1").arg(QString::fromUtf8(spng_strerror(error)));
}

QString outOfMemory(const spng_ihdr& header)
{
    return QStringLiteral("not enough memory for %1 x %2 pixels").arg(header.width).arg(header.height);
}

QString tooLittleData(int width, int height)
{
    return QStringLiteral("damaged PNG: too little image data for %1 x %2 pixels").arg(width).arg(height);
}

// Ancillary chunks (text, profiles) beyond this are refused rather than held
// in memory: screenshots carry a few bytes of them, hostile files gigabytes.
constexpr size_t chunkLimit = 64u * 1024 * 1024;

// Deflate turns at most 258 bytes into a 2-bit code, about 1032 : 1.
constexpr size_t maxInflateRatio = 1032;

struct ImageData
{
    QByteArrayView compressed;      // the IDAT chunks' contents, joined
    std::unique_ptr<char[]> joined; // owns `compressed` when there were several chunks
    QString error;
};

// Walks the chunks from the signature to IEND, checking each one's CRC, and
// gathers the image data. libspng has checked the chunks before the first
// IDAT already; the walk repeats that cheaply to find where the data starts.
ImageData gatherImageData(QByteArrayView file)
{
    ImageData data;
    qsizetype at = 8, total = 0;
    std::vector<QByteArrayView> parts;
    bool ended = false;
    while (!ended) {
        if (file.size() - at < 12) {
            data.error = cutShort;
            return data;
        }
        const quint32 length = qFromBigEndian<quint32>(file.data() + at);
        const QByteArrayView type = file.sliced(at + 4, 4);
        if (length > 0x7fffffffu || qint64(length) > file.size() - at - 12) {
            data.error = cutShort;
            return data;
        }
        const quint32 crc = qFromBigEndian<quint32>(file.data() + at + 8 + length);
        if (libdeflate_crc32(0, file.data() + at + 4, size_t(length) + 4) != crc) {
            data.error = QStringLiteral("damaged PNG: a chunk's checksum does not match");
            return data;
        }
        if (type == "IDAT") {
            parts.push_back(file.sliced(at + 8, length));
            total += length;
        }
        ended = type == "IEND";
        at += 12 + qsizetype(length);
    }
    if (parts.size() == 1) {
        data.compressed = parts.front();
        return data;
    }
    data.joined.reset(new (std::nothrow) char[size_t(std::max<qsizetype>(total, 1))]);
    if (!data.joined) {
        data.error = QStringLiteral("not enough memory to read the image data");
        return data;
    }
    char* out = data.joined.get();
    for (const QByteArrayView part : parts)
        out = std::copy(part.begin(), part.end(), out);
    data.compressed = {data.joined.get(), total};
    return data;
}

// The fast path: one inflation into the image's own buffer, then unfiltering
// in place (see png_scanlines.h).
LoadedImage decodeTrueColour(QByteArrayView file, const spng_ihdr& header)
{
    const int channels = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ? 4 : 3;
    const int width = int(header.width), height = int(header.height);
    const ImageData data = gatherImageData(file);
    if (!data.error.isEmpty())
        return {{}, data.error};
    const InflatedPlacement placement = placeInflatedRows(width, height, channels);
    // A header may claim any size; data far too short for it is refused
    // before a buffer of that size is taken.
    if (size_t(data.compressed.size()) * maxInflateRatio + 1024 < placement.bytes)
        return {{}, tooLittleData(width, height)};

    // Opaque files stay an opaque format, so that painting them (into a
    // device frame) takes the same path as any opaque image.
    QImage image = makeMappedImage({width, height},
                                   channels == 4 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
                                   placement.extra);
    const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    if (image.isNull() || !decompressor)
        return {{}, outOfMemory(header)};
    size_t inflated = 0;
    const libdeflate_result result =
        libdeflate_zlib_decompress(decompressor.get(), data.compressed.data(), size_t(data.compressed.size()),
                                   image.bits() + placement.offset, placement.bytes, &inflated);
    // Data beyond the last row is ignored, as libpng does.
    if (result != LIBDEFLATE_SUCCESS && result != LIBDEFLATE_INSUFFICIENT_SPACE)
        return {{}, QStringLiteral("damaged PNG: the image data is corrupt")};
    if (result == LIBDEFLATE_SUCCESS && inflated < placement.bytes)
        return {{}, tooLittleData(width, height)};
    if (!unfilterInPlace(image, channels, placement))
        return {{}, QStringLiteral("damaged PNG: a row has an unknown filter")};
    return {std::move(image), {}};
}

} // namespace

bool hasPngSignature(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView("\x89PNG\r\n\x1a\n", 8));
}

LoadedImage decodePngFile(QByteArrayView bytes, qint64 maxPixels, const ImageSizeCheck& check)
{
    const std::unique_ptr<spng_ctx, ContextDeleter> context(spng_ctx_new(0));
    if (!context)
        return {{}, QStringLiteral("not enough memory")};
    spng_set_chunk_limits(context.get(), chunkLimit, chunkLimit);
    if (int error = spng_set_png_buffer(context.get(), bytes.data(), size_t(bytes.size())))
        return {{}, reason(error)};

    spng_ihdr header{};
    if (int error = spng_get_ihdr(context.get(), &header))
        return {{}, reason(error)};
    const QSize size(int(header.width), int(header.height));
    if (qint64(header.width) * header.height > maxPixels)
        return {{},
                QStringLiteral("image too large (%1 x %2 pixels; at most %3 megapixels)")
                    .arg(header.width)
                    .arg(header.height)
                    .arg(maxPixels / 1000000)};
    if (check)
        if (QString refused = check(size); !refused.isEmpty())
            return {{}, refused};

    spng_trns transparency{};
    const int trns = spng_get_trns(context.get(), &transparency);
    if (trns != 0 && trns != SPNG_ECHUNKAVAIL)
        return {{}, reason(trns)};
    const bool trueColour = header.bit_depth == 8 && header.interlace_method == 0 &&
                            (header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                             (header.color_type == SPNG_COLOR_TYPE_TRUECOLOR && trns != 0));
    if (trueColour)
        return decodeTrueColour(bytes, header);

    const bool hasAlpha = header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                          header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || trns == 0;
    QImage image(size, hasAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (image.isNull())
        return {{}, outOfMemory(header)};
    // 8-bit RGBA rows are exactly the QImage's rows: width x 4 bytes, no padding.
    if (int error = spng_decode_image(context.get(), image.bits(), size_t(image.sizeInBytes()),
                                      SPNG_FMT_RGBA8, SPNG_DECODE_TRNS))
        return {{}, reason(error)};
    image = std::move(image).convertToFormat(hasAlpha ? QImage::Format_ARGB32_Premultiplied
                                                      : QImage::Format_RGB32);
    if (image.isNull())
        return {{}, outOfMemory(header)};
    return {std::move(image), {}};
}

} // namespace lustrelab
