#include "png_encoder.h"

#include "base/row_bands.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <new>
#include <vector>
#include <zlib.h>

namespace lustrelab {

namespace {

// Fast levels deflate screenshots (flat areas, repeated rows) nearly as well
// as the default level at a fraction of the time.
constexpr int compressionLevel = 1;
constexpr int filterUp = 2; // each byte minus the byte above it

struct Band
{
    int firstRow = 0;
    int endRow = 0;
    bool last = false;
    // Room for the worst case, left uninitialised: only what deflate writes is touched.
    std::unique_ptr<uint8_t[]> deflated;
    size_t deflatedSize = 0;
    uLong adler = 1;
    uLong rawLength = 0;
    QString error;
};

bool isOpaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return true;
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* px = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        uint32_t all = 0xffffffffu;
        for (int x = 0; x < width; ++x)
            all &= px[x];
        if (all < 0xff000000u)
            return false;
    }
    return true;
}

// One row as PNG samples: RGB or RGBA, straight alpha. An RGB row needs one
// byte of room past its end: each pixel is stored as four bytes, the fourth
// overwritten by the next pixel, which is much faster than three stores.
void toSamples(const uint32_t* px, int width, bool rgba, bool premultiplied, uint8_t* out)
{
    if (!rgba) {
        for (int x = 0; x < width; ++x, out += 3) {
            // 0xAARRGGBB: swapped and shifted, it lies in memory as R, G, B, 0.
            const uint32_t rgb0 = qToLittleEndian(qbswap(px[x]) >> 8);
            std::memcpy(out, &rgb0, 4);
        }
        return;
    }
    for (int x = 0; x < width; ++x, out += 4) {
        const QRgb p = premultiplied ? qUnpremultiply(px[x]) : px[x];
        out[0] = uint8_t(qRed(p));
        out[1] = uint8_t(qGreen(p));
        out[2] = uint8_t(qBlue(p));
        out[3] = uint8_t(qAlpha(p));
    }
}

void deflateBand(const QImage& image, bool rgba, Band& band)
{
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    const size_t rowBytes = size_t(image.width()) * (rgba ? 4 : 3);
    z_stream stream{};
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        band.error = QStringLiteral("cannot start the compressor");
        return;
    }
    const uLong raw = uLong((rowBytes + 1) * size_t(band.endRow - band.firstRow));
    const uLong room = deflateBound(&stream, raw) + 64;
    if (room > 0xffffffffu) {
        band.error = QStringLiteral("the image is too large for PNG");
        deflateEnd(&stream);
        return;
    }
    band.deflated.reset(new (std::nothrow) uint8_t[room]);
    if (!band.deflated) {
        band.error = QStringLiteral("not enough memory to compress the image");
        deflateEnd(&stream);
        return;
    }
    stream.next_out = band.deflated.get();
    stream.avail_out = uInt(room);

    std::vector<uint8_t> previous(rowBytes + 1), current(rowBytes + 1), filtered(rowBytes + 1);
    if (band.firstRow > 0) {
        toSamples(reinterpret_cast<const uint32_t*>(image.constScanLine(band.firstRow - 1)), image.width(),
                  rgba, premultiplied, previous.data());
    }
    filtered[0] = filterUp; // the row above the first is zero, as the format defines
    bool ok = true;
    for (int y = band.firstRow; y < band.endRow && ok; ++y) {
        toSamples(reinterpret_cast<const uint32_t*>(image.constScanLine(y)), image.width(), rgba,
                  premultiplied, current.data());
        for (size_t i = 0; i < rowBytes; ++i)
            filtered[i + 1] = uint8_t(current[i] - previous[i]);
        band.adler = libdeflate_adler32(uint32_t(band.adler), filtered.data(), filtered.size());
        stream.next_in = filtered.data();
        stream.avail_in = uInt(filtered.size());
        const bool lastRow = y + 1 == band.endRow;
        // Every band but the last ends with a sync flush: byte-aligned, not final.
        const int flush = !lastRow ? Z_NO_FLUSH : band.last ? Z_FINISH : Z_SYNC_FLUSH;
        const int status = deflate(&stream, flush);
        ok = status == Z_OK || status == Z_STREAM_END;
        ok = ok && stream.avail_in == 0 && (flush != Z_FINISH || status == Z_STREAM_END);
        std::swap(previous, current);
    }
    if (!ok)
        band.error = QStringLiteral("compression failed");
    band.deflatedSize = room - stream.avail_out;
    band.rawLength = raw;
    deflateEnd(&stream);
}

void appendChunk(QByteArray& png, const char type[4], const uint8_t* data, size_t length,
                 const uint8_t* prefix = nullptr, size_t prefixLength = 0, const uint8_t* suffix = nullptr,
                 size_t suffixLength = 0)
{
    uchar be[4];
    qToBigEndian(quint32(prefixLength + length + suffixLength), be);
    png.append(reinterpret_cast<const char*>(be), 4);
    const qsizetype typeAt = png.size();
    png.append(type, 4);
    png.append(reinterpret_cast<const char*>(prefix), qsizetype(prefixLength));
    png.append(reinterpret_cast<const char*>(data), qsizetype(length));
    png.append(reinterpret_cast<const char*>(suffix), qsizetype(suffixLength));
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef*>(png.constData() + typeAt), uInt(png.size() - typeAt));
    qToBigEndian(quint32(crc), be);
    png.append(reinterpret_cast<const char*>(be), 4);
}

} // namespace

QByteArray PngEncoder::encode(const QImage& input, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (input.isNull())
        return fail(QStringLiteral("the image is empty"));
    QImage image = input;
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return fail(QStringLiteral("the image cannot be converted"));
    const bool rgba = !isOpaque(image);

    const std::vector<RowBand> rows = splitRows(image.height(), bandCountFor(image.height(), 64));
    std::vector<Band> bands(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        bands[i].firstRow = rows[i].begin;
        bands[i].endRow = rows[i].end;
        bands[i].last = i + 1 == rows.size();
    }
    runOnOwnThreads(int(bands.size()), [&](int i) { deflateBand(image, rgba, bands[size_t(i)]); });

    uLong adler = 1;
    size_t total = 0;
    for (const Band& band : bands) {
        if (!band.error.isEmpty())
            return fail(band.error);
        adler = adler32_combine(adler, band.adler, z_off_t(band.rawLength));
        total += band.deflatedSize + 12;
        if (band.deflatedSize > 0x7fff0000u)
            return fail(QStringLiteral("the image is too large for PNG"));
    }

    QByteArray png;
    png.reserve(qsizetype(total + 64));
    png.append("\x89PNG\r\n\x1a\n", 8);
    uint8_t header[13];
    qToBigEndian(quint32(image.width()), header);
    qToBigEndian(quint32(image.height()), header + 4);
    header[8] = 8;                            // bits per sample
    header[9] = rgba ? 6 : 2;                 // colour type: RGBA or RGB
    header[10] = header[11] = header[12] = 0; // deflate, adaptive filters, no interlace
    appendChunk(png, "IHDR", header, sizeof header);
    const uint8_t zlibHeader[2] = {0x78, 0x01}; // deflate, 32 KiB window, fastest level
    uint8_t checksum[4];
    qToBigEndian(quint32(adler), checksum);
    // One IDAT chunk per band; the zlib header opens the first, the checksum closes the last.
    for (size_t i = 0; i < bands.size(); ++i) {
        const bool first = i == 0, last = i + 1 == bands.size();
        appendChunk(png, "IDAT", bands[i].deflated.get(), bands[i].deflatedSize, first ? zlibHeader : nullptr,
                    first ? 2 : 0, last ? checksum : nullptr, last ? 4 : 0);
    }
    appendChunk(png, "IEND", nullptr, 0);
    return png;
}

} // namespace lustrelab
