// The desktop portal conversations (Screenshot, GlobalShortcuts) against a
// fake portal on a private D-Bus daemon, also when the portal misbehaves.

#include "io/portal_capture_backend.h"
#include "io/portal_global_shortcut.h"
#include "io/portal_probe.h"
#include "io/screen_capture_service.h"
#include "io_fixtures.h"

#include <QImageReader>
#include <QtDBus>
#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// The request path a portal method returns: made from the caller's unique
// name and its handle_token, as xdg-desktop-portal makes it.
QString requestPath(const QDBusMessage& message)
{
    const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
    return portalPath + QStringLiteral("/request/") + message.service().mid(1).replace(u'.', u'_') + u'/' +
           options.value(QStringLiteral("handle_token")).toString();
}

// The Response signal on `request`, sent after the method's reply.
void respondLater(const QDBusConnection& bus, const QString& request, uint code, const QVariantMap& results)
{
    QDBusMessage response = QDBusMessage::createSignal(
        request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    response << code << results;
    QTimer::singleShot(0, [bus, response] { bus.send(response); });
}

// Answers as xdg-desktop-portal does: a request method returns its request
// path, the Response signal follows on it. Calls in `withheld` ("Register",
// "Get <interface>") wait for release(), which stands for a slow portal, or
// never; with silentScreenshots Screenshot requests are never answered.
class FakePortal : public QDBusVirtualObject
{
  public:
    mutable QMutex mutex; // guards `state`
    struct State
    {
        QMap<QString, QList<QVariant>> calls; // the last call of each method
        QStringList withheld;
        QList<QDBusMessage> held;
        QStringList createdSessions, boundSessions, closedSessions, screenshotRequests, closedRequests;
        bool silentScreenshots = false;
        QString lacking; // an interface the portal does not offer
        uint responseCode = 0;
        QVariantMap results; // of a Screenshot
    } state;

    explicit FakePortal(QDBusConnection bus) : m_bus(std::move(bus)) {}
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QMutexLocker lock(&mutex);
        State& s = state;
        const QString member = message.member();
        s.calls.insert(member, message.arguments());
        const QString asked =
            member +
            (member == QLatin1String("Get") ? u' ' + message.arguments().value(0).toString() : QString());
        if (s.withheld.contains(asked)) {
            s.held.append(message);
            return true;
        }
        if (!s.lacking.isEmpty() && asked == QLatin1String("Get ") + s.lacking) {
            connection.send(message.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("no")));
            return true;
        }
        if (member == QLatin1String("Close"))
            (message.interface().endsWith(QLatin1String("Session")) ? s.closedSessions : s.closedRequests)
                << message.path();
        if (member == QLatin1String("Get") || member == QLatin1String("Register") ||
            member == QLatin1String("Close")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1))))); // version 1
            return true;
        }
        const QString request = requestPath(message);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap answer;
        if (member == QLatin1String("Screenshot")) {
            s.screenshotRequests << request;
            if (s.silentScreenshots)
                return true;
            answer = s.results;
        } else if (member == QLatin1String("CreateSession")) {
            s.createdSessions << portalPath +
                                     QStringLiteral("/session/1_1/s%1").arg(s.createdSessions.size());
            answer.insert(QStringLiteral("session_handle"), s.createdSessions.constLast());
        } else if (member == QLatin1String("BindShortcuts")) {
            s.boundSessions << message.arguments().value(0).value<QDBusObjectPath>().path();
        }
        respondLater(m_bus, request, member == QLatin1String("Screenshot") ? s.responseCode : 0u, answer);
        return true;
    }

    void activate(const QString& session, const QString& id)
    {
        QDBusMessage signal =
            QDBusMessage::createSignal(portalPath, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
                                       QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(42) << QVariantMap();
        m_bus.send(signal);
    }

    void respond(const QString& request) { respondLater(m_bus, request, 0, {}); }

    QList<QVariant> call(const QString& member) const { return read(&State::calls).value(member); }

    template <typename T> T read(T State::*member) const
    {
        QMutexLocker lock(&mutex);
        return state.*member;
    }

    template <typename Change> void change(Change change)
    {
        QMutexLocker lock(&mutex);
        change(state);
    }

    bool answerScreenshots(uint code, const QString& path)
    {
        change([&](State& s) {
            s.responseCode = code;
            s.results[QStringLiteral("uri")] = QUrl::fromLocalFile(path).toString();
        });
        return patternImage(12, 9).save(path);
    }

    // Answers what was held back; answers nothing more from now on.
    void release()
    {
        QMutexLocker lock(&mutex);
        for (const QDBusMessage& message : std::as_const(state.held))
            m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
        state.held.clear();
        state.withheld.clear();
    }

  private:
    QDBusConnection m_bus;
};

using Recorded = FakePortal::State;

} // namespace

class TestDesktopPortal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    test::PrivateSessionBus m_daemon; // code that finds the portal by itself looks here
    // The fake portal answers from a thread of its own, as a real portal
    // does, so that the client's blocking calls get their answers.
    QThread m_portalThread;
    std::unique_ptr<FakePortal> m_portal;
    int m_connections = 0;

    QDBusConnection newConnection()
    {
        return QDBusConnection::connectToBus(m_daemon.address(),
                                             QStringLiteral("client%1").arg(++m_connections));
    }
    QDBusConnection portalBus()
    {
        return QDBusConnection::connectToBus(m_daemon.address(), QStringLiteral("portal"));
    }

  public:
    ~TestDesktopPortal() override
    {
        m_portalThread.quit();
        m_portalThread.wait();
    }

  private slots:
    void initTestCase()
    {
        if (m_daemon.address().isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_portal = std::make_unique<FakePortal>(portalBus());
        QVERIFY(portalBus().registerVirtualObject(portalPath, m_portal.get(), QDBusConnection::SubPath));
        m_portalThread.start();
        m_portal->moveToThread(&m_portalThread);
        QVERIFY(portalBus().registerService(portalService));
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
        qunsetenv("WAYLAND_DISPLAY");
    }

    void init()
    {
        m_portal->change([](Recorded& s) { s = {}; });
    }

    // A row that took the portal off the bus gives it back, even on failure.
    void cleanup()
    {
        QDBusConnection bus = portalBus();
        if (!bus.interface()->isServiceRegistered(portalService))
            QVERIFY(bus.registerService(portalService));
    }

    void screenshot_data()
    {
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QString>("portalFile"); // what the portal hands back
        QTest::addColumn<uint>("response");
        QTest::addColumn<bool>("interactive");
        QTest::addColumn<QString>("failure"); // why the capture ended unanswered
        QTest::addColumn<QString>("said");    // the one line on standard error; empty: nothing
        const auto row = [](const char* name, CaptureMode mode, const char* file, uint response,
                            bool interactive, const char* failure = "", const char* said = "") {
            QTest::newRow(name) << mode << QString(file) << response << interactive << QString(failure)
                                << QString(said);
        };
        const CaptureMode region = CaptureMode::region;
        row("full screen", CaptureMode::fullScreen, "shot.png", 0, false);
        row("region", region, "shot.png", 0, true);
        row("window, jpeg made png", CaptureMode::window, "shot.jpeg", 0, true);
        // Escape in the desktop's dialog is the user's choice, like Escape in
        // any tool; only an ending the user did not choose is reported.
        row("cancelled by the user: nothing to say", region, "shot.png", 1, true);
        row("ended otherwise: said, and not called a refusal", region, "shot.png", 2, true, "",
            "(response 2:");
        row("the portal leaves the bus", region, "shot.png", 0, true, "left the session bus");
        row("the portal stays silent", region, "shot.png", 0, true, "no answer within 0.3 seconds");
    }
    // The backend's contract on top of the portal: a PNG at the path, or none.
    // Unanswered, the capture ends once, with the reason, and a late answer
    // changes nothing; after the time limit the portal is asked to close its
    // dialog.
    void screenshot()
    {
        QFETCH(CaptureMode, mode);
        QFETCH(QString, portalFile);
        QFETCH(uint, response);
        QFETCH(bool, interactive);
        QFETCH(QString, failure);
        QFETCH(QString, said);
        const bool silent = failure.startsWith(u"no answer"), answered = failure.isEmpty();
        QVERIFY(m_portal->answerScreenshots(response, m_dir.filePath(portalFile)));
        m_portal->change([&](Recorded& s) { s.silentScreenshots = !answered; });
        PortalCaptureBackend backend(newConnection());
        if (silent)
            backend.setResponseTimeout(std::chrono::milliseconds(300));
        const QString path = m_dir.filePath(QStringLiteral("capture.png"));
        QFile::remove(path);
        QStringList errors;
        test::StreamCapture err(stderr);
        backend.capture(mode, path, [&errors](const QString& error) { errors << error; });
        QTRY_COMPARE(m_portal->read(&Recorded::screenshotRequests).size(), 1);
        const QString request = m_portal->read(&Recorded::screenshotRequests).constLast();
        if (!answered && !silent)
            QVERIFY(portalBus().unregisterService(portalService));
        QTRY_COMPARE(errors.size(), 1); // at once, or after 0.3 s
        QVERIFY2(answered ? errors.first().isEmpty() : errors.first().contains(failure),
                 qPrintable(errors.first()));
        if (silent)
            QTRY_VERIFY(m_portal->read(&Recorded::closedRequests).contains(request));
        if (!answered) {
            m_portal->respond(request); // too late
            QVERIFY(!QTest::qWaitFor([&] { return errors.size() > 1; }, 100));
        }
        const QString text = QString::fromLocal8Bit(err.text());
        if (answered)
            QVERIFY2(said.isEmpty()
                         ? text.isEmpty()
                         : text.contains(said) && !text.contains(u"refused") && text.count(u'\n') == 1,
                     qPrintable(text));

        const QList<QVariant> call = m_portal->call(QStringLiteral("Screenshot"));
        QCOMPARE(call.value(0).toString(), QString()); // no X11 window on this platform
        QCOMPARE(qdbus_cast<QVariantMap>(call.value(1)).value(QStringLiteral("interactive")).toBool(),
                 interactive);
        const bool written = answered && response == 0;
        QImageReader file(path); // by content: a JPEG from the portal must have become a PNG
        QCOMPARE(file.format(), written ? QByteArray("png") : QByteArray());
        QCOMPARE(file.read().size(), written ? QSize(12, 9) : QSize(0, 0));
        QVERIFY(QFile::exists(m_dir.filePath(portalFile))); // the portal's file is not ours to delete
    }

    // Asking whether the portal is there never holds up the caller, even when
    // the portal answers at once. A capture started while the portal is still
    // being asked runs once the question is settled: through the portal when
    // it answers, even late, through the next tool when it never does or lacks
    // the interface.
    void captureWhileThePortalIsAsked_data()
    {
        QTest::addColumn<QString>("portal");
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QSize>("captured"); // the portal's picture is 12 x 9, the tool's 24 x 16
        QTest::newRow("answers") << "answers"
                                 << "portal" << QSize(12, 9);
        QTest::newRow("answers late") << "late"
                                      << "portal" << QSize(12, 9);
        QTest::newRow("never answers") << "silent"
                                       << "gnome-screenshot" << QSize(24, 16);
        QTest::newRow("lacks the interface") << "lacking"
                                             << "gnome-screenshot" << QSize(24, 16);
    }
    void captureWhileThePortalIsAsked()
    {
        QFETCH(QString, portal);
        QVERIFY(m_portal->answerScreenshots(0, m_dir.filePath(QStringLiteral("portal.png"))));
        FakeTools tools; // the tool after the portal in the automatic order
        tools.addRecordingTool(QStringLiteral("gnome-screenshot"));
        const QString screenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
        if (portal == QLatin1String("late") || portal == QLatin1String("silent"))
            m_portal->change([&](Recorded& s) { s.withheld << QLatin1String("Get ") + screenshot; });
        if (portal == QLatin1String("lacking"))
            m_portal->change([&](Recorded& s) { s.lacking = screenshot; });

        ScreenCaptureService service;
        QFuture<QImage> capture = service.capture(CaptureMode::region);
        QVERIFY(!service.backend()); // the call came back before the portal did
        if (portal == QLatin1String("late")) {
            QTRY_VERIFY(service.isCapturing() && !m_portal->call(QStringLiteral("Get")).isEmpty());
            QVERIFY(!service.backend());
            m_portal->release();
        }
        QTRY_VERIFY_WITH_TIMEOUT(capture.isFinished(), 6000); // the probe gives up after 3 s
        QTEST(service.backend()->name(), "backend");
        QTEST(capture.result().size(), "captured");
    }

    // The app id is registered first and the session waits for its answer;
    // a registry that is slow, or never answers, delays the binding without
    // losing it. However often the shortcut is taken and given back before
    // the portal answers, only the last registration gets a session, bound
    // once, and it is closed when given back; one given back before the
    // answer never asks for a session. Only presses of our shortcut in our
    // session count.
    void globalShortcut_data()
    {
        QTest::addColumn<QString>("steps"); // r: register, u: give back
        QTest::addColumn<QString>("registry");
        for (const char* registry : {"at once", "late", "never"})
            QTest::addRow("taken, registry answers %s", registry) << "r" << QString(registry);
        QTest::newRow("taken and given back") << QString("ru") << "at once";
        QTest::newRow("taken again") << QString("rur") << "at once";
        QTest::newRow("taken three times") << QString("rurur") << "at once";
        QTest::newRow("taken again, given back") << QString("ruru") << "at once";
    }
    void globalShortcut()
    {
        QFETCH(QString, steps);
        QFETCH(QString, registry);
        const bool slowRegistry = registry != QLatin1String("at once");
        if (slowRegistry)
            m_portal->change([](Recorded& s) { s.withheld << QStringLiteral("Register"); });
        PortalGlobalShortcut shortcut(newConnection(), QStringLiteral("org.lustrelab.Test"));
        QSignalSpy finished(&shortcut, &PortalGlobalShortcut::bindingFinished);
        QSignalSpy activated(&shortcut, &GlobalShortcut::activated);
        for (const QChar step : steps) {
            if (step == u'r')
                QVERIFY(shortcut.registerShortcut());
            else
                shortcut.unregisterShortcut();
        }
        QTRY_COMPARE(m_portal->call(QStringLiteral("Register")).value(0).toString(),
                     QStringLiteral("org.lustrelab.Test"));
        if (slowRegistry) {
            QVERIFY(m_portal->call(QStringLiteral("CreateSession")).isEmpty());
            if (registry == QLatin1String("late"))
                m_portal->release();
        }
        const bool registered = steps.endsWith(u'r');
        if (registered) {
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 6000); // the registry is given 3 s
            QVERIFY(finished.first().first().toBool());
        }
        QVERIFY(!finished.wait(100)); // nor a late answer
        const QStringList sessions = m_portal->read(&Recorded::createdSessions);
        QCOMPARE(sessions.size(), registered ? 1 : 0);
        QCOMPARE(m_portal->read(&Recorded::closedSessions), QStringList());
        QCOMPARE(m_portal->read(&Recorded::boundSessions), sessions);
        if (registered) {
            QCOMPARE(shortcut.session(), sessions.constLast());
            const QString id = PortalGlobalShortcut::shortcutId;
            m_portal->activate(shortcut.session(), QStringLiteral("something-else"));
            m_portal->activate(portalPath + QStringLiteral("/session/1_1/other"), id);
            m_portal->activate(shortcut.session(), id);
            QTRY_COMPARE(activated.size(), 1);
            QVERIFY(!activated.wait(50)); // nor a second one late
        }
        shortcut.unregisterShortcut();
        QTRY_COMPARE(m_portal->read(&Recorded::closedSessions), sessions);
    }
};

QTEST_MAIN(TestDesktopPortal)
#include "tst_desktop_portal.moc"
