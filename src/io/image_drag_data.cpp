#include "image_drag_data.h"

#include "base/run_then_deliver.h"
#include "png_encoder.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace lustrelab {

namespace {

const QString pngType = QStringLiteral("image/png");
const QString uriListType = QStringLiteral("text/uri-list");
const QString qtImageType = QStringLiteral("application/x-qt-image");

// A file name without what file managers and shells make awkward.
QString safeName(QString name)
{
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char(':') || c == QLatin1Char('\\') ||
            c.category() == QChar::Other_Control)
            c = QLatin1Char('-');
    name = name.trimmed();
    return name.isEmpty() || name.startsWith(QLatin1Char('.')) ? QStringLiteral("Screenshot") : name;
}

} // namespace

ImageDragData::ImageDragData(const QImage& image, const QString& folder, const QString& baseName,
                             QThreadPool& pool)
    : m_image(image), m_path(QDir(folder).filePath(safeName(baseName) + QStringLiteral(".png")))
{
    m_written = runOnPool(pool, [image, folder, path = m_path] {
        Written written;
        written.png = PngEncoder::encode(image, &written.error);
        if (written.png.isEmpty())
            return written;
        QDir().mkpath(folder);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(written.png) != written.png.size() ||
            !file.commit())
            written.error = file.errorString();
        return written;
    });
}

QStringList ImageDragData::formats() const
{
    return {pngType, uriListType, qtImageType};
}

bool ImageDragData::hasFormat(const QString& mimeType) const
{
    return formats().contains(mimeType);
}

bool ImageDragData::waitForFile(QString* error) const
{
    const Written& written = m_written.result(); // waits
    if (error)
        *error = written.error;
    return written.error.isEmpty();
}

QVariant ImageDragData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType == qtImageType)
        return m_image;
    if (mimeType == pngType)
        return m_written.result().png;
    if (mimeType == uriListType) {
        if (!waitForFile())
            return {};
        const QUrl url = QUrl::fromLocalFile(m_path);
        if (type.id() == QMetaType::QVariantList || type.id() == QMetaType::QUrl)
            return QVariantList{url};
        return QByteArray(url.toEncoded() + "\r\n");
    }
    return {};
}

QString dragCacheFolder()
{
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                               .filePath(QStringLiteral("lustrelab/drags"));
    // A file another program took has been copied by now; one kept a day is
    // surely no longer needed.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo& old : QDir(folder).entryInfoList({QStringLiteral("*.png")}, QDir::Files))
        if (old.lastModified() < dayAgo)
            QFile::remove(old.filePath());
    return folder;
}

} // namespace lustrelab
