// What the encoders cannot write is refused, never written as a file that no
// reader opens; and pasted or dropped data is read in the lossless form when
// several forms are offered.

#include "io/export_service.h"
#include "io/mime_image_source.h"
#include "io_fixtures.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

class TestExportLimits : public QObject
{
    Q_OBJECT
    IsolatedHome m_env;

  private slots:
    // JPEG sides stop at 65500 pixels. The encoder works in stripes, each well
    // under that, so only the size of the whole image can tell.
    void jpegSides_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("written");
        QTest::newRow("65500 tall, the largest") << QSize(8, 65500) << true;
        QTest::newRow("65501 tall") << QSize(8, 65501) << false;
        QTest::newRow("65535 tall") << QSize(8, 65535) << false;
        QTest::newRow("65520 wide") << QSize(65520, 8) << false;
        QTest::newRow("65536 tall") << QSize(8, 65536) << false;
    }
    void jpegSides()
    {
        QFETCH(QSize, size);
        QFETCH(bool, written);
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(30, 140, 220));
        const QString path = m_env.filePath(QStringLiteral("tall.jpeg"));
        QFile::remove(path);

        const ExportService::Result result = ExportService().saveToFile(image, path, ExportFormat::jpeg, 1);
        QCOMPARE(result.written, written);
        QCOMPARE(QFile::exists(path), written);
        if (written) {
            QImageReader reader(path);
            reader.setAllocationLimit(0);
            const QImage read = reader.read();
            QCOMPARE(read.size(), size);
            const QColor middle = read.pixelColor(size.width() / 2, size.height() / 2);
            QVERIFY(qAbs(middle.blue() - 220) <= 3);
        } else {
            QVERIFY2(result.error.contains(QLatin1String("65500")), qPrintable(result.error));
        }
    }

    // Clipboard and drop data often carry the same picture in several types;
    // PNG is read whenever it is among them, wherever it stands.
    void pngIsPreferred_data()
    {
        QTest::addColumn<QStringList>("types"); // in the order offered
        QTest::addColumn<QString>("chosen");
        QTest::newRow("png after bmp") << QStringList{"image/bmp", "image/png"} << "image/png";
        QTest::newRow("png last of three")
            << QStringList{"image/jpeg", "image/bmp", "image/png"} << "image/png";
        QTest::newRow("png between two")
            << QStringList{"image/bmp", "image/png", "image/jpeg"} << "image/png";
        QTest::newRow("png with a decoded image")
            << QStringList{"application/x-qt-image", "image/png"} << "image/png";
        QTest::newRow("no png: the first offered") << QStringList{"image/jpeg", "image/bmp"} << "image/jpeg";
    }
    void pngIsPreferred()
    {
        QFETCH(QStringList, types);
        QFETCH(QString, chosen);
        QMimeData mime;
        QHash<QString, QByteArray> bytes;
        for (const QString& type : types) {
            if (type == QLatin1String("application/x-qt-image")) {
                mime.setImageData(patternImage(3, 3));
                continue;
            }
            // Each type carries a different picture, so the choice shows.
            const QImage image = patternImage(10 + int(bytes.size()), 7);
            bytes[type] = encoded(image, type.mid(6).toUpper().toLatin1().constData());
            QVERIFY(!bytes[type].isEmpty());
            mime.setData(type, bytes[type]);
        }
        QVERIFY(mimeOffersImage(mime));
        const ImageSource source = imageSourceFromMime(mime);
        QCOMPARE(source.kind, ImageSource::Kind::data);
        QVERIFY(source.data == bytes.value(chosen));
    }
};

QTEST_MAIN(TestExportLimits)
#include "tst_export_limits.moc"
