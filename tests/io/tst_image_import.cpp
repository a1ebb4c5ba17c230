// Paste, drop and copy through AppState, on the offscreen platform's
// in-process clipboard.

#include "io/clipboard_service.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThreadPool>
#include <QtEndian>
#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A valid BMP whose header is edited to announce 60000 x 60000 pixels (14 GB
// decoded): what a hostile or broken file looks like.
QByteArray hugeBmp()
{
    QByteArray bytes = encoded(patternImage(2, 2), "bmp");
    qToLittleEndian<qint32>(60000, bytes.data() + 18);
    qToLittleEndian<qint32>(60000, bytes.data() + 22);
    return bytes;
}

} // namespace

class TestImageImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;
    QString m_first, m_second, m_third, m_corrupt, m_huge;

    QString file(const QString& name) const { return QDir(m_env->path()).filePath(name); }

    // Clipboard or drop content for a case name.
    std::unique_ptr<QMimeData> mimeFor(const QString& kind) const
    {
        auto mime = std::make_unique<QMimeData>();
        const auto url = [](const QString& path) { return QUrl::fromLocalFile(path); };
        if (kind == QLatin1String("image object"))
            mime->setImageData(patternImage(20, 10));
        else if (kind == QLatin1String("png bytes"))
            mime->setData(QStringLiteral("image/png"), encoded(patternImage(20, 10), "png"));
        else if (kind == QLatin1String("bmp bytes"))
            mime->setData(QStringLiteral("image/bmp"), encoded(patternImage(20, 10), "bmp"));
        else if (kind == QLatin1String("file url"))
            mime->setUrls({url(m_first)});
        else if (kind == QLatin1String("three files"))
            mime->setUrls({url(m_first), url(m_second), url(m_third)});
        else if (kind == QLatin1String("gnome copied files"))
            mime->setData(QStringLiteral("x-special/gnome-copied-files"),
                          "copy\n" + url(m_first).toEncoded() + "\n" + url(m_second).toEncoded());
        else if (kind == QLatin1String("nautilus text"))
            mime->setText(QStringLiteral("x-special/nautilus-clipboard\ncopy\n") + url(m_first).toString() +
                          QLatin1Char('\n'));
        else if (kind == QLatin1String("text"))
            mime->setText(QStringLiteral("hello"));
        else if (kind == QLatin1String("path as text"))
            mime->setText(m_first);
        else if (kind == QLatin1String("remote url"))
            mime->setUrls({QUrl(QStringLiteral("https://example.org/a.png"))});
        else if (kind == QLatin1String("corrupt file"))
            mime->setUrls({url(m_corrupt)});
        else if (kind == QLatin1String("huge file"))
            mime->setUrls({url(m_huge)});
        else if (kind == QLatin1String("missing file"))
            mime->setUrls({url(file(QStringLiteral("nowhere.png")))});
        return mime;
    }

    QImage expectedFor(const QString& kind) const
    {
        static const QStringList firstFile{QStringLiteral("file url"), QStringLiteral("three files"),
                                           QStringLiteral("gnome copied files"),
                                           QStringLiteral("nautilus text")};
        if (firstFile.contains(kind))
            return patternImage(31, 17);
        if (kind.endsWith(QLatin1String("bytes")) || kind == QLatin1String("image object"))
            return patternImage(20, 10);
        return {};
    }

    // Lets pool decodes finish and their queued hand-offs and compositions run.
    static void settle(AppState& state)
    {
        QThreadPool::globalInstance()->waitForDone();
        QTest::qWait(30); // a few event-loop turns: continuation, hand-off, composition
        QTRY_VERIFY(!state.isProcessing());
    }

    // A state whose current tab holds an image and one text annotation.
    std::unique_ptr<AppState> stateWithImage()
    {
        auto state = std::make_unique<AppState>(file(QStringLiteral("templates")));
        state->loadImage(patternImage(8, 8), false);
        state->addTextOverlay();
        settle(*state);
        return state;
    }

    static QImage source(const AppState& state)
    {
        const ScreenshotTab* tab = state.currentTab();
        return tab && tab->sourceImage ? asArgb(*tab->sourceImage) : QImage();
    }

  private slots:
    void initTestCase()
    {
        m_env = std::make_unique<IsolatedEnvironment>();
        m_first = file(QStringLiteral("first.png"));
        m_second = file(QStringLiteral("second.png"));
        m_third = file(QStringLiteral("third.jpg"));
        m_corrupt = file(QStringLiteral("corrupt.png"));
        m_huge = file(QStringLiteral("huge.png"));
        QVERIFY(patternImage(31, 17).save(m_first, "png"));
        QVERIFY(patternImage(5, 5).save(m_second, "png"));
        QVERIFY(patternImage(7, 7).save(m_third, "jpeg"));
        QFile corrupt(m_corrupt);
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, 'x'));
        corrupt.close();
        QFile huge(m_huge);
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write(hugeBmp());
    }

    void paste_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("image object") << QStringLiteral("image object");
        QTest::newRow("png bytes") << QStringLiteral("png bytes");
        QTest::newRow("bmp bytes") << QStringLiteral("bmp bytes");
        QTest::newRow("file copied in a file manager") << QStringLiteral("file url");
        QTest::newRow("GNOME copied files") << QStringLiteral("gnome copied files");
        QTest::newRow("Nautilus text form") << QStringLiteral("nautilus text");
        QTest::newRow("text") << QStringLiteral("text");
        QTest::newRow("a path as plain text") << QStringLiteral("path as text");
        QTest::newRow("remote url") << QStringLiteral("remote url");
        QTest::newRow("corrupt file") << QStringLiteral("corrupt file");
        QTest::newRow("huge file") << QStringLiteral("huge file");
    }

    // A paste replaces the current tab's image under its annotations, in the
    // same tab and without touching the history; anything else changes nothing.
    void paste()
    {
        QFETCH(QString, kind);
        auto state = stateWithImage();
        const QImage before = source(*state);
        const qsizetype tabs = state->tabs().size();

        QGuiApplication::clipboard()->setMimeData(mimeFor(kind).release());
        StreamCapture errors(2);
        state->pasteImage();
        settle(*state);

        const QImage expected = expectedFor(kind);
        QCOMPARE(source(*state), expected.isNull() ? before : asArgb(expected));
        QCOMPARE(state->tabs().size(), tabs);
        QCOMPARE(state->currentTextOverlays().size(), 1);
        QVERIFY(state->historyManager().canUndo());
        // Decoders may add their own chatter; ours is one line.
        const QByteArray logged = errors.text();
        QCOMPARE(logged.count("lustrelab: "), kind.endsWith(QLatin1String(" file")) ? 1 : 0);
    }

    void canReadImage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("offered");
        QTest::newRow("image object") << QStringLiteral("image object") << true;
        QTest::newRow("png bytes") << QStringLiteral("png bytes") << true;
        QTest::newRow("GNOME copied files") << QStringLiteral("gnome copied files") << true;
        QTest::newRow("text") << QStringLiteral("text") << false;
    }

    // The check behind the automatic paste when a window appears.
    void canReadImage()
    {
        QFETCH(QString, kind);
        QFETCH(bool, offered);
        QGuiApplication::clipboard()->setMimeData(mimeFor(kind).release());
        QCOMPARE(ClipboardService().canReadImage(), offered);
        QCOMPARE(ClipboardService().readImage().has_value(), offered);
    }

    void drop_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("tabHasImage");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("png bytes onto an empty tab") << QStringLiteral("png bytes") << false << true;
        QTest::newRow("png bytes onto a full tab") << QStringLiteral("png bytes") << true << true;
        QTest::newRow("image object") << QStringLiteral("image object") << true << true;
        QTest::newRow("file url onto an empty tab") << QStringLiteral("file url") << false << true;
        QTest::newRow("file url onto a full tab") << QStringLiteral("file url") << true << true;
        QTest::newRow("three files, first imported") << QStringLiteral("three files") << true << true;
        QTest::newRow("text snippet refused") << QStringLiteral("text") << false << false;
        QTest::newRow("remote url refused") << QStringLiteral("remote url") << true << false;
        QTest::newRow("corrupt file ignored") << QStringLiteral("corrupt file") << false << true;
        QTest::newRow("huge file ignored") << QStringLiteral("huge file") << true << true;
        QTest::newRow("missing file ignored") << QStringLiteral("missing file") << false << true;
    }

    // The answer comes at once, before anything decodes; an empty current tab
    // is filled, a full one gets a new tab; failures create nothing.
    void drop()
    {
        QFETCH(QString, kind);
        QFETCH(bool, tabHasImage);
        QFETCH(bool, accepted);
        auto state =
            tabHasImage ? stateWithImage() : std::make_unique<AppState>(file(QStringLiteral("templates")));
        const qsizetype tabs = state->tabs().size();
        const QImage before = source(*state);
        const auto mime = mimeFor(kind);

        QCOMPARE(state->dropMimeData(*mime), accepted);
        QCOMPARE(source(*state), before); // nothing happens inside the drop handler
        settle(*state);

        const QImage expected = expectedFor(kind);
        if (expected.isNull()) {
            QCOMPARE(state->tabs().size(), tabs);
            QCOMPARE(source(*state), before);
            return;
        }
        QCOMPARE(state->tabs().size(), tabHasImage ? tabs + 1 : tabs);
        QCOMPARE(source(*state), asArgb(expected));
        QVERIFY(state->currentTextOverlays().isEmpty());
    }

    void copyThenPasteRoundTrips()
    {
        auto state = stateWithImage();
        BeautySettings settings = state->settings();
        settings.exportScale = 3;
        settings.exportFormat = ExportFormat::jpeg;
        state->setSettings(settings);
        state->processImage();
        settle(*state);
        QVERIFY(state->currentTab()->processedImage);
        const QImage composed = asArgb(*state->currentTab()->processedImage);

        QGuiApplication::clipboard()->setText(QStringLiteral("earlier content"));
        state->copyToClipboard();
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime->hasImage());
        QVERIFY2(!mime->hasText(), "the composed image is the only item");
        QCOMPARE(asArgb(QGuiApplication::clipboard()->image()), composed); // scale 1, lossless

        state->pasteImage();
        settle(*state);
        QCOMPARE(source(*state), composed);
    }

    void copyWithoutComposedImageLeavesClipboard()
    {
        AppState state(file(QStringLiteral("templates")));
        QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
        state.copyToClipboard();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("keep me"));
    }
};

QTEST_MAIN(TestImageImport)
#include "tst_image_import.moc"
