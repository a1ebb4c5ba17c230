// A JPEG is taken as whole only when its segments and scans run to the end
// marker: what a cut-short download or copy leaves is refused, what any
// encoder writes (progressive scans, trailing bytes) is not.

#include "cli/jpeg_structure.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTest>

using namespace lustrelab;

namespace {

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

class TestJpegStructure : public QObject
{
    Q_OBJECT

  private slots:
    void whole_data()
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

    void whole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        QCOMPARE(jpegReachesEnd(bytes), whole);
    }
};

QTEST_GUILESS_MAIN(TestJpegStructure)
#include "tst_jpeg_structure.moc"
