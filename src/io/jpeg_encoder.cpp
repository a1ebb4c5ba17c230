#include "jpeg_encoder.h"

#include "base/row_bands.h"

#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace lustrelab {

namespace {

constexpr int mcuRows = 16;        // 4:2:0: one row of blocks is 16 pixel rows
constexpr int minStripeRows = 256; // below this a second thread is not worth starting

struct Stripe
{
    int firstRow = 0;
    int endRow = 0;
    std::vector<uint8_t> bytes;
    QString error;
};

struct ErrorHandler
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto* handler = reinterpret_cast<ErrorHandler*>(info->err);
    (*info->err->format_message)(info, handler->message);
    std::longjmp(handler->jump, 1);
}

// Plain C state only between setjmp and longjmp: nothing here has a destructor.
bool compressRows(const uchar* const* rows, int width, int height, int quality, unsigned char** out,
                  unsigned long* size, char* message)
{
    jpeg_compress_struct info;
    ErrorHandler handler;
    info.err = jpeg_std_error(&handler.manager);
    handler.manager.error_exit = onError;
    if (setjmp(handler.jump)) {
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", handler.message);
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    // 32-bit pixels 0xAARRGGBB: B, G, R, A in memory on little-endian machines.
    info.in_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&info); // YCbCr with 2 x 2 luma sampling: 4:2:0
    jpeg_set_quality(&info, quality, TRUE);
    info.restart_in_rows = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, const_cast<JSAMPARRAY>(rows + info.next_scanline),
                             info.image_height - info.next_scanline);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

void encodeStripe(const QImage& image, int quality, Stripe& stripe)
{
    std::vector<const uchar*> rows;
    for (int y = stripe.firstRow; y < stripe.endRow; ++y)
        rows.push_back(image.constScanLine(y));
    unsigned char* out = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    if (compressRows(rows.data(), image.width(), int(rows.size()), quality, &out, &size, message))
        stripe.bytes.assign(out, out + size);
    else
        stripe.error = QString::fromLocal8Bit(message);
    free(out); // jpeg_mem_dest allocates with malloc
}

// Offset just past the start-of-scan header, where the coded data begins; 0 if absent.
size_t scanDataStart(const std::vector<uint8_t>& jpeg, size_t* frameHeader)
{
    size_t i = 2; // after SOI
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xff) {
        const uint8_t marker = jpeg[i + 1];
        const size_t length = size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
        if (marker == 0xc0 && frameHeader)
            *frameHeader = i;
        if (marker == 0xda)
            return i + 2 + length;
        i += 2 + length;
    }
    return 0;
}

// Appends the coded data of one stripe (up to its end-of-image marker),
// renumbering its restart markers to continue from `restart`.
void appendScan(QByteArray& out, const std::vector<uint8_t>& jpeg, size_t start, int restart)
{
    const size_t end = jpeg.size() - 2; // the stripe's EOI
    size_t copied = start;
    for (size_t i = start; i + 1 < end; ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] >= 0xd0 && jpeg[i + 1] <= 0xd7) {
            out.append(reinterpret_cast<const char*>(jpeg.data() + copied), qsizetype(i + 1 - copied));
            out.append(char(0xd0 + (restart + (jpeg[i + 1] - 0xd0)) % 8));
            copied = i + 2;
            ++i;
        }
    }
    out.append(reinterpret_cast<const char*>(jpeg.data() + copied), qsizetype(end - copied));
}

} // namespace

QByteArray JpegEncoder::encode(const QImage& input, int quality, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (input.isNull())
        return fail(QStringLiteral("the image is empty"));
    // libjpeg writes no side over JPEG_MAX_DIMENSION (65500), and the joined
    // stripes must not claim more than it would write in one piece: a taller
    // file is one that no reader opens.
    if (input.width() > JPEG_MAX_DIMENSION || input.height() > JPEG_MAX_DIMENSION)
        return fail(QStringLiteral("the image is %1 x %2 pixels; JPEG allows at most %3 on a side")
                        .arg(input.width())
                        .arg(input.height())
                        .arg(JPEG_MAX_DIMENSION));
    QImage image = input;
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return fail(QStringLiteral("the image cannot be converted"));

    // Stripes of whole rows of blocks; only the last may be shorter.
    const std::vector<RowBand> rows =
        splitRows(image.height(), bandCountFor(image.height(), minStripeRows), mcuRows);
    std::vector<Stripe> stripes(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        stripes[i].firstRow = rows[i].begin;
        stripes[i].endRow = rows[i].end;
    }
    runOnOwnThreads(int(stripes.size()), [&](int i) { encodeStripe(image, quality, stripes[size_t(i)]); });
    for (const Stripe& stripe : stripes)
        if (!stripe.error.isEmpty() || stripe.bytes.size() < 4)
            return fail(stripe.error.isEmpty() ? QStringLiteral("JPEG encoding failed") : stripe.error);

    size_t frameHeader = 0;
    const std::vector<uint8_t>& first = stripes[0].bytes;
    const size_t firstScan = scanDataStart(first, &frameHeader);
    if (firstScan == 0 || frameHeader == 0)
        return fail(QStringLiteral("JPEG encoding failed"));
    QByteArray jpeg(reinterpret_cast<const char*>(first.data()), qsizetype(firstScan));
    qToBigEndian(quint16(image.height()), jpeg.data() + frameHeader + 5); // the frame's line count
    int restart = 0;
    for (const Stripe& stripe : stripes) {
        const bool isFirst = &stripe == &stripes[0];
        const size_t start = isFirst ? firstScan : scanDataStart(stripe.bytes, nullptr);
        if (start == 0)
            return fail(QStringLiteral("JPEG encoding failed"));
        if (!isFirst) // the join is one more restart
            jpeg.append(char(0xff)).append(char(0xd0 + (restart - 1) % 8));
        appendScan(jpeg, stripe.bytes, start, restart);
        restart += (stripe.endRow - stripe.firstRow + mcuRows - 1) / mcuRows;
    }
    jpeg.append("\xff\xd9", 2);
    return jpeg;
}

} // namespace lustrelab
