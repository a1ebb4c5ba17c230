// The built binary run as scripts run it: exit statuses, one "lustrelab: FILE:
// reason" line per failure, what it writes and never overwrites. Fed inputs
// that are huge, lie about their size, or are no images at all, and
// compositions larger than any canvas can be, each run ends in a written file
// or in exactly one line and exit status 1, never in a crash, a kill for
// memory, or the source written back unstyled as if styled.

#include "cli_fixtures.h"
#include "model/model_json.h"
#include "model/shape_overlay.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::clitest;

namespace {

constexpr int shotWidth = 200;
constexpr int shotHeight = 100;
constexpr QRgb shotColor = 0xff2878c8;

// Encoded as the suffix of `path` says.
bool writeImage(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(shotColor);
    return image.save(path);
}

// An RGB PNG of any size without holding its pixels: a coloured first row,
// then rows that repeat it ("up" filter, all zero), so even 100 megapixels
// deflate to a few hundred kilobytes in a fraction of a second. With
// `keepBytes`, the file stops after that many bytes of pixel data.
bool writeTallPng(const QString& path, quint32 width, quint32 height, qint64 keepBytes = -1)
{
    z_stream stream{};
    if (deflateInit(&stream, 1) != Z_OK)
        return false;
    QByteArray compressed, out(1 << 20, '\0');
    QByteArray first(1 + 3 * qsizetype(width), '\0'), repeat(1 + 3 * qsizetype(width), '\0');
    for (quint32 x = 0; x < width; ++x) {
        first[1 + 3 * x] = char(x * 7);
        first[2 + 3 * x] = char(x / 3);
        first[3 + 3 * x] = char(200);
    }
    repeat[0] = 2; // up: every byte equals the one above
    for (quint32 y = 0; y < height; ++y) {
        const QByteArray& row = y == 0 ? first : repeat;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
        stream.avail_in = uInt(row.size());
        const bool last = y + 1 == height;
        int status = Z_OK;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = uInt(out.size());
            status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(out.constData(), out.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0 || (last && status != Z_STREAM_END));
    }
    deflateEnd(&stream);
    if (keepBytes >= 0)
        compressed.truncate(keepBytes);
    return writeFile(path, pngFile(width, height, 2, compressed, 1, keepBytes < 0));
}

} // namespace

class TestProcess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home; // the child's HOME and XDG folders: no real user's templates
    QTemporaryDir m_work;

    // "@name" stands for that file in the work folder.
    QString expand(QString text) const { return text.replace(u'@', m_work.path() + u'/'); }

    Run run(const QStringList& args) const { return runLustrelab(args, m_work.path(), m_home.path()); }

    // The screenshot's size with `padding` points on every side (the default is 64).
    static QSize padded(int padding) { return {shotWidth + 2 * padding, shotHeight + 2 * padding}; }

  private slots:
    void initTestCase()
    {
        QVERIFY(QDir(m_work.path()).mkpath("sub") && QDir(m_home.path()).mkpath("data/Lustrelab"));
        QVERIFY(writeImage(expand("@shot.png"), shotWidth, shotHeight) &&
                writeImage(expand("@a.png"), 40, 30));
        QVERIFY(writeFile(expand("@text.png"), "just some text\n"));
        QVERIFY(writeImage(expand("@tall.png"), 8, 32760)); // twice this is taller than JPEG allows
        Json settings = toJson(BeautySettings{});
        settings["padding"] = 7;
        QVERIFY(writeFile(expand("@good.json"), settings.dump()));
        settings.erase("exportFormat");
        QVERIFY(writeFile(expand("@no-format.json"), settings.dump()));
        QVERIFY(writeFile(expand("@bad-notes.json"), R"({"textOverlays": [{"fontSize": "big"}]})"));
        QVERIFY(writeFile(expand("@overflow-notes.json"), R"({"textOverlays": [{"fontSize": 1e400}]})"));
        QVERIFY(writeFile(
            expand("@notes.json"),
            R"({"shapeOverlays": [{"startPoint": {"x": 0, "y": 0},)"
            R"("endPoint": {"x": 1, "y": 1}, "fillColor": {"red": 0, "green": 0, "blue": 1, "opacity": 1}}]})"));
        QVERIFY(writeFile(m_home.filePath("data/Lustrelab/templates.json"),
                          R"([{"id": "0B7A6C2D-1E3F-4A5B-8C9D-0E1F2A3B4C5D", "name": "Flat", "createdAt": 0,)"
                          R"("updatedAt": 0, "settings": )" +
                              toJson(BeautySettings{.padding = 10}).dump() + "}]"));
        QVERIFY(writeTallPng(expand("@small.png"), 100, 100));
        QVERIFY(writeTallPng(expand("@wide.png"), 40000, 20));
        QVERIFY(writeTallPng(expand("@column.png"), 100, 31000));
        QVERIFY(writeTallPng(expand("@mp100.png"), 12000, 8400));
        QVERIFY(writeTallPng(expand("@largest.png"), 16384, 16384));
        QVERIFY(writeTallPng(expand("@claims-huge.png"), 16000, 16000, 200));
        QVERIFY(writeFile(expand("@empty.png"), ""));
        QVERIFY(QDir(m_work.path()).mkdir("folder.png"));
        QVERIFY(writeImage(expand("@whole.jpg"), 64, 48)); // the suffix picks JPEG
        QVERIFY(writeImage(expand("@800x600.png"), 800, 600));
        QImage margined(shotWidth, shotHeight, QImage::Format_RGB32); // as a capture brings its desktop along
        margined.fill(Qt::white);
        QPainter(&margined).fillRect(20, 20, shotWidth - 40, shotHeight - 40, QColor(shotColor));
        QVERIFY(margined.save(expand("@margined.png")));
        // Colours as --set takes them, and a linear gradient without the centre it never uses.
        Json hex = toJson(BeautySettings{.shadowEnabled = false, .backgroundType = BackgroundType::solid});
        hex["solidColor"] = "#FF0000";
        hex["borderColor"] = "#00ff0080";
        hex["shadowColor"] = "#000000";
        QVERIFY(writeFile(expand("@hex.json"), hex.dump()));
        hex["backgroundType"] = "customGradient";
        // (No raw strings with a '#' in them: moc misreads them.)
        hex["customGradient"] = {{"kind", "linear"},
                                 {"angle", 0},
                                 {"stops", {{{"color", "#0000ff"}, {"position", 0}},
                                            {{"color", "#0000ff"}, {"position", 1}}}}};
        QVERIFY(writeFile(expand("@hex-gradient.json"), hex.dump()));
        hex["solidColor"] = "#FF00"; // not a colour: named, not read as one
        QVERIFY(writeFile(expand("@bad-hex.json"), hex.dump()));
        QVERIFY(writeFile(expand("@cut.jpg"), readFile(expand("@whole.jpg")).chopped(100)));
    }

    // What is composed, and its encoding: --format, else the suffix of the -o
    // file in any case, else the styling's exportFormat; read from the bytes
    // written.
    void outputFormat_data()
    {
        QTest::addColumn<QString>("output");      // -o
        QTest::addColumn<QStringList>("options"); // after "--scale 1"
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("jpeg");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("centre"); // of a PNG
        const auto row = [&](const char* name, QString output, QStringList options, bool jpeg,
                             QSize size = padded(64), QColor centre = shotColor, QString written = {}) {
            QTest::newRow(name) << output << options << (written.isEmpty() ? output : written) << jpeg << size
                                << centre;
        };
        const QStringList settingsJpeg{"--set", "exportFormat=jpeg"};

        row(".jpg", "@o.jpg", {}, true);
        row(".jpeg", "@o.jpeg", {}, true);
        row(".JPG", "@o.JPG", {}, true);
        row(".png beats exportFormat", "@o.png", settingsJpeg, false);
        row("no suffix: exportFormat", "@o", settingsJpeg, true);
        row("no suffix: default png", "@o", {}, false);
        row("--format beats the suffix", "@o.jpg", {"--format", "png"}, false);
        row("--format jpg into a folder", "@sub/", {"--format", "jpg"}, true, padded(64), {},
            "@sub/shot-styled.jpeg");
        row("scale 2", "@o.png", {"--scale", "2"}, false, 2 * padded(64));
        row("settings file, then --set", "@o.png",
            {"--settings=@good.json", "--set=paddingTop=1", "--set=paddingUniform=true"}, false, padded(7));
        row("template by name", "@o.png", {"--template", "Flat"}, false, padded(10));
        row("annotations, a shape over the whole canvas", "@o.png", {"--annotations", "@notes.json"}, false,
            padded(64), Qt::blue);
    }

    void outputFormat()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, options);
        QFETCH(QString, written);
        QFETCH(bool, jpeg);
        QFETCH(QSize, size);
        const auto [exitCode, out, errLines] =
            run(QStringList{"compose", "@shot.png", "-o", output, "--scale", "1"} + options);
        QCOMPARE(errLines, QStringList());
        QCOMPARE(exitCode, 0);
        QCOMPARE(out.trimmed(), expand(written));
        const QByteArray bytes = readFile(expand(written));
        QVERIFY(bytes.startsWith(jpeg ? QByteArray("\xff\xd8\xff") : QByteArray("\x89PNG")));
        const QImage image = QImage::fromData(bytes);
        QCOMPARE(image.size(), size);
        if (!jpeg) // whose colours are not exact
            QTEST(image.pixelColor(size.width() / 2, size.height() / 2), "centre");
        QVERIFY(QFile::remove(expand(written)));
    }

    // Styling that once refused to compose: Auto-Balance, which styles the
    // screenshot without its single-coloured margins; settings files with
    // colours spelt as --set takes them; custom gradients that leave out
    // what their kind does not draw with.
    void stylingCompose_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("options"); // after "--scale 1"
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("corner"); // of the canvas: the background
        QTest::addColumn<QColor>("centre");
        const QColor shot(shotColor), green(Qt::green);
        const QStringList flat{"--set", "shadowEnabled=false"};
        const QStringList balanced =
            flat + QStringList{"--set", "autoBalance=true", "--set", "backgroundType=solid", "--set",
                               "solidColor=#00ff00"};
        auto gradient = [&flat](const char* json) {
            return flat + QStringList{"--set", "backgroundType=customGradient", "--set",
                                      QStringLiteral("customGradient=") + json};
        };
        const char* redStops =
            "\"stops\":[{\"color\":\"#ff0000\",\"position\":0},{\"color\":\"#ff0000\",\"position\":1}]";

        // Padding 6 % of the longer side, at least 16 points.
        QTest::newRow("auto-balance, plain screenshot")
            << "shot.png" << balanced << QSize(232, 132) << green << shot;
        QTest::newRow("auto-balance, 800 x 600") << "800x600.png" << balanced << QSize(896, 696) << green
                                                 << shot;
        QTest::newRow("auto-balance trims the margins")
            << "margined.png" << balanced << QSize(192, 92) << green << shot;
        QTest::newRow("settings file, hex colours")
            << "shot.png" << QStringList{"--settings", "@hex.json"} << padded(64) << QColor(Qt::red) << shot;
        QTest::newRow("settings file, hex stops, linear gradient without a centre")
            << "shot.png" << QStringList{"--settings", "@hex-gradient.json"} << padded(64) << QColor(Qt::blue)
            << shot;
        QTest::newRow("--set linear gradient without a centre")
            << "shot.png" << gradient(QByteArray(R"({"kind":"linear","angle":0,)") + redStops + "}")
            << padded(64) << QColor(Qt::red) << shot;
        QTest::newRow("--set radial gradient without an angle")
            << "shot.png"
            << gradient(QByteArray(R"({"kind":"radial","centerX":0.5,"centerY":0.5,)") + redStops + "}")
            << padded(64) << QColor(Qt::red) << shot;
    }

    void stylingCompose()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, options);
        QFETCH(QSize, size);
        const Run result =
            run(QStringList{"compose", "@" + input, "-o", "@styled.png", "--scale", "1"} + options);
        QCOMPARE(result.errLines, QStringList());
        QCOMPARE(result.status, 0);
        const QImage image(expand("@styled.png"));
        QCOMPARE(image.size(), size);
        QTEST(image.pixelColor(0, 0), "corner");
        QTEST(image.pixelColor(size.width() / 2, size.height() / 2), "centre");
        QVERIFY(QFile::remove(expand("@styled.png")));
    }

    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        // How the first line on standard error starts after "lustrelab: ", then after '*' a part it contains.
        // Nothing before the '*' is a usage error: status 2 and a usage line; else status 1 and one line.
        QTest::addColumn<QString>("error");
        const QStringList batch{"compose", "@a.png", "@shot.png", "-o", "@styled/nested"}; // writes 2 others
        auto compose = [](QStringList more) {
            return QStringList{"compose", "@shot.png", "-o", "@never.png"} + more;
        };
        const QStringList tallJpeg{"compose", "@tall.png", "-o",        "@never.jpeg", "--scale",
                                   "2",       "--set",     "padding=0", "--set",       "shadowEnabled=false"};

        QTest::newRow("batch, missing input")
            << batch + QStringList{"@missing.png"} << "@missing.png: no such file";
        QTest::newRow("batch, not an image") << batch + QStringList{"@text.png"} << "@text.png: not an image";
        QTest::newRow("settings without a key")
            << compose({"--settings", "@no-format.json"}) << "@no-format.json: *exportFormat";
        QTest::newRow("settings colour not a colour")
            << compose({"--settings", "@bad-hex.json"}) << "@bad-hex.json: settings.solidColor";
        QTest::newRow("conic gradient without its angle")
            << compose({"--set", "customGradient={\"kind\":\"conic\",\"centerX\":0.5,\"centerY\":0.5,"
                                 "\"stops\":[{\"color\":\"#ff0000\",\"position\":0},"
                                 "{\"color\":\"#ff0000\",\"position\":1}]}"})
            << "*customGradient: angle: missing";
        QTest::newRow("bad annotation key")
            << compose({"--annotations", "@bad-notes.json"})
            << "@bad-notes.json: annotations.textOverlays[0].fontSize: expected a number";
        QTest::newRow("annotation number beyond a double")
            << compose({"--annotations", "@overflow-notes.json"})
            << "@overflow-notes.json: invalid JSON: *1e400";
        QTest::newRow("settings number beyond a double")
            << compose({"--settings", "@overflow-notes.json"}) << "@overflow-notes.json: invalid JSON: ";
        QTest::newRow("too tall for JPEG") << tallJpeg << "@tall.png: ";
        QTest::newRow("oversized composition")
            << compose({"--set", "padding=100000"}) << "@shot.png: *would be";
        QTest::newRow("output spelt as the input")
            << QStringList{"compose", "shot.png", "-o", "./sub/../shot.png", "--format", "jpeg"}
            << "shot.png: refusing to overwrite";
        QTest::newRow("unknown --set field") << compose({"--set", "radius=3"}) << "*radius";
        QTest::newRow("unknown presets group") << QStringList{"presets", "fonts"} << "*fonts";
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const QString errStart = error.section(u'*', 0, 0), mentions = error.section(u'*', 1);
        const int exitCode = errStart.isEmpty() ? 2 : 1;
        const int written = arguments.contains("@styled/nested") ? 2 : 0;
        QVERIFY(QDir(expand("@styled")).removeRecursively());
        const QByteArray input = readFile(expand("@shot.png"));
        const auto [status, out, errLines] = run(arguments);
        QCOMPARE(status, exitCode);
        QCOMPARE(errLines.size() == 1, exitCode == 1);
        QVERIFY2(errLines.value(0).startsWith(exitCode == 2 ? "" : "lustrelab: " + expand(errStart)),
                 qPrintable(errLines.value(0)));
        QVERIFY2(errLines.value(0).contains(mentions), qPrintable(errLines.value(0)));
        QCOMPARE(QDir(expand("@styled/nested")).entryList(QDir::Files).size(), written);
        QVERIFY(!QFile::exists(expand("@never.png")) && !QFile::exists(expand("@never.jpeg")));
        QCOMPARE(readFile(expand("@shot.png")), input);
    }

    // Text read by the binary itself: `ocr` prints the words, and a language
    // without data is one line. What `compose --redact` covers: tst_redact_command.
    void readsText()
    {
        QImage page(600, 80, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(22);
            painter.setFont(font);
            painter.setPen(QColor(70, 70, 70));
            painter.drawText(20, 50, QStringLiteral("mail ana.lopez@example.com today"));
        }
        QVERIFY(page.save(expand("@page.png")));
        const Run read = run({"ocr", "@page.png"});
        QCOMPARE(read.status, 0);
        QCOMPARE(read.out.trimmed(), QStringLiteral("mail ana.lopez@example.com today"));

        const Run missing = run({"ocr", "--language", "xyz", "@page.png", "@page.png"});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.errLines.size(), 1);
        QVERIFY2(missing.errLines.first().contains("'xyz'"), qPrintable(missing.errLines.first()));
    }

    // Each help names what the command takes: every sub-command, and every
    // kind and key an annotations file accepts.
    void helpNamesWhatIsAccepted_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("named");
        for (const char* command : {"compose", "capture", "stitch", "ocr", "thumbnail", "presets"})
            QTest::addRow("--help: %s", command)
                << QStringList{"--help"} << QStringLiteral("lustrelab %1 ").arg(command);
        for (ShapeType type : allCases<ShapeType>())
            QTest::addRow("compose --help: %s", qPrintable(rawValue(type)))
                << QStringList{"compose", "--help"} << QStringLiteral("\"%1\"").arg(rawValue(type));
        for (const char* key : {"\"stepMarkers\"", "\"penStrokes\"", "\"crop\"", "cellSize", "spotlightShape",
                                "tailPoint", "highlighter"})
            QTest::addRow("compose --help: %s", key) << QStringList{"compose", "--help"} << QString(key);
    }
    void helpNamesWhatIsAccepted()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, named);
        const Run help = run(arguments);
        QCOMPARE(help.status, 0);
        QVERIFY2(help.out.contains(named), qPrintable(help.out));
    }

    void presetsListEachEntryOnce()
    {
        const auto [exitCode, out, errLines] = run({"presets"});
        QCOMPARE(exitCode, 0);
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        QHash<QString, QSet<QString>> ids; // group -> ids, each selecting one entry
        for (const QString& line : lines) {
            const QStringList fields = line.split(u'\t'); // group, id, name
            QVERIFY2(fields.size() == 3 && !fields.contains(""), qPrintable(line));
            ids[fields[0]].insert(fields[1]);
        }
        QCOMPARE(lines.size(), 90 + 15 + 18);
        QCOMPARE(ids["gradients"].size(), 90);
        QCOMPARE(ids["canvases"].size(), 15);
        QCOMPARE(ids["frames"].size(), 18);
        QCOMPARE(run({"presets", "canvases"}).out.count(u'\n'), 15); // one group alone
    }

    void hostileInputs_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after "compose INPUT -o @out.png"
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("limited");    // under a 2 GiB address-space limit
        QTest::addColumn<QString>("message"); // in the one line on standard error, status 1
        QTest::addColumn<QSize>("written");   // else the size of @out.png, status 0
        const QStringList flat{"--set", "padding=0", "--set", "shadowEnabled=false", "--scale", "1"};
        auto framed = [&flat](const char* id) {
            return flat + QStringList{"--set", QString("deviceFrameId=") + id};
        };

        const auto row = [](const char* name, const QStringList& arguments, const char* input, bool limited,
                            const char* message, QSize written = {}) {
            QTest::newRow(name) << arguments << input << limited << message << written;
        };
        row("100 megapixels at scale 1", flat, "mp100.png", true, "", {12000, 8400});
        row("100 megapixels at scale 2, refused before decoding", {"--scale", "2"}, "mp100.png", true,
            "would be 24256 x 17056 pixels at scale 2");
        row("largest readable image, more than the memory allows", flat, "largest.png", true,
            "not enough memory");
        row("leading padding wider than any canvas",
            {"--set", "paddingUniform=false", "--set", "paddingLeading=40000", "--set", "exportScale=1"},
            "small.png", false, "40164 x 228 pixels, more than 32768 pixels a side");
        row("input wider than any canvas", {"--scale", "1"}, "wide.png", false, "40128 x 148 pixels");
        row("laptop base under a tall input", framed("macbookair13"), "column.png", false,
            "x 33492 pixels, more than 32768 pixels a side");
        row("tall input without the base still fits", framed("imac24"), "column.png", false, "",
            {140, 31040});
        row("browser title bar over the limit", framed("browserchrome") + QStringList{"--set", "padding=870"},
            "column.png", false, "1842 x 32777 pixels");
        row("header claims 256 megapixels, data is short", flat, "claims-huge.png", true,
            "damaged PNG: the file is cut short");
        row("truncated JPEG", flat, "cut.jpg", false, "cut short");
        row("whole JPEG", flat, "whole.jpg", false, "", {64, 48});
        row("zero-byte file", flat, "empty.png", false, "empty file");
        row("folder", flat, "folder.png", false, "is a folder");
    }

    void hostileInputs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(bool, limited);
        QFETCH(QString, message);
        QFETCH(QSize, written);
        if (limited && QStandardPaths::findExecutable(QStringLiteral("prlimit")).isEmpty())
            QSKIP("prlimit (util-linux) is not installed");
        // Sanitizer builds reserve terabytes of shadow memory and cannot start at all.
        if (limited && runLustrelab({"--help"}, m_work.path(), m_home.path(), true).status != 0)
            QSKIP("this build of lustrelab cannot start under an address-space limit");
        QFile::remove(expand("@out.png"));

        const QStringList command = QStringList{"compose", "@" + input, "-o", "@out.png"} + arguments;
        const Run result = runLustrelab(command, m_work.path(), m_home.path(), limited);
        QCOMPARE(result.status, written.isValid() ? 0 : 1);
        if (written.isValid()) {
            QCOMPARE(result.errLines, QStringList());
            QCOMPARE(QImageReader(expand("@out.png")).size(), written);
        } else {
            QCOMPARE(result.errLines.size(), 1);
            QVERIFY2(
                result.errLines[0].startsWith(QStringLiteral("lustrelab: %1: ").arg(expand("@" + input))),
                qPrintable(result.errLines[0]));
            QVERIFY2(result.errLines[0].contains(message), qPrintable(result.errLines[0]));
            QVERIFY(!QFile::exists(expand("@out.png")));
        }
    }
};

QTEST_MAIN(TestProcess)
#include "tst_process.moc"
