// `lustrelab compose` run as a separate process, the way users and scripts
// call it: exit statuses, the one-line messages on standard error, the files
// it writes and never overwrites, and that styling from every source arrives
// in the picture.

#include "cli_process.h"
#include "model/model_json.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 100;

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A PNG whose header claims a size far beyond what should ever be decoded;
// its one data chunk is an empty zlib stream.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    auto crc32 = [](const QByteArray& data) {
        quint32 crc = 0xffffffffu;
        for (const char byte : data) {
            crc ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    auto be32 = [](quint32 v) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char(v >> (24 - 8 * i));
        return bytes;
    };
    auto chunk = [&](const QByteArray& type, const QByteArray& data) {
        return be32(quint32(data.size())) + type + data + be32(crc32(type + data));
    };
    const QByteArray ihdr = be32(width) + be32(height) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) +
           chunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + chunk("IEND", {});
}

} // namespace

class TestComposeProcess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QTemporaryDir m_work;
    std::unique_ptr<CliProcess> m_cli;

    QString path(const QString& name) const { return m_work.filePath(name); }

  private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(lustrelabBinary()), "LUSTRELAB_BINARY must name the built binary");
        m_cli = std::make_unique<CliProcess>(m_home.path());
        QVERIFY(writeSolidPng(path("shot.png"), kWidth, kHeight));
    }

    void outputSize_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("expected");

        // Default padding 64 on each side; the written image is scaled.
        QTest::newRow("scale 1") << QStringList{"--scale", "1"} << QSize(kWidth + 128, kHeight + 128);
        QTest::newRow("scale 2") << QStringList{"--scale", "2"}
                                 << QSize(2 * (kWidth + 128), 2 * (kHeight + 128));
        QTest::newRow("default export scale is 2")
            << QStringList{} << QSize(2 * (kWidth + 128), 2 * (kHeight + 128));
        QTest::newRow("--scale wins over --set")
            << QStringList{"--set", "exportScale=3", "--scale", "1"} << QSize(kWidth + 128, kHeight + 128);
        QTest::newRow("uneven padding") << QStringList{"--scale", "1",
                                                       "--set",   "paddingUniform=false",
                                                       "--set",   "paddingLeading=10",
                                                       "--set",   "paddingTrailing=0",
                                                       "--set",   "paddingTop=5",
                                                       "--set",   "paddingBottom=1"}
                                        << QSize(kWidth + 10, kHeight + 6);
    }

    void outputSize()
    {
        QFETCH(QStringList, options);
        QFETCH(QSize, expected);
        const QString out = path("sized.png");
        QFile::remove(out);
        const CliRun run = m_cli->run(QStringList{"compose", path("shot.png"), "-o", out} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QString());
        QCOMPARE(run.outLines(), QStringList{out});
        QCOMPARE(pngSize(out), expected);
    }

    void defaultOutputBesideInput_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");

        QTest::newRow("png") << QStringList{} << "shot-styled.png" << QByteArray("\x89PNG");
        QTest::newRow("jpeg") << QStringList{"--format", "jpeg"} << "shot-styled.jpeg"
                              << QByteArray("\xff\xd8\xff");
        QTest::newRow("jpeg from settings")
            << QStringList{"--set", "exportFormat=jpeg"} << "shot-styled.jpeg" << QByteArray("\xff\xd8\xff");
    }

    void defaultOutputBesideInput()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QFile::remove(path(name));
        const CliRun run =
            m_cli->run(QStringList{"compose", "shot.png", "--scale", "1"} + options, m_work.path());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.outLines(), QStringList{name});
        QVERIFY(fileBytes(path(name)).startsWith(magic));
    }

    void batchKeepsGoingPastABadInput_data()
    {
        QTest::addColumn<QString>("badName");
        QTest::addColumn<QByteArray>("badContent"); // empty: the file does not exist
        QTest::addColumn<QString>("reason");

        QTest::newRow("missing") << "missing.png" << QByteArray() << "no such file";
        QTest::newRow("not an image") << "notes.png" << QByteArray("just some text\n") << "not an image";
        QTest::newRow("truncated png") << "cut.png" << QByteArray() << "damaged PNG: the file is cut short";
        QTest::newRow("huge dimensions") << "huge.png" << pngHeaderOnly(40000, 40000) << "image too large";
    }

    void batchKeepsGoingPastABadInput()
    {
        QFETCH(QString, badName);
        QFETCH(QByteArray, badContent);
        QFETCH(QString, reason);

        QTemporaryDir dir;
        QVERIFY(writeSolidPng(dir.filePath("a.png"), 40, 30));
        QVERIFY(writeSolidPng(dir.filePath("c.png"), 30, 40));
        const QString bad = dir.filePath(badName);
        if (badName == "cut.png")
            QVERIFY(writeText(bad, fileBytes(dir.filePath("a.png")).left(60)));
        else if (!badContent.isEmpty())
            QVERIFY(writeText(bad, badContent));

        const QString out = dir.filePath("styled/nested");
        const CliRun run =
            m_cli->run({"compose", dir.filePath("a.png"), bad, dir.filePath("c.png"), "-o", out});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines().size(), 1);
        QVERIFY2(run.err.startsWith("lustrelab: " + bad + ": " + reason), qPrintable(run.err));
        QCOMPARE(pngSize(out + "/a-styled.png"), QSize(2 * (40 + 128), 2 * (30 + 128)));
        QCOMPARE(pngSize(out + "/c-styled.png"), QSize(2 * (30 + 128), 2 * (40 + 128)));
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);
    }

    void inputIsNeverOverwritten()
    {
        // Spelt differently, and in another format: still the input's file.
        QDir(m_work.path()).mkpath("sub");
        const QByteArray before = fileBytes(path("shot.png"));
        const CliRun run =
            m_cli->run({"compose", "shot.png", "-o", "./sub/../shot.png", "--format", "jpeg"}, m_work.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines().size(), 1);
        QVERIFY2(run.err.startsWith("lustrelab: shot.png: refusing to overwrite"), qPrintable(run.err));
        QCOMPARE(fileBytes(path("shot.png")), before);
    }

    void settingsFileErrors_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no such file
        QTest::addColumn<QString>("mentions");

        Json missing = toJson(BeautySettings{});
        missing.erase("exportFormat");
        Json badEnum = toJson(BeautySettings{});
        badEnum["backgroundType"] = "gradients";

        QTest::newRow("missing key") << QByteArray::fromStdString(missing.dump()) << "exportFormat";
        QTest::newRow("bad enum") << QByteArray::fromStdString(badEnum.dump()) << "backgroundType";
        QTest::newRow("not JSON") << QByteArray("{\"cornerRadius\": 12,") << "invalid JSON";
        QTest::newRow("no such file") << QByteArray() << "cannot read";
    }

    void settingsFileErrors()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, mentions);
        const QString settings = path("settings.json");
        QFile::remove(settings);
        if (!content.isEmpty())
            QVERIFY(writeText(settings, content));
        const QString out = path("never.png");
        const CliRun run = m_cli->run({"compose", path("shot.png"), "-o", out, "--settings", settings});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines().size(), 1);
        QVERIFY2(run.err.startsWith("lustrelab: " + settings + ": "), qPrintable(run.err));
        QVERIFY2(run.err.contains(mentions), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));
    }

    void settingsFileIsApplied()
    {
        BeautySettings settings;
        settings.padding = 7;
        settings.exportScale = 1;
        const QString file = path("good.json");
        QVERIFY(writeText(file, QByteArray::fromStdString(toJson(settings).dump())));
        const QString out = path("from-settings.png");
        // The file's record, then --set on top of it.
        const CliRun run = m_cli->run({"compose", path("shot.png"), "-o", out, "--settings", file, "--set",
                                       "paddingTop=1", "--set", "paddingUniform=true"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pngSize(out), QSize(kWidth + 14, kHeight + 14));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");

        QTest::newRow("unknown field") << QStringList{"--set", "radius=3"} << "radius";
        QTest::newRow("unknown option") << QStringList{"--shadow"} << "--shadow";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        QFile::remove(path("shot-styled.png"));
        const CliRun run = m_cli->run(QStringList{"compose", "shot.png"} + arguments, m_work.path());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errLines().first().contains(mentions), qPrintable(run.err));
        QVERIFY(run.errLines().last().startsWith("usage: lustrelab compose"));
        QVERIFY(!QFile::exists(path("shot-styled.png")));
    }

    void colourArgumentKeepsAlphaLast()
    {
        const QString out = path("translucent.png");
        const CliRun run = m_cli->run({"compose", path("shot.png"), "-o", out, "--scale", "1", "--set",
                                       "backgroundType=solid", "--set", "solidColor=#ff000080", "--set",
                                       "shadowEnabled=false"});
        QCOMPARE(run.exitCode, 0);
        const QImage image = QImage(out).convertToFormat(QImage::Format_ARGB32);
        const QColor corner = image.pixelColor(3, 3); // in the padding: background only
        QCOMPARE(corner.red(), 255);
        QCOMPARE(corner.green(), 0);
        QVERIFY2(qAbs(corner.alpha() - 128) <= 1, qPrintable(QString::number(corner.alpha())));
    }

    void templateByName()
    {
        BeautySettings flat;
        flat.padding = 10;
        flat.exportScale = 1;
        auto entry = [](const char* id, const char* name, const BeautySettings& settings) {
            Json json;
            json["id"] = id;
            json["name"] = name;
            json["settings"] = toJson(settings);
            json["createdAt"] = 786000000.5;
            json["updatedAt"] = 786000000.5;
            return json;
        };
        Json file = Json::array();
        file.push_back(entry("6F1C1E59-7A3B-4F7E-9A51-0D2B5C1E9F00", "Wide", BeautySettings{}));
        file.push_back(entry("0B7A6C2D-1E3F-4A5B-8C9D-0E1F2A3B4C5D", "Flat", flat));
        const QString folder = m_cli->dataHome() + "/Lustrelab";
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeText(folder + "/templates.json", QByteArray::fromStdString(file.dump())));

        const QString out = path("templated.png");
        CliRun run = m_cli->run({"compose", path("shot.png"), "-o", out, "--template", "Flat"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(pngSize(out), QSize(kWidth + 20, kHeight + 20));

        run = m_cli->run({"compose", path("shot.png"), "-o", out, "--template", "flat"});
        QCOMPARE(run.exitCode, 1); // names match exactly
        QCOMPARE(run.errLines().size(), 1);
        QVERIFY2(run.err.contains("flat"), qPrintable(run.err));
    }

    void annotationsReachThePicture()
    {
        const QString notes = path("notes.json");
        QVERIFY(writeText(
            notes,
            "{\"shapeOverlays\": [{\"startPoint\": {\"x\": 0, \"y\": 0}, \"endPoint\": {\"x\": 1, \"y\": 1},"
            " \"strokeColor\": \"#0000ff\", \"fillColor\": \"#0000ff\"}]}"));
        const QString out = path("annotated.png");
        const CliRun run =
            m_cli->run({"compose", path("shot.png"), "-o", out, "--scale", "1", "--annotations", notes});
        QCOMPARE(run.exitCode, 0);
        const QImage image(out);
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(10, 10), QColor(0, 0, 255));
    }

    void badAnnotationsNameFileAndKey()
    {
        const QString notes = path("bad-notes.json");
        QVERIFY(writeText(notes, R"({"textOverlays": [{"fontSize": "big"}]})"));
        const CliRun run =
            m_cli->run({"compose", path("shot.png"), "-o", path("x.png"), "--annotations", notes});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errLines(),
                 QStringList{"lustrelab: " + notes + ": textOverlays[0].fontSize: expected a number"});
    }

    void oversizedCompositionIsRefused()
    {
        const CliRun run =
            m_cli->run({"compose", path("shot.png"), "-o", path("big.png"), "--set", "padding=100000"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("would be"), qPrintable(run.err));
        QVERIFY(!QFile::exists(path("big.png")));
    }

    void helpDocumentsEveryOptionAndField()
    {
        const CliRun run = m_cli->run({"compose", "--help"});
        QCOMPARE(run.exitCode, 0);
        for (const char* option : {"--output", "--settings", "--template", "--set", "--annotations",
                                   "--scale", "--format", "#RRGGBBAA"})
            QVERIFY2(run.out.contains(QLatin1StringView(option)), option);
        const Json defaults = toJson(BeautySettings{});
        for (const auto& [key, value] : defaults.items())
            QVERIFY2(run.out.contains(QString::fromStdString(key)), key.c_str());
    }
};

QTEST_GUILESS_MAIN(TestComposeProcess)
#include "tst_compose_process.moc"
