// The command line's PNG decoding gives Qt's pixels for every kind of PNG a
// screenshot tool writes, and a reason instead for damaged or oversized files.

#include "cli/png_file_decoder.h"

#include <QBuffer>
#include <QTest>

using namespace lustrelab;

static QByteArray gradientPng(QImage::Format format)
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

class TestPngFileDecoder : public QObject
{
    Q_OBJECT

  private slots:
    void samePixelsAsQt_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<int>("tolerance"); // 16-bit samples: libspng truncates, Qt rounds

        QTest::newRow("RGB") << QImage::Format_RGB32 << 0;
        QTest::newRow("RGBA") << QImage::Format_ARGB32 << 0;
        QTest::newRow("palette with transparency") << QImage::Format_Indexed8 << 0;
        QTest::newRow("16-bit RGBA") << QImage::Format_RGBA64 << 1;
    }

    void samePixelsAsQt()
    {
        QFETCH(QImage::Format, format);
        QFETCH(int, tolerance);
        const QByteArray bytes = gradientPng(format);
        const LoadedImage decoded = decodePngFile(bytes, 1 << 20);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        const QImage expected = QImage::fromData(bytes, "PNG").convertToFormat(QImage::Format_RGBA8888);
        const QImage actual = decoded.image.convertToFormat(QImage::Format_RGBA8888);
        QCOMPARE(actual.size(), expected.size());
        for (qsizetype i = 0; i < expected.sizeInBytes(); ++i)
            QVERIFY2(qAbs(actual.constBits()[i] - expected.constBits()[i]) <= tolerance,
                     qPrintable(QStringLiteral("pixel %1, channel %2").arg(i / 4).arg(i % 4)));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("maxPixels");
        QTest::addColumn<QString>("reason");
        const QByteArray good = gradientPng(QImage::Format_RGB32);
        QByteArray badCrc = good;
        badCrc[29] = char(badCrc[29] ^ 0x40); // inside the header chunk's checksum

        QTest::newRow("cut short") << good.left(good.size() - 20) << qint64(1 << 20)
                                   << "damaged PNG: the file is cut short";
        QTest::newRow("checksum mismatch") << badCrc << qint64(1 << 20) << "damaged PNG:";
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
};

QTEST_GUILESS_MAIN(TestPngFileDecoder)
#include "tst_png_file_decoder.moc"
