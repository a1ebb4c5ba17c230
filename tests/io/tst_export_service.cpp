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

// Pixels that deflate badly and differ from their neighbours in every channel,
// so a filter or channel-order fault shows up.
QImage noise(int width, int height, bool translucent, quint32 seed = 7)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const quint32 v = random.generate();
            image.setPixel(x, y,
                           qRgba(int(v & 0xff), int((v >> 8) & 0xff), int((v >> 16) & 0xff),
                                 translucent ? int(v >> 24) : 255));
        }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage decode(const QByteArray& bytes, QByteArray* format = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    if (format)
        *format = reader.format();
    return reader.read();
}

// Pixel equality in premultiplied form, which is what a composed image holds:
// the file stores straight alpha, and any exact unpremultiply rounding comes
// back to the same premultiplied value.
QImage premultiplied(const QImage& image)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    converted.setDevicePixelRatio(1);
    return converted;
}

QImage readFile(const QString& path)
{
    QImageReader reader(path);
    return reader.read();
}

} // namespace

class TestExportService : public QObject
{
    Q_OBJECT
  private slots:
    void scaledSize_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("double") << QSize(1000, 500) << 1.0 << 2.0 << QSize(2000, 1000);
        QTest::newRow("triple") << QSize(101, 67) << 1.0 << 3.0 << QSize(303, 201);
        QTest::newRow("one and a half truncates") << QSize(333, 201) << 1.0 << 1.5 << QSize(499, 301);
        QTest::newRow("ratio 2 counts points") << QSize(1522, 856) << 2.0 << 2.0 << QSize(1522, 856);
        QTest::newRow("ratio 2 at scale 3") << QSize(101, 51) << 2.0 << 3.0 << QSize(151, 76);
        QTest::newRow("half") << QSize(640, 481) << 1.0 << 0.5 << QSize(320, 240);
    }
    void scaledSize()
    {
        QFETCH(QSize, pixels);
        QFETCH(double, ratio);
        QFETCH(double, scale);
        QFETCH(QSize, expected);
        QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::red);
        image.setDevicePixelRatio(ratio);
        const QImage scaled = ExportService::scaleImage(image, scale);
        QCOMPARE(scaled.size(), expected);
        QCOMPARE(scaled.devicePixelRatio(), 1.0);
    }

    void scaleOneIsTheSameImage()
    {
        QImage image = noise(30, 20, true);
        image.setDevicePixelRatio(2);
        const QImage same = ExportService::scaleImage(image, 1.0);
        QCOMPARE(same.cacheKey(), image.cacheKey());
        QCOMPARE(same.devicePixelRatio(), 2.0);
    }

    void unusableScaleGivesNothing_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -2.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
        QTest::newRow("rounds to no pixel") << 0.001;
    }
    void unusableScaleGivesNothing()
    {
        QFETCH(double, scale);
        QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::blue);
        QVERIFY(ExportService::scaleImage(image, scale).isNull());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.png"));
        const ExportService::Result result =
            ExportService().saveToFile(image, path, ExportFormat::png, scale);
        QVERIFY(!result.written);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void transparencySurvivesResampling()
    {
        // Opaque red beside fully transparent pixels: smoothing in straight
        // alpha would darken or tint the edge; premultiplied smoothing keeps
        // every covered pixel pure red and the empty side empty.
        QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 20; ++x)
                image.setPixel(x, y, qRgba(255, 0, 0, 255));
        const QImage scaled = ExportService::scaleImage(image, 2).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(scaled.size(), QSize(80, 80));
        QCOMPARE(qAlpha(scaled.pixel(79, 40)), 0);
        QCOMPARE(scaled.pixel(5, 40), qRgba(255, 0, 0, 255));
        for (int x = 0; x < 80; ++x) {
            const QRgb p = scaled.pixel(x, 40);
            if (qAlpha(p) > 0)
                QCOMPARE(qRed(p), 255);
        }
    }

    void pngRoundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<bool>("keepsAlpha");
        QTest::newRow("opaque noise") << noise(257, 300, false) << false;
        QTest::newRow("translucent noise") << noise(257, 300, true) << true;
        QTest::newRow("one translucent pixel among opaque") << [] {
            QImage image = noise(64, 200, false);
            image.setPixel(63, 199, qRgba(10, 20, 30, 128));
            return image;
        }() << true;
        QImage clear(50, 400, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        QTest::newRow("fully transparent") << clear << true;
        QTest::newRow("one pixel") << noise(1, 1, true) << true;
        QTest::newRow("one column, many bands") << noise(1, 1000, false) << false;
        QTest::newRow("rgb32 source") << noise(90, 130, false).convertToFormat(QImage::Format_RGB32) << false;
        QTest::newRow("straight argb source")
            << noise(90, 130, true).convertToFormat(QImage::Format_ARGB32) << true;
        QTest::newRow("indexed source")
            << noise(40, 30, false).convertToFormat(QImage::Format_Indexed8) << false;
    }
    void pngRoundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(bool, keepsAlpha);
        QString error;
        const QByteArray png = PngEncoder::encode(image, &error);
        QVERIFY2(!png.isEmpty(), qPrintable(error));
        QByteArray format;
        const QImage decoded = decode(png, &format);
        QCOMPARE(format, QByteArray("png"));
        QCOMPARE(decoded.size(), image.size());
        QCOMPARE(decoded.hasAlphaChannel(), keepsAlpha);
        QCOMPARE(premultiplied(decoded), premultiplied(image));
    }

    void savesExactPixelsAtScaleOne()
    {
        QImage image = noise(321, 123, true);
        image.setDevicePixelRatio(2);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.png"));
        const ExportService::Result result = ExportService().saveToFile(image, path, ExportFormat::png, 1.0);
        QVERIFY2(result.written, qPrintable(result.error));
        QVERIFY(result.error.isEmpty());
        const QImage back = readFile(path);
        QCOMPARE(back.size(), image.size()); // every pixel of a 2x image, not its size in points
        QCOMPARE(premultiplied(back), premultiplied(image));
    }

    void savesScaledFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<QByteArray>("decoder");
        QTest::newRow("png x2") << int(ExportFormat::png) << 2.0 << QSize(402, 302) << QByteArray("png");
        QTest::newRow("png x3") << int(ExportFormat::png) << 3.0 << QSize(603, 453) << QByteArray("png");
        QTest::newRow("jpeg x1") << int(ExportFormat::jpeg) << 1.0 << QSize(201, 151) << QByteArray("jpeg");
        QTest::newRow("jpeg x2") << int(ExportFormat::jpeg) << 2.0 << QSize(402, 302) << QByteArray("jpeg");
        QTest::newRow("jpeg x1.5 truncates")
            << int(ExportFormat::jpeg) << 1.5 << QSize(301, 226) << QByteArray("jpeg");
    }
    void savesScaledFile()
    {
        QFETCH(int, format);
        QFETCH(double, scale);
        QFETCH(QSize, expected);
        QFETCH(QByteArray, decoder);
        QImage image(201, 151, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(40, 120, 200));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot"));
        const ExportService::Result result =
            ExportService().saveToFile(image, path, ExportFormat(format), scale);
        QVERIFY2(result.written, qPrintable(result.error));
        QImageReader reader(path);
        QCOMPARE(reader.format(), decoder);
        const QImage back = reader.read();
        QCOMPARE(back.size(), expected);
        // JPEG is lossy but a flat colour must stay close at quality 90.
        const QRgb centre = back.pixel(back.width() / 2, back.height() / 2);
        QVERIFY(std::abs(qRed(centre) - 40) <= 3);
        QVERIFY(std::abs(qGreen(centre) - 120) <= 3);
        QVERIFY(std::abs(qBlue(centre) - 200) <= 3);
    }

    void jpegQualityIsNinety()
    {
        // Quality 90 puts its scaled standard tables into the file: the first
        // luminance entry (16 at quality 50) becomes 3.
        QImage image = noise(64, 64, false);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("q.jpeg"));
        QVERIFY(ExportService().saveToFile(image, path, ExportFormat::jpeg, 1.0).written);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype dqt = bytes.indexOf(QByteArray("\xff\xdb", 2));
        QVERIFY(dqt > 0);
        QCOMPARE(int(uchar(bytes[dqt + 5])), 3);
    }

    void largeJpegJoinsIntoOneStream_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("two stripes") << QSize(640, 700);
        QTest::newRow("ragged edges") << QSize(333, 1001);
        QTest::newRow("many rows") << QSize(64, 4100);
    }
    void largeJpegJoinsIntoOneStream()
    {
        // A smooth picture that differs on every row: a stripe decoded in the
        // wrong place or lost at a join shows as rows far from their colour.
        QFETCH(QSize, size);
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y,
                               qRgb(y * 255 / size.height(), x * 255 / size.width(), (x + y) % 256 / 4 + 60));
        QString error;
        const QByteArray jpeg = JpegEncoder::encode(image, 90, &error);
        QVERIFY2(!jpeg.isEmpty(), qPrintable(error));
        QCOMPARE(jpeg.count(QByteArray("\xff\xd9", 2)), 1); // one end of image
        QCOMPARE(jpeg.count(QByteArray("\xff\xda", 2)), 1); // one scan
        // Restart markers run 0..7 over and over, one per row of 16-pixel blocks.
        int expected = 0, markers = 0;
        for (qsizetype i = jpeg.indexOf(QByteArray("\xff\xda", 2)); i + 1 < jpeg.size(); ++i) {
            const uchar next = uchar(jpeg[i + 1]);
            if (uchar(jpeg[i]) == 0xff && next >= 0xd0 && next <= 0xd7) {
                QCOMPARE(int(next - 0xd0), expected);
                expected = (expected + 1) % 8;
                ++markers;
            }
        }
        QCOMPARE(markers, (size.height() + 15) / 16 - 1);
        const QImage back = decode(jpeg);
        QCOMPARE(back.size(), size);
        for (int y = 0; y < size.height(); ++y) {
            const int red = qRed(back.pixel(size.width() / 2, y));
            QVERIFY2(std::abs(red - y * 255 / size.height()) <= 6,
                     qPrintable(QStringLiteral("row %1").arg(y)));
        }
    }

    void replacesExistingFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.png"));
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 'x')); // longer than the new file: no tail may remain
        }
        QImage image(20, 10, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::green);
        QVERIFY(ExportService().saveToFile(image, path, ExportFormat::png, 1.0).written);
        QCOMPARE(readFile(path).size(), QSize(20, 10));
        QVERIFY(QFileInfo(path).size() < 100000);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("shot.png")});
    }

    void reportsWhyNothingWasWritten_data()
    {
        QTest::addColumn<QString>("relativePath");
        QTest::addColumn<bool>("nullImage");
        QTest::newRow("missing folder") << "no/such/folder/shot.png" << false;
        QTest::newRow("path is a folder") << "" << false;
        QTest::newRow("no image") << "shot.png" << true;
    }
    void reportsWhyNothingWasWritten()
    {
        QFETCH(QString, relativePath);
        QFETCH(bool, nullImage);
        QTemporaryDir dir;
        const QString path = relativePath.isEmpty() ? dir.path() : dir.filePath(relativePath);
        QImage image;
        if (!nullImage) {
            image = QImage(10, 10, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::black);
        }
        const ExportService::Result result = ExportService().saveToFile(image, path, ExportFormat::png, 2.0);
        QVERIFY(!result.written);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(QFileInfo(path).isDir() || !QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestExportService)
#include "tst_export_service.moc"
