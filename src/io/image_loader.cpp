#include "image_loader.h"

#include "jpeg_structure.h"
#include "png_file_decoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace lustrelab {

namespace {

QString tooLarge(QSize size, qint64 maxPixels)
{
    return QStringLiteral("image too large (%1 x %2 pixels; at most %3 megapixels)")
        .arg(size.width())
        .arg(size.height())
        .arg(maxPixels / 1000000);
}

LoadedImage readWithQt(QByteArrayView bytes, qint64 maxPixels, const ImageSizeCheck& check)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {{}, QStringLiteral("not an image in a readable format")};

    // The header's size lets an oversized image be refused before decoding.
    QSize size = reader.size();
    if (size.isValid()) {
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            size.transpose();
        if (qint64(size.width()) * size.height() > maxPixels)
            return {{}, tooLarge(size, maxPixels)};
        if (check)
            if (QString refused = check(size); !refused.isEmpty())
                return {{}, refused};
    }
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("cannot decode: %1").arg(reader.errorString())};
    // Not every reader reports beforehand the size it then decodes (Qt's GIF
    // reader is one), so the limits are checked again; Qt's allocation limit
    // has bounded what the decoding itself could take.
    if (qint64(image.width()) * image.height() > maxPixels)
        return {{}, tooLarge(image.size(), maxPixels)};
    if (check && !size.isValid())
        if (QString refused = check(image.size()); !refused.isEmpty())
            return {{}, refused};
    return {std::move(image), {}};
}

} // namespace

LoadedImage loadImage(const QString& path, qint64 maxPixels, const ImageSizeCheck& check)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, QStringLiteral("no such file")};
    if (info.isDir())
        return {{}, QStringLiteral("is a folder, not an image")};
    if (!info.isFile())
        return {{}, QStringLiteral("not a regular file")};

    // Read rather than mapped: a file cut short by another program while
    // mapped would end the process with SIGBUS.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("cannot open: %1").arg(file.errorString())};
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return {{},
                file.size() == 0 ? QStringLiteral("empty file, not an image")
                                 : QStringLiteral("cannot read: %1").arg(file.errorString())};

    // PNG, the usual screenshot format, is decoded without Qt's plugin so
    // that a damaged file is reported in one line of ours (see
    // png_file_decoder.h). Other formats go through Qt's readers.
    if (hasPngSignature(bytes))
        return decodePngFile(bytes, maxPixels, check);
    // Qt fills a JPEG that stops early with grey and calls it read.
    if (bytes.startsWith("\xff\xd8") && !jpegReachesEnd(bytes))
        return {{}, QStringLiteral("damaged JPEG: the file is cut short")};
    return readWithQt(bytes, maxPixels, check);
}

} // namespace lustrelab
