#include "io/export_service.h"
#include "test_fixtures.h"

#include <QImageReader>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace lustrelab;

namespace {

// Pixels that deflate badly and differ in every channel, so a filter or
// channel-order fault shows.
QImage noise(int width, int height, bool translucent, qreal ratio = 1)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const quint32 v = random.generate();
            image.setPixel(x, y,
                           qRgba(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff, translucent ? v >> 24 : 255));
        }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return image;
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
    void pngAtScaleOne_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<bool>("keepsAlpha");
        QTest::newRow("opaque written as RGB") << noise(257, 300, false) << false;
        QTest::newRow("translucent at ratio 2, every pixel") << noise(321, 123, true, 2) << true;
        QImage onePixel = noise(64, 200, false);
        onePixel.setPixel(63, 199, qRgba(10, 20, 30, 128));
        QTest::newRow("one translucent pixel among opaque") << onePixel << true;
        QTest::newRow("one column, many bands") << noise(1, 1000, false) << false;
    }
    // Scale 1 writes the image's exact pixels, not its size in points.
    void pngAtScaleOne()
    {
        QFETCH(QImage, image);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("shot.png"));
        const ExportService::Result result = ExportService().saveToFile(image, path, ExportFormat::png, 1.0);
        QVERIFY2(result.written && result.error.isEmpty(), qPrintable(result.error));
        const QImage back(path);
        QTEST(back.hasAlphaChannel(), "keepsAlpha");
        QCOMPARE(premultiplied(back), premultiplied(image));
    }

    void save_data()
    {
        QTest::addColumn<QString>("name"); // "" is the folder itself
        QTest::addColumn<ExportFormat>("format");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QSize>("expected"); // invalid: nothing written
        const ExportFormat png = ExportFormat::png, jpeg = ExportFormat::jpeg;
        QTest::newRow("png x2") << "a.png" << png << 1.0 << 2.0 << QSize(402, 302);
        QTest::newRow("png x3 from ratio 2 truncates") << "a.png" << png << 2.0 << 3.0 << QSize(301, 226);
        QTest::newRow("jpeg x2 from ratio 2") << "a" << jpeg << 2.0 << 2.0 << QSize(201, 151);
        QTest::newRow("jpeg x4 in two stripes") << "a.jpeg" << jpeg << 1.0 << 4.0 << QSize(804, 604);
        QTest::newRow("replaces a longer file") << "old.png" << png << 1.0 << 1.0 << QSize(201, 151);
        QTest::newRow("zero scale") << "a.png" << png << 1.0 << 0.0 << QSize();
        QTest::newRow("NaN scale") << "a.png" << png << 1.0 << std::nan("") << QSize();
        QTest::newRow("missing folder") << "no/such/a.png" << png << 1.0 << 1.0 << QSize();
        QTest::newRow("path is a folder") << "" << png << 1.0 << 1.0 << QSize();
    }
    void save()
    {
        QFETCH(QString, name);
        QFETCH(ExportFormat, format);
        QFETCH(double, ratio);
        QFETCH(double, scale);
        QFETCH(QSize, expected);
        // Red grows down the rows: a row out of place, or lost where the JPEG
        // encoder's stripes are joined, shows.
        QImage image(201, 151, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < 151; ++y)
            for (int x = 0; x < 201; ++x)
                image.setPixel(x, y, qRgb(y * 255 / 150, 120, 200));
        image.setDevicePixelRatio(ratio);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? dir.path() : dir.filePath(name);
        QFile old(dir.filePath(QStringLiteral("old.png")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(QByteArray(300000, 'x')) > 0 && old.flush());

        const ExportService::Result result = ExportService().saveToFile(image, path, format, scale);
        QCOMPARE(result.written, expected.isValid());
        QCOMPARE(result.error.isEmpty(), result.written);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(),
                 result.written && path != old.fileName() ? 2 : 1);
        if (!result.written)
            return;
        QVERIFY(QFileInfo(path).size() < 300000); // no tail of a longer file remains
        const QByteArray bytes = test::readFile(path);
        QCOMPARE(bytes.startsWith("\x89PNG"), format == ExportFormat::png);
        if (format == ExportFormat::jpeg) { // one scan; quality 90 makes the first luminance step 3
            QCOMPARE(bytes.count("\xff\xda"), 1);
            QCOMPARE(int(uchar(bytes[bytes.indexOf("\xff\xdb") + 5])), 3);
        }
        const QImage back = QImage::fromData(bytes);
        QCOMPARE(back.size(), expected);
        for (int y = 0; y < back.height(); ++y) {
            const QRgb pixel = back.pixel(back.width() / 2, y);
            QVERIFY2(std::abs(qRed(pixel) - y * 255 / (back.height() - 1)) <= 6 &&
                         std::abs(qGreen(pixel) - 120) <= 3 && std::abs(qBlue(pixel) - 200) <= 3,
                     qPrintable(QStringLiteral("row %1").arg(y)));
        }
    }

    // What the encoders cannot write is refused, never written as a file that
    // no reader opens. JPEG sides stop at 65500 pixels. The encoder works in stripes, each well
    // under that, so only the size of the whole image can tell.
    void jpegSides_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("written");
        QTest::newRow("65500 tall, the largest") << QSize(8, 65500) << true;
        QTest::newRow("65501 tall") << QSize(8, 65501) << false;
        QTest::newRow("65520 wide") << QSize(65520, 8) << false;
        QTest::newRow("65536 tall") << QSize(8, 65536) << false;
    }
    void jpegSides()
    {
        QFETCH(QSize, size);
        QFETCH(bool, written);
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(30, 140, 220));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tall.jpeg"));

        const ExportService::Result result = ExportService().saveToFile(image, path, ExportFormat::jpeg, 1);
        QCOMPARE(result.written, written);
        QCOMPARE(QFile::exists(path), written);
        if (written) {
            QImageReader reader(path);
            reader.setAllocationLimit(0);
            const QImage read = reader.read();
            QCOMPARE(read.size(), size);
            QVERIFY(qAbs(read.pixelColor(size.width() / 2, size.height() / 2).blue() - 220) <= 3);
        } else {
            QVERIFY2(result.error.contains(QLatin1String("65500")), qPrintable(result.error));
        }
    }

    // A 2x image exported at 2x keeps its pixels at ratio 1; the result is
    // its own image: painting on it leaves the source as it was, and it
    // outlives the source.
    void sameSizeKeepsThePixels()
    {
        auto source = std::make_unique<QImage>(40, 30, QImage::Format_ARGB32_Premultiplied);
        source->fill(qRgb(10, 200, 30));
        source->setPixel(3, 4, qRgb(250, 0, 0));
        source->setDevicePixelRatio(2);
        QImage scaled = ExportService::scaleImage(*source, 2);
        QCOMPARE(scaled.size(), QSize(40, 30));
        QCOMPARE(scaled.devicePixelRatio(), 1.0);
        QCOMPARE(scaled.pixel(3, 4), qRgb(250, 0, 0));
        scaled.setPixel(5, 5, qRgb(0, 0, 255));
        QCOMPARE(source->pixel(5, 5), qRgb(10, 200, 30));
        const QImage kept = ExportService::scaleImage(*source, 2);
        source.reset();
        QCOMPARE(kept.pixel(3, 4), qRgb(250, 0, 0));
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
};

QTEST_GUILESS_MAIN(TestExportService)
#include "tst_export_service.moc"
