// Paste, drop and copy through AppState, on the offscreen platform's
// in-process clipboard.

#include "io/mime_image_source.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QClipboard>
#include <QtTest>
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
    return tab && tab->sourceImage ? asArgb(*tab->sourceImage) : QImage();
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
             {"image object", "png bytes", "file url", "GNOME copied files", "text", "corrupt file"})
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

    // Clipboard and drop data often carry the same picture in several types;
    // PNG is read whenever it is among them, wherever it stands.
    void pngIsPreferred_data()
    {
        QTest::addColumn<QStringList>("types"); // in the order offered
        QTest::addColumn<QString>("chosen");
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
    // The composed image goes alone onto the clipboard at scale 1, lossless,
    // whatever the export settings say.
    void copyThenPasteRoundTrips()
    {
        AppState state(m_env->filePath(QStringLiteral("templates")));
        state.loadImage(patternImage(8, 8), false);
        BeautySettings settings = state.settings();
        settings.exportScale = 3;
        settings.exportFormat = ExportFormat::jpeg;
        state.setSettings(settings);
        state.processImage();
        settle(state);
        const QImage composed = asArgb(*state.currentTab()->processedImage);
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier content"));
        state.copyToClipboard();
        QTRY_VERIFY(!QGuiApplication::clipboard()->mimeData()->hasText());
        QCOMPARE(asArgb(QGuiApplication::clipboard()->image()), composed);
        state.pasteImage();
        settle(state);
        QCOMPARE(source(state), composed);
    }
};

QTEST_MAIN(TestImageImport)
#include "tst_image_import.moc"
