// The built binary fed inputs that are huge, lie about their size, or are no
// images at all, and compositions larger than any canvas can be: each ends in
// a written file or in exactly one line and exit status 1, never in a crash,
// a kill for memory, or the source written back unstyled as if styled.

#include "cli_fixtures.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab::clitest;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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

    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8, header[9] = 2; // 8 bits per sample, RGB
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", compressed);
    if (keepBytes < 0)
        appendChunk(png, "IEND", {});
    return writeBytes(path, png);
}

} // namespace

class TestHostileInputs : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;

    QString path(const QString& name) const { return m_work.filePath(name); }

  private slots:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        QVERIFY(writeTallPng(path("small.png"), 100, 100));
        QVERIFY(writeTallPng(path("wide.png"), 40000, 20));
        QVERIFY(writeTallPng(path("tall.png"), 100, 31000));
        QVERIFY(writeTallPng(path("mp100.png"), 12000, 8400));
        QVERIFY(writeTallPng(path("largest.png"), 16384, 16384));
        QVERIFY(writeTallPng(path("claims-huge.png"), 16000, 16000, 200));
        QVERIFY(writeBytes(path("empty.png"), {}));
        QVERIFY(QDir(m_work.path()).mkdir("folder.png"));
        QImage photo(64, 48, QImage::Format_RGB32);
        photo.fill(qRgb(90, 160, 30));
        QVERIFY(photo.save(path("whole.jpg"), "JPEG"));
        QFile jpeg(path("whole.jpg"));
        QVERIFY(jpeg.open(QIODevice::ReadOnly));
        QVERIFY(writeBytes(path("cut.jpg"), jpeg.readAll().chopped(100)));
    }

    void runs_data()
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

        QTest::newRow("100 megapixels at scale 1") << flat << "mp100.png" << true << "" << QSize(12000, 8400);
        QTest::newRow("100 megapixels at scale 2, refused before decoding")
            << QStringList{"--scale", "2"} << "mp100.png" << true
            << "would be 24256 x 17056 pixels at scale 2" << QSize();
        QTest::newRow("largest readable image, more than the memory allows")
            << flat << "largest.png" << true << "not enough memory" << QSize();
        QTest::newRow("leading padding wider than any canvas")
            << QStringList{"--set", "paddingUniform=false", "--set", "paddingLeading=40000",
                           "--set", "exportScale=1"}
            << "small.png" << false << "40164 x 228 pixels, more than 32768 pixels a side" << QSize();
        QTest::newRow("input wider than any canvas")
            << QStringList{"--scale", "1"} << "wide.png" << false << "40128 x 148 pixels" << QSize();
        QTest::newRow("laptop base under a tall input")
            << framed("macbookair13") << "tall.png" << false
            << "x 33492 pixels, more than 32768 pixels a side" << QSize();
        QTest::newRow("tall input without the base still fits")
            << framed("imac24") << "tall.png" << false << "" << QSize(140, 31040);
        QTest::newRow("browser title bar over the limit")
            << framed("browserchrome") + QStringList{"--set", "padding=870"} << "tall.png" << false
            << "1842 x 32777 pixels" << QSize();
        QTest::newRow("header claims 256 megapixels, data is short")
            << flat << "claims-huge.png" << true << "damaged PNG: the file is cut short" << QSize();
        QTest::newRow("truncated JPEG") << flat << "cut.jpg" << false << "cut short" << QSize();
        QTest::newRow("whole JPEG") << flat << "whole.jpg" << false << "" << QSize(64, 48);
        QTest::newRow("zero-byte file") << flat << "empty.png" << false << "empty file" << QSize();
        QTest::newRow("folder") << flat << "folder.png" << false << "is a folder" << QSize();
    }

    void runs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, input);
        QFETCH(bool, limited);
        QFETCH(QString, message);
        QFETCH(QSize, written);
        if (limited && QStandardPaths::findExecutable(QStringLiteral("prlimit")).isEmpty())
            QSKIP("prlimit (util-linux) is not installed");
        // Sanitizer builds reserve terabytes of shadow memory and cannot start at all.
        if (limited && runLustrelab({"--help"}, m_work.path(), m_work.path(), true).status != 0)
            QSKIP("this build of lustrelab cannot start under an address-space limit");
        QFile::remove(path("out.png"));

        const QStringList command = QStringList{"compose", "@" + input, "-o", "@out.png"} + arguments;
        const Run result = runLustrelab(command, m_work.path(), m_work.path(), limited);
        QCOMPARE(result.status, written.isValid() ? 0 : 1);
        if (written.isValid()) {
            QCOMPARE(result.errLines, QStringList());
            QCOMPARE(QImageReader(path("out.png")).size(), written);
        } else {
            QCOMPARE(result.errLines.size(), 1);
            QVERIFY2(result.errLines[0].startsWith(QStringLiteral("lustrelab: %1: ").arg(path(input))),
                     qPrintable(result.errLines[0]));
            QVERIFY2(result.errLines[0].contains(message), qPrintable(result.errLines[0]));
            QVERIFY(!QFile::exists(path("out.png")));
        }
    }
};

QTEST_GUILESS_MAIN(TestHostileInputs)
#include "tst_hostile_inputs.moc"
