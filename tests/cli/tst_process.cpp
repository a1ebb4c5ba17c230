// The built binary run as scripts run it: exit statuses, one "lustrelab: FILE:
// reason" line per failure, what it writes and never overwrites.

#include "model/model_json.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;

namespace {

constexpr int shotWidth = 200;
constexpr int shotHeight = 100;
constexpr QRgb shotColor = 0xff2878c8;

using Run = std::tuple<int, QString, QStringList>; // exit status, standard output, lines on standard error

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

    Run run(QStringList arguments) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        for (const char* kind : {"DATA", "CONFIG", "CACHE"})
            env.insert(QStringLiteral("XDG_%1_HOME").arg(kind), m_home.filePath(QString(kind).toLower()));
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(name); // the binary must choose the headless platform itself
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_work.path());
        process.start(qEnvironmentVariable("LUSTRELAB_BINARY"), arguments.replaceInStrings("@", expand("@")));
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return {-1, {}, {}};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts)};
    }

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
        QTest::addColumn<QString>("errStart"); // of the first line on standard error
        QTest::addColumn<int>("exitCode");     // 1: that line is the only one; 2: a usage line follows
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<int>("written"); // into @styled: the other inputs of a batch
        const QStringList compose{"compose", "@shot.png", "-o", "@never.png"};
        const QStringList batch{"compose", "@a.png", "@shot.png", "-o", "@styled/nested"};

        QTest::newRow("batch, missing input")
            << batch + QStringList{"@missing.png"} << "lustrelab: @missing.png: no such file" << 1 << "" << 2;
        QTest::newRow("batch, not an image")
            << batch + QStringList{"@text.png"} << "lustrelab: @text.png: not an image" << 1 << "" << 2;
        QTest::newRow("batch, truncated png")
            << batch + QStringList{"@cut.png"} << "lustrelab: @cut.png: damaged PNG: the file is cut short"
            << 1 << "" << 2;
        QTest::newRow("settings without a key") << compose + QStringList{"--settings", "@no-format.json"}
                                                << "lustrelab: @no-format.json: " << 1 << "exportFormat" << 0;
        QTest::newRow("settings with a bad enum")
            << compose + QStringList{"--settings", "@bad-enum.json"} << "lustrelab: @bad-enum.json: " << 1
            << "backgroundType" << 0;
        QTest::newRow("bad annotation key")
            << compose + QStringList{"--annotations", "@bad-notes.json"}
            << "lustrelab: @bad-notes.json: textOverlays[0].fontSize: expected a number" << 1 << "" << 0;
        QTest::newRow("annotation number beyond a double")
            << compose + QStringList{"--annotations", "@overflow-notes.json"}
            << "lustrelab: @overflow-notes.json: invalid JSON: " << 1 << "1e400" << 0;
        QTest::newRow("settings number beyond a double")
            << compose + QStringList{"--settings", "@overflow-notes.json"}
            << "lustrelab: @overflow-notes.json: invalid JSON: " << 1 << "" << 0;
        QTest::newRow("too tall for JPEG")
            << QStringList{"compose", "@tall.png", "-o",        "@never.jpeg", "--scale",
                           "2",       "--set",     "padding=0", "--set",       "shadowEnabled=false"}
            << "lustrelab: @tall.png: " << 1 << "" << 0;
        QTest::newRow("oversized composition") << compose + QStringList{"--set", "padding=100000"}
                                               << "lustrelab: @shot.png: " << 1 << "would be" << 0;
        QTest::newRow("output spelt as the input")
            << QStringList{"compose", "shot.png", "-o", "./sub/../shot.png", "--format", "jpeg"}
            << "lustrelab: shot.png: refusing to overwrite" << 1 << "" << 0;
        QTest::newRow("unknown --set field")
            << compose + QStringList{"--set", "radius=3"} << "" << 2 << "radius" << 0;
        QTest::newRow("unknown presets group") << QStringList{"presets", "fonts"} << "" << 2 << "fonts" << 0;
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, errStart);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);
        QFETCH(int, written);
        QVERIFY(QDir(expand("@styled")).removeRecursively());
        const QByteArray input = readFile(expand("@shot.png"));
        const auto [status, out, errLines] = run(arguments);
        QCOMPARE(status, exitCode);
        QCOMPARE(errLines.size() == 1, exitCode == 1);
        QVERIFY2(errLines.value(0).startsWith(expand(errStart)), qPrintable(errLines.value(0)));
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
        QCOMPARE(std::get<1>(run({"presets", "canvases"})).count(u'\n'), 15); // one group alone
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
