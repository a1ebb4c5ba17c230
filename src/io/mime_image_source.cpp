#include "mime_image_source.h"

#include <QMimeData>
#include <QUrl>

namespace lustrelab {

namespace {

const QString qtImageType = QStringLiteral("application/x-qt-image");
const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
const QString nautilusMarker = QStringLiteral("x-special/nautilus-clipboard");

// Encoded image types in the order we prefer to decode them.
QStringList encodedImageTypes(const QMimeData& mime)
{
    QStringList types;
    for (const QString& format : mime.formats())
        if (format.startsWith(QLatin1String("image/")))
            types.append(format);
    std::stable_partition(types.begin(), types.end(),
                          [](const QString& t) { return t == QLatin1String("image/png"); });
    return types;
}

// "copy\nfile:///a.png\n..." (GNOME files) or the same under a marker line in
// text/plain (newer Nautilus): the first file URL, if any.
QUrl firstUrlOfCopiedFiles(const QByteArray& payload)
{
    const QList<QByteArray> lines = payload.split('\n');
    for (const QByteArray& line : lines) {
        const QUrl url(QString::fromUtf8(line.trimmed()));
        if (url.isValid() && !url.scheme().isEmpty())
            return url;
    }
    return {};
}

// A URL that names a file on this machine. A file URL whose host or path
// does not parse (bytes that are not UTF-8, say) names nothing.
bool isLocalFileUrl(const QUrl& url)
{
    return url.isValid() && url.isLocalFile() && !url.toLocalFile().isEmpty();
}

bool textIsCopiedFiles(const QMimeData& mime)
{
    return mime.hasText() && mime.text().startsWith(nautilusMarker);
}

QUrl firstUrl(const QMimeData& mime)
{
    if (mime.hasUrls())
        return mime.urls().value(0);
    if (mime.hasFormat(gnomeCopiedFiles))
        return firstUrlOfCopiedFiles(mime.data(gnomeCopiedFiles));
    if (textIsCopiedFiles(mime))
        return firstUrlOfCopiedFiles(mime.text().toUtf8().mid(nautilusMarker.size()));
    return {};
}

} // namespace

ImageSource imageSourceFromMime(const QMimeData& mime)
{
    ImageSource source;
    for (const QString& type : encodedImageTypes(mime)) {
        QByteArray bytes = mime.data(type);
        if (!bytes.isEmpty()) {
            source.kind = ImageSource::Kind::data;
            source.data = std::move(bytes);
            return source;
        }
    }
    if (mime.hasImage()) {
        QImage image = qvariant_cast<QImage>(mime.imageData());
        if (!image.isNull()) {
            source.kind = ImageSource::Kind::image;
            source.image = std::move(image);
            return source;
        }
    }
    // Only the first reference counts; a remote first URL is not fetched.
    const QUrl url = firstUrl(mime);
    if (isLocalFileUrl(url)) {
        source.kind = ImageSource::Kind::file;
        source.filePath = url.toLocalFile();
    }
    return source;
}

bool mimeOffersImage(const QMimeData& mime)
{
    if (!encodedImageTypes(mime).isEmpty() || mime.hasFormat(qtImageType))
        return true;
    if (mime.hasUrls())
        return isLocalFileUrl(mime.urls().value(0));
    return mime.hasFormat(gnomeCopiedFiles) || textIsCopiedFiles(mime);
}

} // namespace lustrelab
