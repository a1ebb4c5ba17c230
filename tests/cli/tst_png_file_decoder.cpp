// The command line's own PNG decoding must give the same pixels as Qt's
// reader for every kind of PNG a screenshot tool writes, and a reason instead
// of a picture for damaged or oversized files.

#include "cli/png_file_decoder.h"

#include <QBuffer>
#include <QTest>

using namespace lustrelab;

namespace {

QImage gradientImage(QImage::Format format)
{
    QImage image(23, 17, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 11, y * 15, (x * y) % 256, 255 - x * 7));
    if (format == QImage::Format_Indexed8)
        return image.convertToFormat(QImage::Format_RGB32).convertToFormat(format, Qt::ThresholdDither);
    return image.convertToFormat(format);
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool close(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance && qAbs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

} // namespace

class TestPngFileDecoder : public QObject
{
    Q_OBJECT

  private slots:
    void samePixelsAsQt_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("alpha");
        QTest::addColumn<int>("tolerance"); // 16-bit samples: libspng truncates, Qt rounds

        QTest::newRow("RGB") << int(QImage::Format_RGB32) << false << 0;
        QTest::newRow("RGBA") << int(QImage::Format_ARGB32) << true << 0;
        QTest::newRow("palette") << int(QImage::Format_Indexed8) << false << 0;
        QTest::newRow("16-bit RGBA") << int(QImage::Format_RGBA64) << true << 1;
    }

    void samePixelsAsQt()
    {
        QFETCH(int, format);
        QFETCH(bool, alpha);
        QFETCH(int, tolerance);
        const QByteArray bytes = pngBytes(gradientImage(QImage::Format(format)));
        QVERIFY(hasPngSignature(bytes));

        const LoadedImage decoded = decodePngFile(bytes, 1 << 20);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        QCOMPARE(decoded.image.hasAlphaChannel(), alpha);
        const QImage expected = QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_ARGB32);
        const QImage actual = decoded.image.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(actual.size(), expected.size());
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                QVERIFY2(close(actual.pixel(x, y), expected.pixel(x, y), tolerance),
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<qint64>("maxPixels");

        const QByteArray good = pngBytes(gradientImage(QImage::Format_RGB32));
        QByteArray badCrc = good;
        badCrc[29] = char(badCrc[29] ^ 0x40); // inside the header chunk's checksum

        QTest::newRow("cut short") << good.left(good.size() - 20) << "damaged PNG: the file is cut short"
                                   << qint64(1 << 20);
        QTest::newRow("checksum mismatch") << badCrc << "damaged PNG:" << qint64(1 << 20);
        QTest::newRow("more pixels than allowed")
            << good << "image too large (23 x 17 pixels" << qint64(23 * 17 - 1);
    }

    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QFETCH(qint64, maxPixels);
        const LoadedImage decoded = decodePngFile(bytes, maxPixels);
        QVERIFY(decoded.image.isNull());
        QVERIFY2(decoded.error.startsWith(reason), qPrintable(decoded.error));
    }
};

QTEST_GUILESS_MAIN(TestPngFileDecoder)
#include "tst_png_file_decoder.moc"
