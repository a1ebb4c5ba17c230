// The built binary run as scripts run it: exit statuses, one "lustrelab: FILE:
// reason" line per failure, what it writes and never overwrites.

#include "cli_fixtures.h"
#include "model/model_json.h"

#include <QDir>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::clitest;

namespace {

constexpr int shotWidth = 200;
constexpr int shotHeight = 100;
constexpr QRgb shotColor = 0xff2878c8;

bool writePng(const QString& path, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(shotColor);
    return image.save(path);
}

bool writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

  private slots:
    void initTestCase()
    {
        QVERIFY(QDir(m_work.path()).mkpath("sub") && QDir(m_home.path()).mkpath("data/Lustrelab"));
        QVERIFY(writePng(expand("@shot.png"), shotWidth, shotHeight) && writePng(expand("@a.png"), 40, 30));
        QVERIFY(writeFile(expand("@text.png"), "just some text\n"));
        QVERIFY(writePng(expand("@tall.png"), 8, 32760)); // twice this is taller than JPEG allows
        QVERIFY(QFile::copy(expand("@shot.png"), expand("@cut.png")) &&
                QFile::resize(expand("@cut.png"), 60));
        Json settings = toJson(BeautySettings{});
        settings["padding"] = 7;
        QVERIFY(writeFile(expand("@good.json"), settings.dump()));
        settings["backgroundType"] = "gradients";
        QVERIFY(writeFile(expand("@bad-enum.json"), settings.dump()));
        settings["backgroundType"] = "gradient";
        settings.erase("exportFormat");
        QVERIFY(writeFile(expand("@no-format.json"), settings.dump()));
        QVERIFY(writeFile(expand("@bad-notes.json"), R"({"textOverlays": [{"fontSize": "big"}]})"));
        QVERIFY(writeFile(expand("@overflow-notes.json"), R"({"textOverlays": [{"fontSize": 1e400}]})"));
        QVERIFY(writeFile(
            expand("@notes.json"),
            R"({"shapeOverlays": [{"startPoint": {"x": 0, "y": 0},)"
            R"("endPoint": {"x": 1, "y": 1}, "fillColor": {"red": 0, "green": 0, "blue": 1, "opacity": 1}}]})"));
        BeautySettings flat;
        flat.padding = 10;
        QVERIFY(writeFile(m_home.filePath("data/Lustrelab/templates.json"),
                          R"([{"id": "0B7A6C2D-1E3F-4A5B-8C9D-0E1F2A3B4C5D", "name": "Flat", "createdAt": 0,)"
                          R"("updatedAt": 0, "settings": )" +
                              toJson(flat).dump() + "}]"));
    }

    void composed_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("centre");
        const QSize padded(shotWidth + 128, shotHeight + 128); // default padding 64
        const QColor shot = shotColor;

        QTest::newRow("scale 1") << QStringList{"--scale", "1"} << padded << shot;
        QTest::newRow("scale 2") << QStringList{"--scale", "2"} << 2 * padded << shot;
        QTest::newRow("settings file, then --set")
            << QStringList{"--settings=@good.json", "--set=paddingTop=1", "--set=paddingUniform=true",
                           "--scale=1"}
            << QSize(shotWidth + 14, shotHeight + 14) << shot;
        QTest::newRow("template by name") << QStringList{"--template", "Flat", "--scale", "1"}
                                          << QSize(shotWidth + 20, shotHeight + 20) << shot;
        QTest::newRow("annotations, a shape over the whole canvas")
            << QStringList{"--annotations", "@notes.json", "--scale", "1"} << padded << QColor(Qt::blue);
    }

    void composed()
    {
        QFETCH(QStringList, options);
        QFETCH(QSize, size);
        QFETCH(QColor, centre);
        const auto [exitCode, out, errLines] =
            run(QStringList{"compose", "@shot.png", "-o", "@out.png"} + options);
        QCOMPARE(errLines, QStringList());
        QCOMPARE(exitCode, 0);
        QCOMPARE(out.trimmed(), expand("@out.png"));
        const QImage image(expand("@out.png"));
        QCOMPARE(image.size(), size);
        QCOMPARE(image.pixelColor(size.width() / 2, size.height() / 2), centre);
        QVERIFY(QFile::remove(expand("@out.png")));
    }

    // The encoding is --format, else the suffix of the -o file in any case,
    // else the styling's exportFormat; read from the bytes written.
    void outputFormat_data()
    {
        QTest::addColumn<QString>("output"); // -o
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("jpeg");
        const QStringList none, settingsJpeg{"--set", "exportFormat=jpeg"};

        QTest::newRow(".jpg") << "@o.jpg" << none << "@o.jpg" << true;
        QTest::newRow(".jpeg") << "@o.jpeg" << none << "@o.jpeg" << true;
        QTest::newRow(".JPG") << "@o.JPG" << none << "@o.JPG" << true;
        QTest::newRow(".png beats exportFormat") << "@o.png" << settingsJpeg << "@o.png" << false;
        QTest::newRow("no suffix: exportFormat") << "@o" << settingsJpeg << "@o" << true;
        QTest::newRow("no suffix: default png") << "@o" << none << "@o" << false;
        QTest::newRow("--format beats the suffix")
            << "@o.jpg" << QStringList{"--format", "png"} << "@o.jpg" << false;
        QTest::newRow("--format jpg into a folder")
            << "@sub/" << QStringList{"--format", "jpg"} << "@sub/shot-styled.jpeg" << true;
    }

    void outputFormat()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, options);
        QFETCH(QString, written);
        QFETCH(bool, jpeg);
        const auto [exitCode, out, errLines] =
            run(QStringList{"compose", "@shot.png", "-o", output, "--scale", "1"} + options);
        QCOMPARE(errLines, QStringList());
        QCOMPARE(exitCode, 0);
        QCOMPARE(out.trimmed(), expand(written));
        const QByteArray bytes = readFile(expand(written));
        QVERIFY(bytes.startsWith(jpeg ? QByteArray("\xff\xd8\xff") : QByteArray("\x89PNG")));
        QVERIFY(QFile::remove(expand(written)));
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
        QTest::newRow("batch, truncated png")
            << batch + QStringList{"@cut.png"} << "@cut.png: damaged PNG: the file is cut short";
        QTest::newRow("settings without a key")
            << compose({"--settings", "@no-format.json"}) << "@no-format.json: *exportFormat";
        QTest::newRow("settings with a bad enum")
            << compose({"--settings", "@bad-enum.json"}) << "@bad-enum.json: *backgroundType";
        QTest::newRow("bad annotation key") << compose({"--annotations", "@bad-notes.json"})
                                            << "@bad-notes.json: textOverlays[0].fontSize: expected a number";
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
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
