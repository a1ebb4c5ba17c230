// Paste, drop and copy through AppState, on the offscreen platform's
// in-process clipboard.

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

class TestImageImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;

    QUrl url(const char* name) const
    {
        return QUrl::fromLocalFile(m_env->filePath(QString::fromLatin1(name)));
    }

    // Clipboard or drop content, and the image it should give (null: none).
    std::pair<std::unique_ptr<QMimeData>, QImage> content(const QString& kind) const
    {
        auto mime = std::make_unique<QMimeData>();
        QImage expected = patternImage(31, 17); // first.png
        if (kind == QLatin1String("image object")) {
            mime->setImageData(expected = patternImage(20, 10));
        } else if (kind == QLatin1String("png bytes")) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            (expected = patternImage(20, 10)).save(&buffer, "png");
            mime->setData(QStringLiteral("image/png"), bytes);
        } else if (kind == QLatin1String("file url")) {
            mime->setUrls({url("first.png")});
        } else if (kind == QLatin1String("three files")) {
            mime->setUrls({url("first.png"), url("second.png"), url("third.jpg")});
        } else if (kind == QLatin1String("GNOME copied files")) {
            mime->setData(QStringLiteral("x-special/gnome-copied-files"),
                          "copy\n" + url("first.png").toEncoded() + "\n" + url("second.png").toEncoded());
        } else {
            expected = {};
            if (kind == QLatin1String("text"))
                mime->setText(QStringLiteral("hello"));
            else
                mime->setUrls({url(kind == QLatin1String("corrupt file") ? "corrupt.png" : "huge.bmp")});
        }
        return {std::move(mime), expected};
    }

    // Lets pool decodes finish and their queued hand-offs and compositions run.
    static void settle(AppState& state)
    {
        QThreadPool::globalInstance()->waitForDone();
        QTest::qWait(30);
        QTRY_VERIFY(!state.isProcessing());
    }

    // The current tab holds an image and one text annotation.
    std::unique_ptr<AppState> newState(bool withImage)
    {
        auto state = std::make_unique<AppState>(m_env->filePath(QStringLiteral("templates")));
        if (withImage) {
            state->loadImage(patternImage(8, 8), false);
            state->addTextOverlay();
            settle(*state);
        }
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
        QVERIFY(patternImage(31, 17).save(m_env->filePath(QStringLiteral("first.png"))));
        QVERIFY(patternImage(5, 5).save(m_env->filePath(QStringLiteral("second.png"))));
        QVERIFY(patternImage(7, 7).save(m_env->filePath(QStringLiteral("third.jpg"))));
        QFile corrupt(m_env->filePath(QStringLiteral("corrupt.png")));
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, 'x'));
        // A valid BMP whose header announces 60000 x 60000 pixels (14 GB decoded).
        QByteArray bmp;
        QBuffer buffer(&bmp);
        patternImage(2, 2).save(&buffer, "bmp");
        qToLittleEndian<qint32>(60000, bmp.data() + 18);
        qToLittleEndian<qint32>(60000, bmp.data() + 22);
        QFile huge(m_env->filePath(QStringLiteral("huge.bmp")));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write(bmp);
    }

    void paste_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind :
             {"image object", "png bytes", "file url", "GNOME copied files", "text", "corrupt file"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    // The image under the current tab's annotations changes, in the same tab;
    // anything that is not an image changes nothing.
    void paste()
    {
        QFETCH(QString, kind);
        auto state = newState(true);
        const QImage before = source(*state);
        const qsizetype tabs = state->tabs().size();
        auto [mime, expected] = content(kind);
        QGuiApplication::clipboard()->setMimeData(mime.release());
        state->pasteImage();
        settle(*state);
        QCOMPARE(source(*state), expected.isNull() ? before : asArgb(expected));
        QCOMPARE(state->tabs().size(), tabs);
        QCOMPARE(state->currentTextOverlays().size(), 1);
    }

    void drop_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("tabHasImage");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("png bytes onto an empty tab") << "png bytes" << false << true;
        QTest::newRow("image object onto a full tab") << "image object" << true << true;
        QTest::newRow("file url onto an empty tab") << "file url" << false << true;
        QTest::newRow("three files onto a full tab, first imported") << "three files" << true << true;
        QTest::newRow("text snippet refused") << "text" << false << false;
        QTest::newRow("corrupt file ignored") << "corrupt file" << false << true;
        QTest::newRow("huge file ignored") << "huge file" << true << true;
    }
    // The answer comes at once, before anything decodes; an empty current tab
    // is filled, a full one gets a new tab; failures create nothing.
    void drop()
    {
        QFETCH(QString, kind);
        QFETCH(bool, tabHasImage);
        QFETCH(bool, accepted);
        auto state = newState(tabHasImage);
        const QImage before = source(*state);
        const qsizetype tabs = state->tabs().size();
        const auto [mime, expected] = content(kind);
        QCOMPARE(state->dropMimeData(*mime), accepted);
        QCOMPARE(source(*state), before);
        settle(*state);
        QCOMPARE(state->tabs().size(), tabHasImage && !expected.isNull() ? tabs + 1 : tabs);
        QCOMPARE(source(*state), expected.isNull() ? before : asArgb(expected));
    }

    // The composed image goes alone onto the clipboard at scale 1, lossless,
    // whatever the export settings say.
    void copyThenPasteRoundTrips()
    {
        auto state = newState(true);
        BeautySettings settings = state->settings();
        settings.exportScale = 3;
        settings.exportFormat = ExportFormat::jpeg;
        state->setSettings(settings);
        state->processImage();
        settle(*state);
        const QImage composed = asArgb(*state->currentTab()->processedImage);
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier content"));
        state->copyToClipboard();
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasText());
        QCOMPARE(asArgb(QGuiApplication::clipboard()->image()), composed);
        state->pasteImage();
        settle(*state);
        QCOMPARE(source(*state), composed);
    }
};

QTEST_MAIN(TestImageImport)
#include "tst_image_import.moc"
