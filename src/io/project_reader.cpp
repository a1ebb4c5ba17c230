#include "model/annotations_json.h"
#include "model/model_json.h"
#include "png_file_decoder.h"
#include "project_file.h"
#include "project_names.h"
#include "zip_archive.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <new>

namespace lustrelab {

namespace {

// The reasons shown to the user. The reader fills in one and gives up.
QString notAProject(const QString& why)
{
    return QStringLiteral("not a Lustrelab project (%1)").arg(why);
}

QString inDocument(const QString& reason)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(project::documentEntry), reason);
}

// Opens the archive and checks that it says it is a project: the first
// entry is "mimetype", holding exactly our type.
std::optional<ZipReader> openProject(QByteArrayView bytes, QString* error)
{
    ZipReader::Failure failure = ZipReader::Failure::none;
    QString reason;
    std::optional<ZipReader> zip = ZipReader::open(bytes, &failure, &reason);
    if (!zip) {
        *error = failure == ZipReader::Failure::notZip
                     ? notAProject(QStringLiteral("not a ZIP archive"))
                     : QStringLiteral("damaged ZIP archive: %1").arg(reason);
        return std::nullopt;
    }
    const QString wrongType = notAProject(QStringLiteral("its first entry is not \"mimetype\" holding \"%1\"")
                                              .arg(QLatin1String(projectMimeType)));
    if (zip->firstName() != QLatin1String(project::mimetypeEntry) ||
        zip->declaredSize(0) != quint64(qstrlen(projectMimeType))) {
        *error = wrongType;
        return std::nullopt;
    }
    const std::optional<QByteArray> type = zip->readAll(0, &reason);
    if (!type || *type != QByteArray(projectMimeType)) {
        *error = type ? wrongType : QStringLiteral("mimetype: %1").arg(reason);
        return std::nullopt;
    }
    return zip;
}

// An entry read whole, once its declared size is known to be within `limit`.
std::optional<QByteArray> readEntry(const ZipReader& zip, const QString& name, quint64 limit, QString* error)
{
    const std::optional<quint64> index = zip.indexOf(name);
    if (!index) {
        *error = QStringLiteral("%1: missing from the project").arg(name);
        return std::nullopt;
    }
    if (zip.declaredSize(*index) > limit) {
        *error = QStringLiteral("%1: declares %2 bytes, more than the largest image this version reads")
                     .arg(name)
                     .arg(zip.declaredSize(*index));
        return std::nullopt;
    }
    QString reason;
    std::optional<QByteArray> bytes = zip.readAll(*index, &reason);
    if (!bytes)
        *error = QStringLiteral("%1: %2").arg(name, reason);
    return bytes;
}

// A PNG entry: its header's pixel size is checked against `maxPixels` from
// the first bytes alone, before the rest is inflated.
QImage readPng(const ZipReader& zip, const QString& name, quint64 byteLimit, qint64 maxPixels, QString* error)
{
    if (const std::optional<quint64> index = zip.indexOf(name);
        index && zip.declaredSize(*index) <= byteLimit) {
        QString reason;
        const std::optional<QByteArray> start = zip.readStart(*index, 24, &reason);
        if (!start) {
            *error = QStringLiteral("%1: %2").arg(name, reason);
            return {};
        }
        if (!hasPngSignature(*start) || start->size() < 24) {
            *error = QStringLiteral("%1: not a PNG image").arg(name);
            return {};
        }
        const auto* header = reinterpret_cast<const uchar*>(start->constData());
        const quint64 width = qFromBigEndian<quint32>(header + 16),
                      height = qFromBigEndian<quint32>(header + 20);
        if (width * height > quint64(maxPixels)) {
            *error = QStringLiteral("%1: %2 x %3 pixels, more than the largest image this version reads")
                         .arg(name)
                         .arg(width)
                         .arg(height);
            return {};
        }
        // Its pixels at 16 bits per channel, stored without compression, and
        // room for a few chunks beside them: no PNG of that size is larger.
        const quint64 largest = width * height * 8 + height + (quint64(16) << 20);
        if (zip.declaredSize(*index) > largest) {
            *error = QStringLiteral("%1: declares %2 bytes, more than a PNG of %3 x %4 pixels holds")
                         .arg(name)
                         .arg(zip.declaredSize(*index))
                         .arg(width)
                         .arg(height);
            return {};
        }
    }
    const std::optional<QByteArray> bytes = readEntry(zip, name, byteLimit, error);
    if (!bytes)
        return {};
    LoadedImage loaded = decodePngFile(*bytes, maxPixels);
    if (loaded.image.isNull())
        *error = QStringLiteral("%1: %2").arg(name, loaded.error);
    return loaded.image;
}

std::optional<Json> parseDocument(const QByteArray& bytes, QString* error)
{
    try {
        return Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::exception& e) {
        QString message = QString::fromUtf8(e.what());
        if (message.startsWith(u'['))
            message = message.mid(message.indexOf(u']') + 1).trimmed();
        *error = inDocument(QStringLiteral("invalid JSON: %1").arg(message));
        return std::nullopt;
    }
}

// The parts of document.json around the records, which have readers of their own.
struct Outline
{
    QString screenshotFile;
    double devicePixelRatio = 1;
    QString backgroundImage;
};

std::optional<Outline> readOutline(const Json& json, QString* error)
{
    auto fail = [&](const QString& reason) -> std::optional<Outline> {
        *error = inDocument(reason);
        return std::nullopt;
    };
    if (!json.is_object())
        return fail(QStringLiteral("expected an object"));
    // The format comes first: a newer one may have changed anything else.
    const auto format = json.find("format");
    if (format == json.end())
        return fail(QStringLiteral("format: missing"));
    if (!format->is_number_integer() || format->get<qint64>() < 1)
        return fail(QStringLiteral("format: expected a whole number from 1"));
    if (format->get<qint64>() > projectFormat)
        return fail(
            QStringLiteral("made by a newer Lustrelab (format %1; this version reads format %2 and older)")
                .arg(format->get<qint64>())
                .arg(projectFormat));
    Outline outline;
    const auto screenshot = json.find("screenshot");
    if (screenshot == json.end())
        return fail(QStringLiteral("screenshot: missing"));
    if (!screenshot->is_object())
        return fail(QStringLiteral("screenshot: expected an object"));
    const auto file = screenshot->find("file");
    if (file == screenshot->end())
        return fail(QStringLiteral("screenshot.file: missing"));
    if (!file->is_string() ||
        !project::isPlainEntryName(outline.screenshotFile = QString::fromStdString(file->get<std::string>())))
        return fail(QStringLiteral("screenshot.file: expected the name of an entry of the project"));
    if (const auto ratio = screenshot->find("devicePixelRatio"); ratio != screenshot->end()) {
        // Screens go up to 4; the rest of the range is slack, not a use.
        if (!ratio->is_number() || !(ratio->get<double>() > 0 && ratio->get<double>() <= 16))
            return fail(QStringLiteral("screenshot.devicePixelRatio: expected a number above 0, at most 16"));
        outline.devicePixelRatio = ratio->get<double>();
    }
    if (const auto background = json.find("backgroundImage"); background != json.end()) {
        if (!background->is_string() ||
            !project::isPlainEntryName(outline.backgroundImage =
                                           QString::fromStdString(background->get<std::string>())))
            return fail(QStringLiteral("backgroundImage: expected the name of an entry of the project"));
    }
    if (!json.contains("settings"))
        return fail(QStringLiteral("settings: missing"));
    return outline;
}

template <typename Result> Result failWith(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return Result{};
}

std::optional<ProjectContents> readContents(QByteArrayView bytes, QString* error)
{
    using Fail = std::optional<ProjectContents>;
    QString reason;
    const std::optional<ZipReader> zip = openProject(bytes, &reason);
    if (!zip)
        return failWith<Fail>(error, reason);
    const std::optional<QByteArray> text =
        readEntry(*zip, QLatin1String(project::documentEntry), project::documentLimit, &reason);
    if (!text)
        return failWith<Fail>(error, reason);
    const std::optional<Json> json = parseDocument(*text, &reason);
    if (!json)
        return failWith<Fail>(error, reason);
    const std::optional<Outline> outline = readOutline(*json, &reason);
    if (!outline)
        return failWith<Fail>(error, reason);

    ProjectContents contents;
    // The settings reader names its keys "settings.…" itself.
    std::optional<BeautySettings> settings = beautySettingsFromJson(json->at("settings"), &reason);
    if (!settings)
        return failWith<Fail>(error, inDocument(reason));
    contents.document.settings = std::move(*settings);
    if (const auto annotations = json->find("annotations"); annotations != json->end()) {
        std::optional<Annotations> read = annotationsFromJson(*annotations, &reason);
        if (!read) {
            if (!reason.startsWith(QLatin1String("annotations")))
                reason.prepend(QLatin1String("annotations."));
            return failWith<Fail>(error, inDocument(reason));
        }
        contents.document.annotations = std::move(*read);
    }

    QImage screenshot =
        readPng(*zip, outline->screenshotFile, project::imageEntryLimit, maxImagePixels, &reason);
    if (screenshot.isNull())
        return failWith<Fail>(error, reason);
    screenshot.setDevicePixelRatio(outline->devicePixelRatio);
    contents.document.screenshot = std::move(screenshot);
    contents.document.devicePixelRatio = outline->devicePixelRatio;

    if (!outline->backgroundImage.isEmpty()) {
        std::optional<QByteArray> background =
            readEntry(*zip, outline->backgroundImage, project::imageEntryLimit, &reason);
        if (!background)
            return failWith<Fail>(error, reason);
        contents.backgroundImage = std::move(*background);
        contents.backgroundImageName = outline->backgroundImage;
    }
    return contents;
}

} // namespace

std::optional<ProjectContents> readProject(QByteArrayView bytes, QString* error)
{
    // Qt's containers throw when memory runs out; a project too large for
    // this machine ends in a reason like any other.
    try {
        return readContents(bytes, error);
    } catch (const std::bad_alloc&) {
        return failWith<std::optional<ProjectContents>>(error,
                                                        QStringLiteral("not enough memory to open it"));
    }
}

QImage readProjectPreview(QByteArrayView bytes, QString* error)
{
    QString reason;
    const std::optional<ZipReader> zip = openProject(bytes, &reason);
    QImage preview;
    if (zip)
        preview = readPng(*zip, QLatin1String(project::previewEntry), project::previewEntryLimit,
                          project::previewPixelLimit, &reason);
    if (preview.isNull() && error)
        *error = reason;
    return preview;
}

namespace {

std::optional<QByteArray> readWholeFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read: %1").arg(file.errorString());
        return std::nullopt;
    }
    // A screenshot and a picture of the largest size, with room to spare;
    // read up to that much and no further, whatever the file is (a pipe, a device).
    const qint64 limit = qint64(2 * project::imageEntryLimit + project::documentLimit);
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit) {
        if (error)
            *error = QStringLiteral("larger than any project this version reads");
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<ProjectContents> readProjectFile(const QString& path, QString* error)
{
    try {
        const std::optional<QByteArray> bytes = readWholeFile(path, error);
        return bytes ? readProject(*bytes, error) : std::nullopt;
    } catch (const std::bad_alloc&) {
        return failWith<std::optional<ProjectContents>>(error,
                                                        QStringLiteral("not enough memory to open it"));
    }
}

QImage readProjectPreviewFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = readWholeFile(path, error);
    return bytes ? readProjectPreview(*bytes, error) : QImage();
}

bool looksLikeProject(QByteArrayView bytes)
{
    // A local file header whose name is "mimetype" and whose stored data is
    // our type, right at the start: what the writer always produces.
    const QByteArray expected = QByteArray("mimetype") + projectMimeType;
    return bytes.startsWith(QByteArrayView("PK\x03\x04", 4)) && bytes.size() >= 30 + expected.size() &&
           bytes.sliced(30, expected.size()) == expected;
}

bool isProjectFile(const QString& path)
{
    if (path.endsWith(u'.' + QLatin1String(projectSuffix), Qt::CaseInsensitive))
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && looksLikeProject(file.read(128));
}

} // namespace lustrelab
