#include "jpeg_encoder.h"

#include <memory>
#include <turbojpeg.h>

namespace lustrelab {

QByteArray JpegEncoder::encode(const QImage& input, int quality, QString* error)
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return QByteArray();
    };
    if (input.isNull())
        return fail(QStringLiteral("the image is empty"));
    QImage image = input;
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return fail(QStringLiteral("the image cannot be converted"));

    const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitCompress(), tjDestroy);
    if (!handle)
        return fail(QString::fromLocal8Bit(tjGetErrorStr2(nullptr)));
    // 32-bit pixels 0xAARRGGBB sit in memory as B, G, R, A on little-endian
    // machines and as A, R, G, B on big-endian ones.
    const int pixelFormat = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(handle.get(), image.constBits(), image.width(), int(image.bytesPerLine()),
                                   image.height(), pixelFormat, &jpeg, &size, TJSAMP_420, quality, 0);
    if (status != 0) {
        const QString why = QString::fromLocal8Bit(tjGetErrorStr2(handle.get()));
        tjFree(jpeg);
        return fail(why);
    }
    QByteArray bytes(reinterpret_cast<const char*>(jpeg), qsizetype(size));
    tjFree(jpeg);
    return bytes;
}

} // namespace lustrelab
