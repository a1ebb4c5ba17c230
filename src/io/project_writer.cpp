#include "model/annotations_json.h"
#include "model/model_json.h"
#include "png_encoder.h"
#include "project_file.h"
#include "project_names.h"
#include "zip_archive.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <new>

namespace lustrelab {

namespace {

using Compression = ZipWriter::Compression;

// The picture's own extension when it is a sensible one, so that the entry
// says what it holds; the bytes are never converted.
QString backgroundEntryName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    static const QRegularExpression plain(QStringLiteral("^[a-z0-9]{1,8}$"));
    QString name = QLatin1String(project::backgroundStem);
    if (plain.match(suffix).hasMatch())
        name += u'.' + suffix;
    return name;
}

QImage previewOf(const QImage& styled)
{
    const int longer = qMax(styled.width(), styled.height());
    if (longer <= projectPreviewSide)
        return styled;
    QImage preview = styled.scaled(QSize(projectPreviewSide, projectPreviewSide), Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation);
    preview.setDevicePixelRatio(1);
    return preview;
}

std::optional<QByteArray> archiveOf(const Document& document, const QImage& styled, QString* error)
{
    QString reason;
    auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (document.screenshot.isNull())
        return fail(QStringLiteral("there is no screenshot to save"));
    if (qint64(document.screenshot.width()) * document.screenshot.height() > maxImagePixels)
        return fail(QStringLiteral("the screenshot is larger than a project can hold"));
    if (!(document.devicePixelRatio > 0))
        return fail(QStringLiteral("the device pixel ratio is not a positive number"));

    QByteArray screenshot = PngEncoder::encode(document.screenshot, &reason);
    if (screenshot.isEmpty())
        return fail(QStringLiteral("cannot encode the screenshot: %1").arg(reason));
    QByteArray preview;
    if (!styled.isNull()) {
        preview = PngEncoder::encode(previewOf(styled), &reason);
        if (preview.isEmpty())
            return fail(QStringLiteral("cannot encode the preview: %1").arg(reason));
    }

    Json json = Json::object();
    json["format"] = projectFormat;
    json["screenshot"] =
        Json{{"file", project::screenshotEntry}, {"devicePixelRatio", document.devicePixelRatio}};
    json["settings"] = toJson(document.settings);
    json["annotations"] = toJson(document.annotations);

    // The picture travels with the project. One that cannot be read here is
    // left out, and the project composes on white, as the window does now.
    QByteArray background;
    QString backgroundName;
    if (document.settings.backgroundType == BackgroundType::image) {
        // Only a regular file: a path to a device or a pipe would never end.
        QFile file(document.settings.backgroundImagePath);
        if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly)) {
            background = file.read(qint64(project::imageEntryLimit) + 1);
            if (quint64(background.size()) > project::imageEntryLimit)
                return fail(QStringLiteral("the background image is larger than a project can hold"));
            backgroundName = backgroundEntryName(document.settings.backgroundImagePath);
            if (!background.isEmpty())
                json["backgroundImage"] = backgroundName.toStdString();
        }
    }

    ZipWriter zip;
    zip.add(QLatin1String(project::mimetypeEntry), QByteArray(projectMimeType), Compression::store);
    zip.add(QLatin1String(project::documentEntry), QByteArray::fromStdString(json.dump()),
            Compression::deflate);
    zip.add(QLatin1String(project::screenshotEntry), std::move(screenshot), Compression::store);
    if (!background.isEmpty())
        zip.add(backgroundName, std::move(background), Compression::store);
    if (!preview.isEmpty())
        zip.add(QLatin1String(project::previewEntry), std::move(preview), Compression::store);
    std::optional<QByteArray> bytes = zip.finish(&reason);
    if (!bytes)
        return fail(QStringLiteral("cannot make the archive: %1").arg(reason));
    return bytes;
}

} // namespace

std::optional<QByteArray> projectBytes(const Document& document, const QImage& styled, QString* error)
{
    try {
        return archiveOf(document, styled, error);
    } catch (const std::bad_alloc&) {
        if (error)
            *error = QStringLiteral("not enough memory to save it");
        return std::nullopt;
    }
}

bool saveProject(const QString& path, const Document& document, const QImage& styled, QString* error)
{
    const std::optional<QByteArray> bytes = projectBytes(document, styled, error);
    if (!bytes)
        return false;
    // Written beside the old file and renamed over it only once complete, so
    // a full disk or a crash half-way leaves the previous project whole.
    // Unbuffered: a buffered QFile reports a short write at its final flush
    // as success, and the commit would then put a cut archive in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(*bytes) != bytes->size() ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace lustrelab
