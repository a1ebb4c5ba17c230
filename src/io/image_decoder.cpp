#include "image_decoder.h"

#include "base/run_then_deliver.h"
#include "image_limits.h"
#include "image_loader.h"
#include "png_file_decoder.h"

#include <QBuffer>
#include <QImageReader>
#include <QThreadPool>
#include <cstdio>

namespace lustrelab {

namespace {

QImage normalised(QImage image)
{
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(1.0);
    return std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage readWith(QImageReader& reader, QString* error)
{
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return normalised(std::move(image));
}

QImage fromLoaded(LoadedImage loaded, QString* error)
{
    if (loaded.image.isNull() && error)
        *error = loaded.error;
    // The PNG decoder writes opaque files as RGB32 with every alpha 255,
    // which already are premultiplied pixels: taking them as such saves a
    // copy of the whole image. Its buffer is its own mapping, which Qt will
    // not convert in place, so this copy was most of opening a large file.
    if (loaded.image.format() == QImage::Format_RGB32)
        loaded.image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return normalised(std::move(loaded.image));
}

QString describe(const ImageSource& source)
{
    switch (source.kind) {
    case ImageSource::Kind::file:
        return source.filePath;
    case ImageSource::Kind::data:
        return QStringLiteral("%1 bytes of image data").arg(source.data.size());
    case ImageSource::Kind::image:
        return QStringLiteral("image data");
    case ImageSource::Kind::none:
        break;
    }
    return QStringLiteral("nothing");
}

} // namespace

QImage decodeImage(const ImageSource& source, QString* error)
{
    switch (source.kind) {
    case ImageSource::Kind::image:
        if (source.image.isNull() && error)
            *error = QStringLiteral("empty image");
        return normalised(source.image);
    case ImageSource::Kind::data: {
        // PNG, what clipboards and screenshot tools carry, takes the decoder
        // that inflates in one go; it is several times faster than Qt's.
        if (hasPngSignature(source.data))
            return fromLoaded(decodePngFile(source.data, maxImagePixels), error);
        QBuffer buffer;
        buffer.setData(source.data);
        QImageReader reader(&buffer);
        return readWith(reader, error);
    }
    case ImageSource::Kind::file:
        // The command line's reader: decided by content, not by the file's
        // extension, and PNG through the fast decoder.
        return fromLoaded(loadImage(source.filePath, maxImagePixels), error);
    case ImageSource::Kind::none:
        break;
    }
    if (error)
        *error = QStringLiteral("no image");
    return {};
}

QFuture<QImage> decodeImageAsync(const ImageSource& source)
{
    return runOnPool(*QThreadPool::globalInstance(), [source] {
        QString error;
        const QImage image = decodeImage(source, &error);
        if (image.isNull()) {
            const QByteArray line =
                QStringLiteral("lustrelab: ignored %1: %2\n")
                    .arg(describe(source), error.isEmpty() ? QStringLiteral("unreadable") : error)
                    .toLocal8Bit();
            std::fputs(line.constData(), stderr);
            std::fflush(stderr);
        }
        return image;
    });
}

} // namespace lustrelab
