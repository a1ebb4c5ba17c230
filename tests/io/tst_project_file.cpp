// Project files: what is saved comes back and exports the same bytes; every
// damaged or foreign archive is refused with its own reason; a failed save
// keeps the file that was there.

#include "io/export_service.h"
#include "io/json_file.h"
#include "io/png_encoder.h"
#include "io/project_file.h"
#include "io/zip_archive.h"
#include "io_fixtures.h"
#include "model/annotations_json.h"
#include "record_printers.h"
#include "render/image_processor.h"
#include "state/guarded_json_file.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace lustrelab;

namespace {

using Entries = QList<std::pair<QString, QByteArray>>;

QByteArray zipOf(const Entries& entries)
{
    ZipWriter writer;
    for (const auto& [name, data] : entries)
        writer.add(name, data, ZipWriter::Compression::deflate);
    return writer.finish(nullptr).value_or(QByteArray());
}

// A document that uses every kind of annotation, a crop and a gradient of the user's own.
Document richDocument()
{
    Document d;
    d.screenshot = test::patternImage(120, 80, 2);
    d.devicePixelRatio = 2;
    d.settings.backgroundType = BackgroundType::customGradient;
    d.settings.customGradient = {GradientKind::radial,
                                 30,
                                 0.25,
                                 0.75,
                                 {{{1, 0.5, 0, 1}, 0}, {{0, 0.25, 1, 0.5}, 0.4}, {{0.1, 0.9, 0.3, 1}, 1}}};
    d.settings.shadowOpacity = 0.3f;
    d.settings.cornerRadius = 7.5;
    TextOverlay text;
    text.text = QStringLiteral("Grüße \"quoted\"\nline");
    text.position = {0.3, 0.7};
    text.fontName = QStringLiteral("DejaVu Sans");
    text.fontWeight = FontWeight::bold;
    text.backgroundColor = CodableColor{0, 0, 0, 0.5};
    text.rotation = -12.25;
    d.annotations.textOverlays = {text};
    ShapeOverlay arrow = freshShape(ShapeType::arrow);
    arrow.startPoint = {0.1, 0.1};
    arrow.endPoint = {0.9, 0.6};
    arrow.arrowStyle = ArrowStyle::double_;
    ShapeOverlay pixelate = freshShape(ShapeType::pixelate);
    pixelate.cellSize = 5;
    pixelate.fillColor = CodableColor{0.2, 0.3, 0.4, 1};
    ShapeOverlay spotlight = freshShape(ShapeType::spotlight);
    spotlight.spotlightShape = SpotlightShape::ellipse;
    d.annotations.shapeOverlays = {arrow, pixelate, spotlight};
    d.annotations.removalAreas = {
        RemovalArea{QUuid::createUuid(), {0.4, 0.4, 0.1, 0.05}, RemovalMethod::solidColor}};
    StepMarker marker;
    marker.number = 7;
    marker.tailPoint = UnitPoint{0.8, 0.2};
    d.annotations.stepMarkers = {marker};
    PenStroke stroke = freshPenStroke(true);
    stroke.points = {{0.1, 0.9}, {0.2, 0.85}, {0.3, 0.88}};
    d.annotations.penStrokes = {stroke};
    d.annotations.crop = UnitRect{0.05, 0.1, 0.9, 0.8};
    return d;
}

QImage composedOf(const Document& d)
{
    ImageProcessor processor;
    return processor.compose(d.screenshot, d.settings, d.annotations);
}

// The bytes a PNG export of the document gives, composed from nothing.
QByteArray exported(const Document& d)
{
    return PngEncoder::encode(ExportService::scaleImage(composedOf(d), d.settings.exportScale));
}

Entries entriesOf(const QByteArray& archive)
{
    ZipReader::Failure failure;
    QString error;
    std::optional<ZipReader> zip = ZipReader::open(archive, &failure, &error);
    Entries entries;
    for (const char* name : {"mimetype", "document.json", "screenshot.png", "preview.png"})
        if (const auto index = zip->indexOf(QLatin1String(name)))
            entries.append({QLatin1String(name), zip->readAll(*index, &error).value_or(QByteArray())});
    return entries;
}

} // namespace

class ProjectFileTest : public QObject
{
    Q_OBJECT

    iotest::IsolatedHome m_home;

    QByteArray goodArchive()
    {
        return projectBytes(richDocument(), composedOf(richDocument())).value_or(QByteArray());
    }

    // The good project with document.json replaced by what `edit` makes of it.
    template <typename Edit> QByteArray withDocument(Edit edit)
    {
        Entries entries = entriesOf(goodArchive());
        Json json = Json::parse(entries[1].second.toStdString());
        edit(json);
        entries[1].second = QByteArray::fromStdString(json.dump());
        return zipOf(entries);
    }

  private slots:
    void roundTripExportsTheSameBytes_data()
    {
        QTest::addColumn<bool>("pictureBackground");
        QTest::newRow("every annotation kind, crop, custom gradient") << false;
        QTest::newRow("picture background, gone from its folder") << true;
    }
    void roundTripExportsTheSameBytes()
    {
        QFETCH(bool, pictureBackground);
        Document before = richDocument();
        const QString picture = m_home.filePath(QStringLiteral("holiday.JPG"));
        if (pictureBackground) {
            QVERIFY(test::writeFile(picture, test::encoded(test::patternImage(64, 48), "JPEG")));
            before.settings.backgroundType = BackgroundType::image;
            before.settings.backgroundImagePath = picture;
            before.settings.backgroundImageBlur = 3;
        }
        const QByteArray expected = exported(before);
        QVERIFY(!expected.isEmpty());
        const QString path = m_home.filePath(QStringLiteral("trip.lustrelab"));
        QString error;
        QVERIFY2(saveProject(path, before, composedOf(before), &error), qPrintable(error));
        if (pictureBackground)
            QVERIFY(QFile::remove(picture)); // the project must carry it

        std::optional<ProjectContents> read = readProjectFile(path, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->backgroundImageName, pictureBackground ? QStringLiteral("background.jpg") : QString());
        QVERIFY(placeBackgroundImage(*read, m_home.filePath(QStringLiteral("pictures")), &error));
        Document& after = read->document;
        QCOMPARE(after.devicePixelRatio, 2.0);
        QCOMPARE(after.screenshot.devicePixelRatio(), 2.0);
        QCOMPARE(test::asArgb(after.screenshot), test::asArgb(before.screenshot));
        QVERIFY(after.annotations == before.annotations);
        const QString placed = after.settings.backgroundImagePath;
        if (pictureBackground)
            QVERIFY(placed != picture && QFile::exists(placed));
        after.settings.backgroundImagePath = before.settings.backgroundImagePath;
        QCOMPARE(after.settings, before.settings);
        after.settings.backgroundImagePath = placed;
        QVERIFY(exported(after) == expected);
    }

    void archiveLayout()
    {
        const QByteArray archive = goodArchive();
        // The type is readable at a fixed place, for file managers' magic.
        QCOMPARE(archive.mid(30, 8 + qstrlen(projectMimeType)), QByteArray("mimetype") + projectMimeType);
        QCOMPARE(archive.mid(8, 2), QByteArray("\0\0", 2)); // stored, not deflated
        QVERIFY(looksLikeProject(archive));
        const Entries entries = entriesOf(archive);
        QCOMPARE(entries.size(), 4);
        const Json json = Json::parse(entries[1].second.toStdString());
        QCOMPARE(json.at("format").get<int>(), 1);
        QCOMPARE(json.at("screenshot").dump(),
                 std::string(R"({"file":"screenshot.png","devicePixelRatio":2.0})"));
        QVERIFY(!json.contains("backgroundImage"));
        QCOMPARE(json.at("settings").dump(), toJson(richDocument().settings).dump());
        const QImage screenshot = QImage::fromData(entries[2].second, "PNG");
        QCOMPARE(screenshot.size(), QSize(120, 80));
        const QImage composed = composedOf(richDocument());
        const QImage preview = readProjectPreview(archive);
        QCOMPARE(qMax(preview.width(), preview.height()),
                 qMin(512, qMax(composed.width(), composed.height())));
        QCOMPARE(preview.width() * 100 / preview.height(), composed.width() * 100 / composed.height());
    }

    void largePreviewIsReduced()
    {
        Document d;
        d.screenshot = test::solidImage(40, 30);
        const QByteArray archive = projectBytes(d, test::solidImage(1600, 400, Qt::red)).value();
        QCOMPARE(readProjectPreview(archive).size(), QSize(512, 128));
        QVERIFY(!looksLikeProject(test::encoded(d.screenshot, "PNG")));
    }

    void refusedArchives_data()
    {
        QTest::addColumn<QByteArray>("archive");
        QTest::addColumn<QString>("reason");
        const QByteArray mime(projectMimeType);
        const Entries good = entriesOf(goodArchive());
        auto without = [&](int dropped) {
            Entries e = good;
            e.removeAt(dropped);
            return zipOf(e);
        };
        auto replaced = [&](int index, QByteArray data) {
            Entries e = good;
            e[index].second = std::move(data);
            return zipOf(e);
        };
        QTest::newRow("empty file") << QByteArray() << "not a Lustrelab project (not a ZIP archive)";
        QTest::newRow("a PNG") << good[2].second << "not a Lustrelab project (not a ZIP archive)";
        QTest::newRow("no mimetype") << without(0) << "its first entry is not \"mimetype\"";
        QTest::newRow("other mimetype") << replaced(0, "application/vnd.oasis.opendocument.text")
                                        << "its first entry is not \"mimetype\"";
        QTest::newRow("other type, same length")
            << replaced(0, QByteArray(projectMimeType).replace("lustrelab", "lustreLAB"))
            << "its first entry is not";
        QTest::newRow("mimetype with a newline") << replaced(0, mime + '\n') << "its first entry is not";
        Entries second = good;
        second.swapItemsAt(0, 1);
        QTest::newRow("mimetype not first") << zipOf(second) << "its first entry is not";
        QTest::newRow("no document") << without(1) << "document.json: missing from the project";
        QTest::newRow("document not JSON") << replaced(1, "{\"format\": 1,") << "document.json: invalid JSON";
        QTest::newRow("document an array") << replaced(1, "[]") << "document.json: expected an object";
        QTest::newRow("no format") << withDocument([](Json& j) { j.erase("format"); })
                                   << "document.json: format: missing";
        QTest::newRow("format as text") << withDocument([](Json& j) { j["format"] = "1"; })
                                        << "document.json: format: expected a whole number";
        QTest::newRow("newer format") << withDocument([](Json& j) {
            j["format"] = 2;
            j.erase("settings"); // whatever else a newer version changed
        }) << "made by a newer Lustrelab";
        QTest::newRow("settings key missing")
            << withDocument([](Json& j) { j["settings"].erase("exportFormat"); }) << "settings.exportFormat";
        QTest::newRow("no settings") << withDocument([](Json& j) { j.erase("settings"); })
                                     << "document.json: settings: missing";
        QTest::newRow("annotation of the wrong type")
            << withDocument([](Json& j) { j["annotations"]["shapeOverlays"][1]["strokeWidth"] = "wide"; })
            << "document.json: annotations.shapeOverlays[1].strokeWidth";
        QTest::newRow("annotations not an object") << withDocument([](Json& j) { j["annotations"] = 3; })
                                                   << "document.json: annotations: expected an object";
        QTest::newRow("crop outside the screenshot")
            << withDocument([](Json& j) { j["annotations"]["crop"]["width"] = 2; })
            << "document.json: annotations.crop";
        QTest::newRow("no screenshot object")
            << withDocument([](Json& j) { j.erase("screenshot"); }) << "document.json: screenshot: missing";
        QTest::newRow("screenshot outside the archive")
            << withDocument([](Json& j) { j["screenshot"]["file"] = "../screenshot.png"; })
            << "document.json: screenshot.file: expected the name of an entry";
        QTest::newRow("zero ratio") << withDocument([](Json& j) { j["screenshot"]["devicePixelRatio"] = 0; })
                                    << "screenshot.devicePixelRatio";
        QTest::newRow("background outside the archive")
            << withDocument([](Json& j) { j["backgroundImage"] = "/etc/passwd"; })
            << "backgroundImage: expected";
        QTest::newRow("background named, not there")
            << withDocument([](Json& j) { j["backgroundImage"] = "background.png"; })
            << "background.png: missing from the project";
        QTest::newRow("no screenshot") << without(2) << "screenshot.png: missing from the project";
        QTest::newRow("screenshot not a PNG")
            << replaced(2, "GIF89a......................") << "screenshot.png: not a PNG image";
        QByteArray cut = good[2].second;
        cut.chop(40);
        QTest::newRow("screenshot cut short") << replaced(2, cut) << "screenshot.png: ";
        // An IHDR of 20000 x 20000 pixels and no image data: refused on the header.
        QByteArray huge = good[2].second.left(33);
        qToBigEndian<quint32>(20000, huge.data() + 16);
        qToBigEndian<quint32>(20000, huge.data() + 20);
        QTest::newRow("screenshot declares too many pixels")
            << replaced(2, huge) << "screenshot.png: 20000 x 20000 pixels, more than the largest image";
    }
    void refusedArchives()
    {
        QFETCH(QByteArray, archive);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!readProject(archive, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void declaredSizesAreCheckedBeforeInflating_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<quint32>("declared");
        QTest::addColumn<QString>("reason");
        QTest::newRow("screenshot beyond any image")
            << "screenshot.png" << quint32(0xfffffff0) << "screenshot.png: declares 4294967280 bytes";
        QTest::newRow("screenshot beyond its pixels")
            << "screenshot.png" << quint32(0x3ffffff0) << "more than a PNG of 120 x 80 pixels holds";
        QTest::newRow("document beyond its limit")
            << "document.json" << quint32(0x7ffffff0) << "document.json: declares";
        QTest::newRow("document larger than declared")
            << "document.json" << quint32(10) << "document.json: the entry does not hold the size";
    }
    void declaredSizesAreCheckedBeforeInflating()
    {
        QFETCH(QString, entry);
        QFETCH(quint32, declared);
        QFETCH(QString, reason);
        // The central directory's "uncompressed size" of the entry, rewritten.
        QByteArray archive = goodArchive();
        const QByteArray name = entry.toUtf8();
        qsizetype at = 0;
        while ((at = archive.indexOf("PK\x01\x02", at)) >= 0 && archive.mid(at + 46, name.size()) != name)
            ++at;
        QVERIFY(at >= 0);
        qToLittleEndian<quint32>(declared, archive.data() + at + 24);
        QString error;
        QVERIFY(!readProject(archive, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void entriesOutsideTheArchiveAreIgnored()
    {
        Entries entries = entriesOf(goodArchive());
        const QString outside = m_home.filePath(QStringLiteral("escaped.png"));
        entries.append({QStringLiteral("../escaped.png"), "x"});
        entries.append({outside, "x"});
        QString error;
        std::optional<ProjectContents> read = readProject(zipOf(entries), &error);
        QVERIFY2(read, qPrintable(error));
        QVERIFY(placeBackgroundImage(*read, m_home.filePath(QStringLiteral("nothing placed"))));
        QVERIFY(!QFile::exists(outside));
        QVERIFY(!QDir(m_home.filePath(QStringLiteral("nothing placed"))).exists());
    }

    // A disk that fills up half-way, for each writer that replaces a user's
    // file: the limit on file size makes writes beyond it fail.
    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::newRow("project") << "project";
        QTest::newRow("export") << "export";
        QTest::newRow("templates") << "templates";
    }
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(QString, writer);
        const QString path = m_home.filePath(QStringLiteral("kept-%1").arg(writer));
        Document small;
        small.screenshot = test::solidImage(8, 8);
        Document large;
        large.screenshot = test::patternImage(400, 300);
        auto save = [&](const Document& d) {
            if (writer == "project")
                return saveProject(path, d, {});
            if (writer == "export")
                return ExportService().saveToFile(d.screenshot, path, ExportFormat::png, 1).written;
            test::StdoutCapture quiet; // the failure's line
            // Small enough to sit in a write buffer until the end.
            Json json = Json::array();
            for (int i = 0; i < (d.screenshot.width() > 8 ? 11 : 8); ++i)
                json.push_back(toJson(d.settings));
            return GuardedJsonFile(path, QStringLiteral("templates")).write(json);
        };
        QVERIFY(save(small));
        const QByteArray old = test::readFile(path);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tight = saved;
        tight.rlim_cur = rlim_t(old.size() + 1000);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const bool written = save(large);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!written);
        QCOMPARE(test::readFile(path), old);
        QCOMPARE(QDir(m_home.path()).entryList({QStringLiteral("kept-%1*").arg(writer)}, QDir::Files),
                 QStringList{QFileInfo(path).fileName()});
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "nothing.lustrelab"
                                 << "cannot read";
        QTest::newRow("a folder") << "."
                                  << "is a folder";
    }
    void unreadableFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!readProjectFile(m_home.filePath(name), &error));
        QVERIFY2(error.startsWith(reason), qPrintable(error));
    }

    // Every stored file is read up to a limit and no further, whatever it is:
    // an endless device ends in a reason, not in memory running out.
    void filesAreReadUpToALimit_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: /dev/zero
        QTest::addColumn<QString>("error");       // empty: read whole
        QTest::newRow("at the limit") << QByteArray(1000, 'x') << "";
        QTest::newRow("one byte over") << QByteArray(1001, 'x') << "larger than any such file";
        QTest::newRow("an endless device") << QByteArray() << "larger than any such file";
    }
    void filesAreReadUpToALimit()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, error);
        const QString path = contents.isEmpty() ? QStringLiteral("/dev/zero") : m_home.filePath("sized");
        if (!contents.isEmpty())
            QVERIFY(test::writeFile(path, contents));
        QString reason;
        const std::optional<QByteArray> bytes = readFileBytes(path, 1000, &reason);
        QCOMPARE(bytes.has_value(), error.isEmpty());
        QVERIFY2(error.isEmpty() ? reason.isEmpty() : reason.startsWith(error), qPrintable(reason));
        if (bytes)
            QCOMPARE(*bytes, contents);
    }

    void projectWithoutPreviewHasNoThumbnail()
    {
        Document d;
        d.screenshot = test::solidImage(8, 8);
        QString error;
        QVERIFY(readProjectPreview(projectBytes(d, {}).value(), &error).isNull());
        QCOMPARE(error, QStringLiteral("preview.png: missing from the project"));
    }
};

QTEST_MAIN(ProjectFileTest)
#include "tst_project_file.moc"
