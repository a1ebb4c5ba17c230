#include "json_file.h"
#include "model/annotations_json.h"
#include "model/json_reader.h"
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

// The parts of document.json that name entries of the archive.
struct Outline
{
    QString screenshotFile;
    QString backgroundImage;
};

void readEntryName(JsonReader& r, const char* key, QString& name)
{
    r.read(key, name);
    if (r.ok() && r.has(key) && !project::isPlainEntryName(name))
        r.fail(key, QStringLiteral("expected the name of an entry of the project"));
}

// The format comes first: a newer one may have changed anything else.
bool readFormat(JsonReader& r, QString* error)
{
    r.require({"format"});
    int format = 0;
    r.read("format", format);
    if (r.ok() && format < 1)
        r.fail("format", QStringLiteral("expected a whole number from 1"));
    if (!r.ok()) {
        *error = inDocument(r.error());
        return false;
    }
    if (format > projectFormat) {
        *error = inDocument(
            QStringLiteral("made by a newer Lustrelab (format %1; this version reads format %2 and older)")
                .arg(format)
                .arg(projectFormat));
        return false;
    }
    return true;
}

std::optional<Outline> readDocument(const Json& json, Document& document, QString* error)
{
    JsonReader r(json, QString());
    if (!readFormat(r, error))
        return std::nullopt;
    Outline outline;
    r.require({"screenshot", "settings"});
    r.readObject("screenshot", [&](JsonReader& screenshot) {
        screenshot.require({"file"});
        readEntryName(screenshot, "file", outline.screenshotFile);
        screenshot.read("devicePixelRatio", document.devicePixelRatio);
        // Screens go up to 4; the rest of the range is slack, not a use.
        if (screenshot.ok() && !(document.devicePixelRatio > 0 && document.devicePixelRatio <= 16))
            screenshot.fail("devicePixelRatio", QStringLiteral("expected a number above 0, at most 16"));
    });
    readEntryName(r, "backgroundImage", outline.backgroundImage);
    r.readObject("settings", [&](JsonReader& settings) { readBeautySettings(settings, document.settings); });
    r.readObject("annotations",
                 [&](JsonReader& annotations) { readAnnotations(annotations, document.annotations); });
    if (r.ok())
        return outline;
    *error = inDocument(r.error());
    return std::nullopt;
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
    std::optional<Json> json = parseJson(*text, &reason);
    if (!json)
        return failWith<Fail>(error, inDocument(reason));
    ProjectContents contents;
    const std::optional<Outline> outline = readDocument(*json, contents.document, &reason);
    if (!outline)
        return failWith<Fail>(error, reason);

    QImage screenshot =
        readPng(*zip, outline->screenshotFile, project::imageEntryLimit, maxImagePixels, &reason);
    if (screenshot.isNull())
        return failWith<Fail>(error, reason);
    screenshot.setDevicePixelRatio(contents.document.devicePixelRatio);
    contents.document.screenshot = std::move(screenshot);

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

// A screenshot and a picture of the largest size, with room to spare.
constexpr qint64 projectFileLimit = qint64(2 * project::imageEntryLimit + project::documentLimit);

} // namespace

std::optional<ProjectContents> readProjectFile(const QString& path, QString* error)
{
    try {
        const std::optional<QByteArray> bytes = readFileBytes(path, projectFileLimit, error);
        return bytes ? readProject(*bytes, error) : std::nullopt;
    } catch (const std::bad_alloc&) {
        return failWith<std::optional<ProjectContents>>(error,
                                                        QStringLiteral("not enough memory to open it"));
    }
}

QImage readProjectPreviewFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = readFileBytes(path, projectFileLimit, error);
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
