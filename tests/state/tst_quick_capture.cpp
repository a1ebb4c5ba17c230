#include "fake_notifications.h"
#include "io/clipboard_service.h"
#include "io/export_service.h"
#include "render/image_processor.h"
#include "state/preferences_store.h"
#include "state/quick_capture.h"
#include "state/template_manager.h"
#include "test_fixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtDBus>
#include <QtTest>

using namespace lustrelab;
using AfterCapture = PreferencesStore::AfterCapture;

class TestQuickCapture : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;
    test::PrivateSessionBus m_bus;
    test::FakeNotifications m_server;
    const QImage m_capture = test::solidImage(120, 80, Qt::darkCyan);
    TemplateManager m_templates{m_home.filePath(QStringLiteral("templates"))};
    ClipboardService m_clipboard;
    PreferencesStore m_preferences;

    QDBusConnection serverBus()
    {
        return QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server"));
    }

    static QImage clipboardImage() { return QGuiApplication::clipboard()->image(); }

  private slots:
    void initTestCase()
    {
        if (m_bus.address().isEmpty())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(m_server.registerOn(serverBus()));
    }

    void init()
    {
        m_server.shown.clear();
        QGuiApplication::clipboard()->clear();
    }

    void stylesCopiesAndSaves_data()
    {
        QTest::addColumn<AfterCapture>("after");
        QTest::addColumn<QString>("templateName"); // "gone": chosen, then deleted
        QTest::addColumn<QString>("folder");       // "blocked": a file stands where the folder goes
        QTest::addColumn<QString>("summary");
        QTest::addColumn<bool>("copied");
        QTest::addColumn<bool>("saved");
        // The preference "Default export scale" (0: not chosen) and the scale
        // the copy and the file get: the 1x capture's own unless chosen,
        // whatever the styling's exportScale.
        QTest::addColumn<double>("preferredScale");
        QTest::addColumn<double>("scale");

        const auto row = [](const char* name, AfterCapture after, const char* templateName,
                            const char* folder, const char* summary, bool copied, bool saved,
                            double preferred = 0, double scale = 1) {
            QTest::newRow(name) << after << QString(templateName) << QString(folder) << QString(summary)
                                << copied << saved << preferred << scale;
        };
        row("new tab: not taken", AfterCapture::openInNewTab, "", "", "", false, false);
        row("copy, current styling", AfterCapture::styleAndCopy, "", "", "Styled screenshot copied", true,
            false);
        row("copy and save, template", AfterCapture::styleCopyAndSave, "Wide", "shots",
            "Styled screenshot copied and saved", true, true);
        row("copy and save, 3x chosen", AfterCapture::styleCopyAndSave, "", "shots",
            "Styled screenshot copied and saved", true, true, 3, 3);
        row("template deleted since", AfterCapture::styleAndCopy, "gone", "", "Screenshot not styled", false,
            false);
        row("folder cannot be made", AfterCapture::styleCopyAndSave, "", "blocked", "Screenshot not saved",
            false, false);
    }
    void stylesCopiesAndSaves()
    {
        QFETCH(AfterCapture, after);
        QFETCH(QString, templateName);
        QFETCH(QString, folder);
        QFETCH(bool, copied);
        QFETCH(bool, saved);
        QFETCH(double, preferredScale);
        QFETCH(double, scale);

        QTemporaryDir dir;
        TemplateManager templates(dir.filePath(QStringLiteral("templates")));
        const BeautySettings wide{.padding = 40, .exportScale = 3}, current{.exportScale = 2};
        templates.saveTemplate(QStringLiteral("Wide"), wide);

        PreferencesStore preferences;
        preferences.setDefaultExportScale(preferredScale > 0 ? std::optional(preferredScale) : std::nullopt);
        const auto unchoose = qScopeGuard([] { PreferencesStore().setDefaultExportScale(std::nullopt); });
        preferences.setAfterCapture(after);
        preferences.setQuickCaptureTemplate(templateName);
        QString folderPath = dir.filePath(folder);
        if (folder == u"blocked") {
            QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
            folderPath = dir.filePath(QStringLiteral("file/shots"));
        }
        preferences.setQuickCaptureFolder(folderPath);

        ClipboardService clipboard;
        QuickCapture quick(templates, clipboard, preferences);
        QSignalSpy finished(&quick, &QuickCapture::finished);
        QSignalSpy opened(&quick, &QuickCapture::openRequested);
        QCOMPARE(quick.take(m_capture, current), after != AfterCapture::openInNewTab);
        if (after == AfterCapture::openInNewTab)
            return;

        QTRY_COMPARE(finished.size(), 1);
        QTRY_COMPARE(m_server.shown.size(), 1);
        QTEST(m_server.shown[0].summary, "summary");
        // Nothing is lost: what could not be styled waits in a tab, unasked for.
        QCOMPARE(opened.size(), copied ? 0 : 1);
        if (!copied) {
            QCOMPARE(opened[0][1].toBool(), false);
            QVERIFY(clipboardImage().isNull());
            // The tab it waits in is a click away.
            QCOMPARE(m_server.shown[0].actions.value(1), QStringLiteral("Open in Lustrelab"));
            if (folder == u"blocked") // where it could not go
                QVERIFY2(m_server.shown[0].body.contains(folderPath), qPrintable(m_server.shown[0].body));
            return;
        }
        const BeautySettings& used = templateName.isEmpty() ? current : wide;
        const QImage expected = ExportService::scaleImage(ImageProcessor().compose(m_capture, used), scale);
        QTRY_VERIFY(!clipboardImage().isNull());
        QCOMPARE(clipboardImage().size(), expected.size());
        QVERIFY(m_server.shown[0].hasImage);
        // A thumbnail, in the styled image's proportions.
        const QSize thumbnail = m_server.shown[0].imageSize;
        QVERIFY(thumbnail.width() <= 256 && thumbnail.height() <= 256);
        QVERIFY2(std::abs(thumbnail.width() * expected.height() - thumbnail.height() * expected.width()) <=
                     std::max(expected.width(), expected.height()),
                 qPrintable(QStringLiteral("%1 x %2").arg(thumbnail.width()).arg(thumbnail.height())));
        QCOMPARE(m_server.shown[0].actions.value(1), QStringLiteral("Open in Lustrelab"));

        const QStringList files = QDir(folderPath).entryList(QDir::Files);
        QCOMPARE(files.size(), saved ? 1 : 0);
        if (saved) {
            QVERIFY(files[0].startsWith(QLatin1String("Screenshot ")));
            QCOMPARE(m_server.shown[0].body, QDir(folderPath).filePath(files[0]));
            QCOMPARE(QImage(m_server.shown[0].body).size(), expected.size());
        }
    }

    void theActionOpensTheCapture_data()
    {
        QTest::addColumn<bool>("saves");    // into a folder that cannot be made
        QTest::addColumn<QString>("token"); // empty: a server that sends none
        QTest::newRow("copied: the capture opens, with the server's token")
            << false << "fake-notification-token";
        QTest::newRow("copied: the server sends no token") << false << "";
        QTest::newRow("not saved: its waiting tab comes forward") << true << "fake-notification-token";
    }
    // The notification's action brings the capture into a tab, and the
    // window forward with the token the server hands out for that (Wayland);
    // a capture already waiting in a tab is not opened twice.
    void theActionOpensTheCapture()
    {
        QFETCH(bool, saves);
        QFETCH(QString, token);
        m_server.shown.clear();
        QTemporaryDir dir;
        QVERIFY(test::writeFile(dir.filePath(QStringLiteral("file")), "x"));
        PreferencesStore().setAfterCapture(saves ? AfterCapture::styleCopyAndSave
                                                 : AfterCapture::styleAndCopy);
        PreferencesStore().setQuickCaptureTemplate({});
        PreferencesStore().setQuickCaptureFolder(dir.filePath(QStringLiteral("file/shots")));
        QuickCapture quick(m_templates, m_clipboard, m_preferences);
        QSignalSpy opened(&quick, &QuickCapture::openRequested);
        QSignalSpy forward(&quick, &QuickCapture::windowRequested);
        QVERIFY(quick.take(m_capture, BeautySettings{}));
        QTRY_COMPARE(m_server.shown.size(), 1);
        QTest::qWait(50); // the id of the notification arrives with the reply

        QDBusMessage invoked = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                          QStringLiteral("org.freedesktop.Notifications"),
                                                          QStringLiteral("ActionInvoked"));
        const uint id = m_server.shown.size(); // the fake numbers its notifications from 1
        if (!token.isEmpty()) {
            QDBusMessage tokenSignal = QDBusMessage::createSignal(
                QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActivationToken"));
            tokenSignal << id << token;
            QVERIFY(serverBus().send(tokenSignal));
        }
        invoked << id << QStringLiteral("default-open");
        QVERIFY(serverBus().send(invoked));
        if (saves) {
            QTRY_COMPARE(forward.size(), 1);
            QCOMPARE(forward[0][0].toString(), token);
            QCOMPARE(opened.size(), 1); // the tab it waits in, unasked for
            QCOMPARE(opened[0][1].toBool(), false);
            return;
        }
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0].value<QImage>(), m_capture);
        QCOMPARE(opened[0][1].toBool(), true);
        QCOMPARE(opened[0][2].toString(), token);
        QCOMPARE(forward.size(), 0);
    }

    void withoutServerOneLineOnStandardOutput()
    {
        QVERIFY(serverBus().unregisterService(QStringLiteral("org.freedesktop.Notifications")));
        PreferencesStore().setAfterCapture(AfterCapture::styleAndCopy);
        QuickCapture quick(m_templates, m_clipboard, m_preferences);
        test::StreamCapture out(stdout);
        QVERIFY(quick.take(m_capture, BeautySettings{}));
        QTRY_VERIFY(out.peek().contains("lustrelab: Styled screenshot copied"));
        QCOMPARE(out.text().count('\n'), 1);
        QVERIFY(serverBus().registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
};

QTEST_MAIN(TestQuickCapture)
#include "tst_quick_capture.moc"
