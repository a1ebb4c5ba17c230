// Images in and out: paste, drop and copy through AppState, on the offscreen
// platform's in-process clipboard, and the files the export writes.
#include "io/export_service.h"
#include "io/mime_image_source.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QClipboard>
#include <QImageReader>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

// Lets pool decodes finish, then the two queued hand-offs each posts in turn
// (the decode's continuation, then its use): a call queued after each has
// run once it runs. Then waits for the composition that may have started.
void settle(AppState& state)
{
    QThreadPool::globalInstance()->waitForDone();
    for (int handOff = 0; handOff < 2; ++handOff) {
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        QTRY_VERIFY(ran);
    }
    QTRY_VERIFY(!state.isProcessing());
}

QImage source(const AppState& state)
{
    const ScreenshotTab* tab = state.currentTab();
    return tab && tab->hasImage() ? asArgb(tab->document.screenshot) : QImage();
}

// Pixels that deflate badly and differ in every channel, so a filter or
// channel-order fault shows.
QImage noise(int width, int height, bool translucent, qreal ratio = 1)
{
    QRandomGenerator random(7);
    QImage image = test::imageOf(
        width, height,
        [&](int, int) {
            const quint32 v = random.generate();
            return qRgba(v & 0xff, (v >> 8) & 0xff, (v >> 16) & 0xff, translucent ? v >> 24 : 255);
        },
        QImage::Format_ARGB32);
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

class TestImageImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedHome> m_env;

    QUrl url(const char* name) const
    {
        return QUrl::fromLocalFile(m_env->filePath(QString::fromLatin1(name)));
    }

    // Clipboard or drop content, and the image it should give (null: none).
    std::pair<std::unique_ptr<QMimeData>, QImage> content(const QString& kind) const
    {
        auto mime = std::make_unique<QMimeData>();
        const QImage small = patternImage(20, 10), first = patternImage(31, 17);
        if (kind == QLatin1String("image object"))
            mime->setImageData(small);
        else if (kind == QLatin1String("png bytes"))
            mime->setData(QStringLiteral("image/png"), encoded(small, "png"));
        else if (kind == QLatin1String("file url"))
            mime->setUrls({url("first.png")});
        else if (kind == QLatin1String("three files"))
            mime->setUrls({url("first.png"), url("second.png"), url("corrupt.png")});
        else if (kind == QLatin1String("GNOME copied files"))
            mime->setData(QStringLiteral("x-special/gnome-copied-files"),
                          "copy\n" + url("first.png").toEncoded() + "\n" + url("second.png").toEncoded());
        else if (kind == QLatin1String("text"))
            mime->setText(QStringLiteral("hello"));
        // The same picture often comes in several types: PNG is read whenever
        // it is among them, wherever it stands, else the first type offered.
        else if (kind == QLatin1String("png among others"))
            for (const auto& [type, image] :
                 {std::pair{"bmp", patternImage(10, 7)}, {"png", small}, {"jpeg", first}})
                mime->setData(QStringLiteral("image/") + type, encoded(image, type));
        else if (kind == QLatin1String("png after a decoded image")) {
            mime->setImageData(patternImage(3, 3));
            mime->setData(QStringLiteral("image/png"), encoded(small, "png"));
        } else if (kind == QLatin1String("no png: the first offered"))
            for (const auto& [type, image] : {std::pair{"bmp", first}, {"jpeg", small}})
                mime->setData(QStringLiteral("image/") + type, encoded(image, type));
        else
            mime->setUrls({url(kind == QLatin1String("corrupt file") ? "corrupt.png" : "huge.bmp")});
        QImage expected = mime->hasImage() || mime->hasFormat(QStringLiteral("image/png")) ? small : first;
        if (kind.endsWith(QLatin1String(" file")) || kind == QLatin1String("text"))
            expected = QImage();
        return {std::move(mime), expected};
    }

    void writeFile(const char* name, const QByteArray& bytes)
    {
        QVERIFY(test::writeFile(m_env->filePath(QString::fromLatin1(name)), bytes));
    }

  private slots:
    void initTestCase()
    {
        m_env = std::make_unique<IsolatedHome>();
        writeFile("first.png", encoded(patternImage(31, 17), "png"));
        writeFile("second.png", encoded(patternImage(5, 5), "png"));
        writeFile("corrupt.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, 'x'));
        // A valid BMP whose header announces 60000 x 60000 pixels (14 GB decoded).
        QByteArray bmp = encoded(patternImage(2, 2), "bmp");
        qToLittleEndian<qint32>(60000, bmp.data() + 18);
        qToLittleEndian<qint32>(60000, bmp.data() + 22);
        writeFile("huge.bmp", bmp);
    }

    void import_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("paste"); // else drop
        QTest::addColumn<bool>("tabHasImage");
        QTest::addColumn<bool>("accepted"); // the drop's answer
        for (const char* kind :
             {"image object", "png bytes", "file url", "GNOME copied files", "text", "corrupt file",
              "png among others", "png after a decoded image", "no png: the first offered"})
            QTest::addRow("paste %s", kind) << QString::fromLatin1(kind) << true << true << true;
        QTest::newRow("drop png bytes onto an empty tab") << "png bytes" << false << false << true;
        QTest::newRow("drop image object onto a full tab") << "image object" << false << true << true;
        QTest::newRow("drop three files, first imported") << "three files" << false << true << true;
        QTest::newRow("drop text snippet refused") << "text" << false << false << false;
        QTest::newRow("drop corrupt file ignored") << "corrupt file" << false << false << true;
        QTest::newRow("drop huge file ignored") << "huge file" << false << true << true;
    }
    // A paste replaces the image under the current tab's annotations. A drop
    // answers at once, before anything decodes, and fills an empty current
    // tab or opens a new one. Anything that is not an image changes nothing.
    void import()
    {
        QFETCH(QString, kind);
        QFETCH(bool, paste);
        QFETCH(bool, tabHasImage);
        AppState state(m_env->filePath(QStringLiteral("templates")));
        if (tabHasImage) {
            state.loadImage(patternImage(8, 8), false);
            state.addTextOverlay();
            settle(state);
        }
        const QImage before = source(state);
        const qsizetype tabs = state.tabs().size();
        auto [mime, expected] = content(kind);
        QCOMPARE(mimeOffersImage(*mime), kind != QLatin1String("text")); // what drags and Paste are offered
        if (paste) {
            QGuiApplication::clipboard()->setMimeData(mime.release());
            state.pasteImage();
        } else {
            QTEST(state.dropMimeData(*mime), "accepted");
            QCOMPARE(source(state), before);
        }
        settle(state);
        const bool newTab = !paste && tabHasImage && !expected.isNull();
        QCOMPARE(state.tabs().size(), newTab ? tabs + 1 : tabs);
        QCOMPARE(source(state), expected.isNull() ? before : asArgb(expected));
        QCOMPARE(state.currentTextOverlays().size(), tabHasImage && !newTab ? 1 : 0);
    }

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
        QImage image = test::imageOf(201, 151, [](int, int y) { return qRgb(y * 255 / 150, 120, 200); });
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
        const QImage image =
            test::imageOf(40, 40, [](int x, int) { return x < 20 ? qRgba(255, 0, 0, 255) : 0u; });
        const QImage scaled = ExportService::scaleImage(image, 2).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(qAlpha(scaled.pixel(79, 40)), 0);
        for (int x = 0; x < 80; ++x)
            if (qAlpha(scaled.pixel(x, 40)) > 0)
                QCOMPARE(qRed(scaled.pixel(x, 40)), 255);
    }
};

QTEST_MAIN(TestImageImport)
#include "tst_image_import.moc"
