#include "image_decoder.h"

#include "base/run_then_deliver.h"

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
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage readWith(QImageReader& reader, QString* error)
{
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull() && error)
        *error = reader.errorString();
    return normalised(std::move(image));
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
        QBuffer buffer;
        buffer.setData(source.data);
        QImageReader reader(&buffer);
        return readWith(reader, error);
    }
    case ImageSource::Kind::file: {
        QImageReader reader(source.filePath);
        // A wrong extension (a PNG saved as .jpg) must not stop the decode.
        reader.setDecideFormatFromContent(true);
        return readWith(reader, error);
    }
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
