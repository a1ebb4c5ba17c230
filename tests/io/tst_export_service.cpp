#include "io/export_service.h"
#include "io/jpeg_encoder.h"
#include "io/png_encoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

using namespace lustrelab;

namespace {

// Pixels that deflate badly and differ in every channel, so a filter or
// channel-order fault shows.
QImage noise(int width, int height, bool translucent)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const quint32 v = random.generate();
            image.setPixel(x, y,
                           qRgba(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff, translucent ? v >> 24 : 255));
        }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A composed image holds premultiplied pixels; the file stores straight alpha,
// whose exact rounding comes back to the same premultiplied values.
QImage premultiplied(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    converted.setDevicePixelRatio(1);
    return converted;
}

} // namespace

class TestExportService : public QObject
{
    Q_OBJECT
  private slots:
    void pngRoundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<bool>("keepsAlpha");
        QTest::newRow("opaque written as RGB") << noise(257, 300, false) << false;
        QTest::newRow("translucent") << noise(257, 300, true) << true;
        QImage onePixel = noise(64, 200, false);
        onePixel.setPixel(63, 199, qRgba(10, 20, 30, 128));
        QTest::newRow("one translucent pixel among opaque") << onePixel << true;
        QTest::newRow("one column, many bands") << noise(1, 1000, false) << false;
        QTest::newRow("rgb32 source") << noise(90, 130, false).convertToFormat(QImage::Format_RGB32) << false;
    }
    void pngRoundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(bool, keepsAlpha);
        QString error;
        QByteArray png = PngEncoder::encode(image, &error);
        QVERIFY2(!png.isEmpty(), qPrintable(error));
        QBuffer buffer(&png);
        QImageReader reader(&buffer, "png");
        const QImage decoded = reader.read();
        QCOMPARE(decoded.hasAlphaChannel(), keepsAlpha);
        QCOMPARE(premultiplied(decoded), premultiplied(image));
    }

    // Every pixel of a 2x image, not its size in points, alpha included.
    void scaleOneSavesExactPixels()
    {
        QImage image = noise(321, 123, true);
        image.setDevicePixelRatio(2);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.png"));
        const ExportService::Result result = ExportService().saveToFile(image, path, ExportFormat::png, 1.0);
        QVERIFY2(result.written && result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(premultiplied(QImage(path)), premultiplied(image));
    }

    void save_data()
    {
        QTest::addColumn<QString>("name"); // "" is the folder itself
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("expected"); // invalid: nothing written
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("png x2") << "a.png" << ExportFormat::png << 1.0 << 2.0 << QSize(402, 302);
        QTest::newRow("png x3 from ratio 2 truncates")
            << "a.png" << ExportFormat::png << 2.0 << 3.0 << QSize(301, 226);
        QTest::newRow("jpeg x1") << "a.jpeg" << ExportFormat::jpeg << 1.0 << 1.0 << QSize(201, 151);
        QTest::newRow("jpeg x2 from ratio 2 truncates")
            << "a" << ExportFormat::jpeg << 2.0 << 2.0 << QSize(201, 151);
        QTest::newRow("zero scale") << "a.png" << ExportFormat::png << 1.0 << 0.0 << QSize();
        QTest::newRow("NaN scale") << "a.png" << ExportFormat::png << 1.0 << nan << QSize();
        QTest::newRow("missing folder") << "no/such/a.png" << ExportFormat::png << 1.0 << 1.0 << QSize();
        QTest::newRow("path is a folder") << "" << ExportFormat::png << 1.0 << 1.0 << QSize();
    }
    void save()
    {
        QFETCH(QString, name);
        QFETCH(ExportFormat, format);
        QFETCH(double, ratio);
        QFETCH(double, scale);
        QFETCH(QSize, expected);
        QImage image(201, 151, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(40, 120, 200));
        image.setDevicePixelRatio(ratio);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
        const ExportService::Result result = ExportService().saveToFile(image, path, format, scale);
        QCOMPARE(result.written, expected.isValid());
        if (!result.written) {
            QVERIFY(!result.error.isEmpty());
            QVERIFY(!QFileInfo(path).isFile());
            return;
        }
        QImageReader reader(path);
        QCOMPARE(reader.format(), format == ExportFormat::png ? QByteArray("png") : QByteArray("jpeg"));
        const QImage back = reader.read();
        QCOMPARE(back.size(), expected);
        const QRgb centre = back.pixel(back.width() / 2, back.height() / 2); // lossy, but a flat colour stays
        QVERIFY(std::abs(qRed(centre) - 40) <= 3 && std::abs(qGreen(centre) - 120) <= 3 &&
                std::abs(qBlue(centre) - 200) <= 3);
    }

    // Smoothing in straight alpha would darken or tint the edge between
    // opaque red and transparent pixels.
    void transparencySurvivesResampling()
    {
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 20; ++x)
                image.setPixel(x, y, qRgba(255, 0, 0, 255));
        const QImage scaled = ExportService::scaleImage(image, 2).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(scaled.pixel(79, 40)), 0);
        for (int x = 0; x < 80; ++x)
            if (qAlpha(scaled.pixel(x, 40)) > 0)
                QCOMPARE(qRed(scaled.pixel(x, 40)), 255);
    }

    void largeJpegIsOneStream_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("ragged edges") << QSize(333, 1001);
        QTest::newRow("many rows") << QSize(64, 4100);
    }
    // Rows differ in colour: a stripe decoded in the wrong place or lost at a
    // join shows as rows far from theirs.
    void largeJpegIsOneStream()
    {
        QFETCH(QSize, size);
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y,
                               qRgb(y * 255 / size.height(), x * 255 / size.width(), (x + y) % 256 / 4 + 60));
        QString error;
        QByteArray jpeg = JpegEncoder::encode(image, 90, &error);
        QVERIFY2(!jpeg.isEmpty(), qPrintable(error));
        QCOMPARE(jpeg.count(QByteArray("\xff\xda", 2)), 1); // one scan
        // Quality 90 scales the standard luminance table's first entry to 3.
        QCOMPARE(int(uchar(jpeg[jpeg.indexOf(QByteArray("\xff\xdb", 2)) + 5])), 3);
        // Restart markers cycle 0..7, one between rows of 16-pixel blocks.
        int expected = 0, markers = 0;
        for (qsizetype i = jpeg.indexOf(QByteArray("\xff\xda", 2)); i + 1 < jpeg.size(); ++i)
            if (uchar(jpeg[i]) == 0xff && uchar(jpeg[i + 1]) >= 0xd0 && uchar(jpeg[i + 1]) <= 0xd7) {
                QCOMPARE(int(uchar(jpeg[i + 1]) - 0xd0), expected);
                expected = (expected + 1) % 8;
                ++markers;
            }
        QCOMPARE(markers, (size.height() + 15) / 16 - 1);
        QBuffer buffer(&jpeg);
        const QImage back = QImageReader(&buffer).read();
        QCOMPARE(back.size(), size);
        for (int y = 0; y < size.height(); ++y)
            QVERIFY2(std::abs(qRed(back.pixel(size.width() / 2, y)) - y * 255 / size.height()) <= 6,
                     qPrintable(QStringLiteral("row %1").arg(y)));
    }

    void replacesExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.png"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x')); // longer than the new file: no tail may remain
        old.close();
        QVERIFY(ExportService().saveToFile(noise(20, 10, false), path, ExportFormat::png, 1.0).written);
        QCOMPARE(QImage(path).size(), QSize(20, 10));
        QVERIFY(QFileInfo(path).size() < 100000);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("shot.png")});
    }
};

QTEST_GUILESS_MAIN(TestExportService)
#include "tst_export_service.moc"
