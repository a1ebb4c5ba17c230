#include "image_loader.h"

#include "png_file_decoder.h"

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

} // namespace

void configureImageAllocationLimit()
{
    // Decoders may hold a little more than the final image; leave room for it.
    QImageReader::setAllocationLimit(int(kMaxImagePixels * 4 / (1024 * 1024)) + 256);
}

LoadedImage loadImage(const QString& path, qint64 maxPixels)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, QStringLiteral("no such file")};
    if (info.isDir())
        return {{}, QStringLiteral("is a folder, not an image")};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("cannot open: %1").arg(file.errorString())};

    // PNG, the usual screenshot format, is decoded without Qt's plugin so
    // that a damaged file is reported in one line of ours (see
    // png_file_decoder.h). Other formats go through Qt's readers.
    if (hasPngSignature(file.peek(8)))
        return decodePngFile(file.readAll(), maxPixels);

    QImageReader reader(&file);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return {{}, QStringLiteral("not an image in a readable format")};

    // The header's size lets an oversized image be refused before decoding.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxPixels)
        return {{}, tooLarge(size, maxPixels)};

    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("cannot decode: %1").arg(reader.errorString())};
    // Not every reader reports beforehand the size it then decodes (Qt's GIF
    // reader is one), so the limit is checked again; Qt's allocation limit
    // has bounded what the decoding itself could take.
    if (qint64(image.width()) * image.height() > maxPixels)
        return {{}, tooLarge(image.size(), maxPixels)};
    return {std::move(image), {}};
}

} // namespace lustrelab
