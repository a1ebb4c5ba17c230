// The command line's PNG decoding gives Qt's pixels for every kind of PNG a
// screenshot tool writes, and a reason instead for damaged or oversized files.
// A JPEG is taken as whole only when its segments and scans run to the end
// marker: what a cut-short download or copy leaves is refused, what any
// encoder writes (progressive scans, trailing bytes) is not.

#include "io/jpeg_structure.h"
#include "io/png_file_decoder.h"
#include "cli_fixtures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::clitest;

namespace {

QByteArray gradientPng(QImage::Format format)
{
    QImage image(23, 17, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 11, y * 15, (x * y) % 256, 255 - x * 7));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(format, Qt::ThresholdDither).save(&buffer, "PNG");
    return bytes;
}

int paethPredictor(int a, int b, int c)
{
    const int p = a + b - c, pa = qAbs(p - a), pb = qAbs(p - b), pc = qAbs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Samples of an 8-bit RGB or RGBA image: noise, a flat band and steps, so
// that every predictor meets ties, wrap-around and smooth runs alike.
QByteArray testSamples(int width, int height, int channels)
{
    QRandomGenerator random(7);
    QByteArray samples(qsizetype(width) * height * channels, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const qsizetype i = (qsizetype(y) * width + x) * channels + c;
                if (y % 5 == 1)
                    samples[i] = char(90 + c); // flat
                else if (y % 5 == 2)
                    samples[i] = char(x * 37 + c * 80); // steps that wrap
                else
                    samples[i] = char(random.bounded(256));
                if (c == 3 && y % 5 == 3) // alpha: 0, full and in between
                    samples[i] = char(x % 3 == 0 ? 0 : x % 3 == 1 ? 255 : 128);
            }
    return samples;
}

// A PNG of those samples, every row with filter type `filterType` (5: row y
// takes type y % 5), its data split into `chunks` IDAT chunks; `filterByte`
// other than -1 replaces row 1's filter type byte after filtering.
constexpr int everyFilter = 5;
QByteArray filteredPng(int width, int height, int channels, int filterType, int chunks,
                       const QByteArray& samples, int filterByte = -1)
{
    const qsizetype rowBytes = qsizetype(width) * channels;
    QByteArray raw;
    const QByteArray zeros(rowBytes, '\0');
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uchar*>(samples.constData() + y * rowBytes);
        const auto* up =
            reinterpret_cast<const uchar*>(y ? samples.constData() + (y - 1) * rowBytes : zeros.constData());
        const int filter = filterType == everyFilter ? y % 5 : filterType;
        raw.append(char(y == 1 && filterByte >= 0 ? filterByte : filter));
        for (qsizetype i = 0; i < rowBytes; ++i) {
            const int a = i >= channels ? row[i - channels] : 0, b = up[i],
                      c = i >= channels ? up[i - channels] : 0;
            const int predicted = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? paethPredictor(a, b, c)
                                                : 0;
            raw.append(char(row[i] - predicted));
        }
    }
    // A zlib stream after Qt's length prefix.
    return pngFile(width, height, channels == 4 ? 6 : 2, qCompress(raw, 6).mid(4), chunks);
}

QByteArray jpeg(bool progressive)
{
    QImage image(48, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 5, y * 6, (x ^ y) * 4));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

} // namespace

class TestInputDecoding : public QObject
{
    Q_OBJECT

  private slots:
    void samePixelsAsQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("tolerance"); // 16-bit samples: libspng truncates, Qt rounds

        QTest::newRow("RGB written by Qt") << gradientPng(QImage::Format_RGB32) << 0;
        QTest::newRow("RGBA written by Qt") << gradientPng(QImage::Format_ARGB32) << 0;
        QTest::newRow("palette with transparency") << gradientPng(QImage::Format_Indexed8) << 0;
        QTest::newRow("16-bit RGBA") << gradientPng(QImage::Format_RGBA64) << 1;
        for (int channels : {3, 4}) {
            const char* kind = channels == 3 ? "RGB" : "RGBA";
            const QByteArray samples = testSamples(37, 26, channels);
            const char* names[] = {"none", "sub", "up", "average", "paeth", "every filter"};
            for (int filter = 0; filter <= everyFilter; ++filter)
                QTest::addRow("%s, %s", kind, names[filter])
                    << filteredPng(37, 26, channels, filter, 1, samples) << 0;
            QTest::addRow("%s, data in seven chunks", kind)
                << filteredPng(37, 26, channels, everyFilter, 7, samples) << 0;
        }
        QTest::newRow("one pixel") << filteredPng(1, 1, 4, 4, 1, testSamples(1, 1, 4)) << 0;
    }

    void samePixelsAsQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, tolerance);
        const LoadedImage decoded = decodePngFile(bytes, 1 << 20);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        const QImage qt = QImage::fromData(bytes, "PNG");
        QCOMPARE(decoded.image.format(),
                 qt.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        const QImage expected = qt.convertToFormat(decoded.image.format());
        QCOMPARE(decoded.image.size(), expected.size());
        for (int y = 0; y < expected.height(); ++y) {
            const auto* want = expected.constScanLine(y);
            const auto* got = decoded.image.constScanLine(y);
            for (int i = 0; i < expected.width() * 4; ++i)
                QVERIFY2(
                    qAbs(got[i] - want[i]) <= tolerance,
                    qPrintable(QStringLiteral("row %1, pixel %2, byte %3").arg(y).arg(i / 4).arg(i % 4)));
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("maxPixels");
        QTest::addColumn<QString>("reason");
        const QByteArray good = gradientPng(QImage::Format_RGB32);
        QByteArray badCrc = good;
        badCrc[29] = char(badCrc[29] ^ 0x40); // inside the header chunk's checksum
        const QByteArray samples = testSamples(37, 26, 3);
        const QByteArray filtered = filteredPng(37, 26, 3, everyFilter, 3, samples);
        QByteArray badDataCrc = filtered;
        badDataCrc[filtered.size() - 14] = char(badDataCrc[filtered.size() - 14] ^ 1); // last IDAT's checksum
        // The header of a taller image in front of the same data.
        QByteArray tooShort = filtered;
        tooShort[8 + 8 + 7] = char(52);
        const quint32 headerCrc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(tooShort.constData() + 12), 17));
        qToBigEndian(headerCrc, tooShort.data() + 29);

        const qint64 room = 1 << 20;
        const QString cut = "damaged PNG: the file is cut short";
        QTest::newRow("cut short") << good.left(good.size() - 20) << room << cut;
        QTest::newRow("cut short after the data") << filtered.chopped(6) << room << cut;
        QTest::newRow("checksum mismatch") << badCrc << room << "damaged PNG:";
        QTest::newRow("image data checksum mismatch") << badDataCrc << room << "damaged PNG:";
        QTest::newRow("less data than the header's size")
            << tooShort << room << "damaged PNG: too little image data for 37 x 52 pixels";
        QTest::newRow("unknown filter type") << filteredPng(37, 26, 3, everyFilter, 1, samples, 5) << room
                                             << "damaged PNG: a row has an unknown filter";
        QTest::newRow("more pixels than allowed")
            << good << qint64(23 * 17 - 1) << "image too large (23 x 17 pixels";
    }

    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, maxPixels);
        QFETCH(QString, reason);
        const LoadedImage decoded = decodePngFile(bytes, maxPixels);
        QVERIFY(decoded.image.isNull());
        QVERIFY2(decoded.error.startsWith(reason), qPrintable(decoded.error));
    }

    void sizeCheckSeesTheHeaderFirst()
    {
        QSize seen;
        const LoadedImage decoded =
            decodePngFile(gradientPng(QImage::Format_RGB32), 1 << 20, [&seen](QSize size) {
                seen = size;
                return QStringLiteral("refused");
            });
        QCOMPARE(seen, QSize(23, 17));
        QVERIFY(decoded.image.isNull());
        QCOMPARE(decoded.error, QStringLiteral("refused"));
    }

    void jpegWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        const QByteArray baseline = jpeg(false), progressive = jpeg(true);
        // A marker may be preceded by any number of fill bytes.
        QByteArray padded = baseline;
        padded.insert(2, "\xff\xff\xff", 3);

        QTest::newRow("baseline") << baseline << true;
        QTest::newRow("progressive, several scans") << progressive << true;
        QTest::newRow("bytes after the end marker") << baseline + "appended by a camera" << true;
        QTest::newRow("fill bytes before a marker") << padded << true;
        QTest::newRow("without the end marker") << baseline.chopped(2) << false;
        QTest::newRow("cut in the scan") << baseline.left(baseline.size() * 3 / 4) << false;
        QTest::newRow("progressive, cut after its first scan")
            << progressive.left(progressive.size() / 2) << false;
        QTest::newRow("cut in a segment header") << baseline.left(30) << false;
        QTest::newRow("start marker only") << QByteArray("\xff\xd8", 2) << false;
        QTest::newRow("segment longer than the file")
            << QByteArray("\xff\xd8\xff\xe0\x7f\xff\x00\x00\xff\xd9", 10) << false;
        QTest::newRow("not a JPEG") << QByteArray("GIF89a and more") << false;
    }

    void jpegWhole()
    {
        QFETCH(QByteArray, bytes);
        QTEST(jpegReachesEnd(bytes), "whole");
    }
};

QTEST_GUILESS_MAIN(TestInputDecoding)
#include "tst_input_decoding.moc"
