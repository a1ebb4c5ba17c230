// The desktop portal conversations (Screenshot, GlobalShortcuts) against a
// fake portal on a private D-Bus daemon.

#include "io/portal_capture_backend.h"
#include "io/portal_global_shortcut.h"
#include "io/portal_probe.h"
#include "io/screen_capture_service.h"
#include "io_fixtures.h"
#include "portal_bus.h"

#include <QImageReader>
#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

const QString sessionPath = portalPath + QStringLiteral("/session/1_1/lustrelab");

// Answers the way xdg-desktop-portal does: a request method returns its
// request path, and the Response signal follows on it. Calls named in
// `withheld` ("Register", or "Get" and the interface asked about) get no
// answer until release(), which stands for a slow portal, or never.
class FakePortal : public QDBusVirtualObject
{
  public:
    explicit FakePortal(QDBusConnection bus) : m_bus(std::move(bus)) {}
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QMutexLocker lock(&mutex);
        const QString member = message.member();
        calls.insert(member, message.arguments());
        const QString asked = member == QLatin1String("Get")
                                  ? member + QLatin1Char(' ') + message.arguments().value(0).toString()
                                  : member;
        if (withheld.contains(asked)) {
            held.append(message);
            return true;
        }
        if (asked == QLatin1String("Get org.example.Missing")) {
            connection.send(message.createErrorReply(QDBusError::UnknownInterface, QStringLiteral("no")));
            return true;
        }
        if (member == QLatin1String("Get") || member == QLatin1String("Register") ||
            member == QLatin1String("Close")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1))))); // version 1
            return true;
        }
        const QString request = requestPath(message);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        respondLater(m_bus, request, member == QLatin1String("Screenshot") ? responseCode : 0u, results);
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

    QList<QVariant> call(const QString& member) const
    {
        QMutexLocker lock(&mutex);
        return calls.value(member);
    }

    void withhold(const QString& asked)
    {
        QMutexLocker lock(&mutex);
        withheld << asked;
    }

    // Answers what was held back; answers nothing more from now on.
    void release()
    {
        QMutexLocker lock(&mutex);
        for (const QDBusMessage& message : std::as_const(held))
            m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
        held.clear();
        withheld.clear();
    }

    void forget()
    {
        QMutexLocker lock(&mutex);
        calls.clear();
        held.clear();
        withheld.clear();
    }

    mutable QMutex mutex;                 // guards everything below
    QMap<QString, QList<QVariant>> calls; // the last call of each method
    QStringList withheld;
    QList<QDBusMessage> held;
    uint responseCode = 0;
    QVariantMap results{{QStringLiteral("session_handle"), sessionPath}};

  private:
    QDBusConnection m_bus;
};

} // namespace

class TestDesktopPortal : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<FakePortal> m_portal; // destroyed after the bus has stopped its thread
    PortalBus m_bus;
    int m_connections = 0;

    QDBusConnection newConnection() { return m_bus.connect(QStringLiteral("client%1").arg(++m_connections)); }

  private slots:
    void initTestCase()
    {
        if (!PortalBus::available())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(m_bus.start());
        const QDBusConnection portalBus = newConnection();
        m_portal = std::make_unique<FakePortal>(portalBus);
        QVERIFY(m_bus.serve(portalBus, m_portal.get()));
        // Code that finds the portal by itself looks on the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        qunsetenv("LUSTRELAB_CAPTURE_BACKEND");
        qunsetenv("WAYLAND_DISPLAY");
    }

    void init()
    {
        if (m_portal)
            m_portal->forget();
    }

    void screenshot_data()
    {
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QString>("portalFile"); // what the portal hands back
        QTest::addColumn<uint>("response");
        QTest::addColumn<bool>("interactive");
        QTest::newRow("full screen") << CaptureMode::fullScreen << "shot.png" << 0u << false;
        QTest::newRow("region") << CaptureMode::region << "shot.png" << 0u << true;
        QTest::newRow("window, jpeg made png") << CaptureMode::window << "shot.jpeg" << 0u << true;
        QTest::newRow("cancelled") << CaptureMode::region << "shot.png" << 1u << true;
    }
    // The backend's contract on top of the portal: a PNG at the path, or none.
    void screenshot()
    {
        QFETCH(CaptureMode, mode);
        QFETCH(QString, portalFile);
        QFETCH(uint, response);
        QFETCH(bool, interactive);
        QVERIFY(patternImage(12, 9).save(m_dir.filePath(portalFile)));
        {
            QMutexLocker lock(&m_portal->mutex);
            m_portal->responseCode = response;
            m_portal->results[QStringLiteral("uri")] =
                QUrl::fromLocalFile(m_dir.filePath(portalFile)).toString();
        }
        PortalCaptureBackend backend(newConnection());
        const QString path = m_dir.filePath(QStringLiteral("capture.png"));
        QFile::remove(path);
        std::optional<QString> error;
        backend.capture(mode, path, [&error](const QString& e) { error = e; });
        QTRY_VERIFY(error.has_value());
        QCOMPARE(*error, QString());

        const QList<QVariant> call = m_portal->call(QStringLiteral("Screenshot"));
        QCOMPARE(call.value(0).toString(), QString()); // no X11 window on this platform
        QCOMPARE(qdbus_cast<QVariantMap>(call.value(1)).value(QStringLiteral("interactive")).toBool(),
                 interactive);
        QImageReader written(path); // by content: a JPEG from the portal must have become a PNG
        QCOMPARE(written.format(), response == 0 ? QByteArray("png") : QByteArray());
        QCOMPARE(written.read().size(), response == 0 ? QSize(12, 9) : QSize(0, 0));
        QVERIFY(QFile::exists(m_dir.filePath(portalFile))); // the portal's file is not ours to delete
    }

    // Register, create a session, bind Ctrl+Shift+6 in it; only presses of our
    // shortcut in our session count.
    void globalShortcut()
    {
        PortalGlobalShortcut shortcut(newConnection(), QStringLiteral("org.lustrelab.Test"));
        QSignalSpy bound(&shortcut, &PortalGlobalShortcut::bindingFinished);
        QSignalSpy activated(&shortcut, &GlobalShortcut::activated);
        QVERIFY(shortcut.registerShortcut());
        QTRY_COMPARE(bound.size(), 1);
        QVERIFY(bound.first().first().toBool());
        QCOMPARE(m_portal->call(QStringLiteral("BindShortcuts")).value(0).value<QDBusObjectPath>().path(),
                 sessionPath);
        const QString id = PortalGlobalShortcut::shortcutId;
        m_portal->activate(sessionPath, QStringLiteral("something-else"));
        m_portal->activate(portalPath + QStringLiteral("/session/1_1/other"), id);
        m_portal->activate(sessionPath, id);
        QTRY_COMPARE(activated.size(), 1);
        QTest::qWait(50);
        QCOMPARE(activated.size(), 1);
    }
    // Asking whether the portal is there never holds up the caller: the answer
    // comes later on the event loop, whether the portal answers at once, late
    // or never.
    void availabilityDoesNotWait_data()
    {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("portal"); // "answers", "late", "silent"
        QTest::addColumn<bool>("available");
        const QString screenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
        QTest::newRow("answers") << screenshot << "answers" << true;
        QTest::newRow("answers late") << screenshot << "late" << true;
        QTest::newRow("never answers") << screenshot << "silent" << false;
        QTest::newRow("lacks the interface") << "org.example.Missing"
                                             << "answers" << false;
    }
    void availabilityDoesNotWait()
    {
        QFETCH(QString, interface);
        QFETCH(QString, portal);
        QFETCH(bool, available);
        if (portal != QLatin1String("answers"))
            m_portal->withhold(QStringLiteral("Get ") + interface);
        QObject context;
        std::optional<bool> answer;
        probePortalInterface(
            newConnection(), interface, &context, [&](bool a) { answer = a; }, 500);
        QVERIFY(!answer); // the call came back before the portal did
        if (portal == QLatin1String("late")) {
            bool later = false; // an event queued after the call runs first
            QTimer::singleShot(0, [&] { later = true; });
            QTRY_VERIFY(later);
            QVERIFY(!answer);
            m_portal->release();
        }
        QTRY_VERIFY(answer);
        QCOMPARE(*answer, available);
    }

    // A capture started while the portal is still being asked runs once the
    // question is settled: through the portal when it answers, even late,
    // through the next tool when it never does.
    void captureWhileThePortalIsAsked_data()
    {
        QTest::addColumn<QString>("portal");
        QTest::addColumn<QSize>("captured"); // the portal's picture is 12 x 9, the tool's 24 x 16
        QTest::newRow("answers") << "answers" << QSize(12, 9);
        QTest::newRow("answers late") << "late" << QSize(12, 9);
        QTest::newRow("never answers") << "silent" << QSize(24, 16);
    }
    void captureWhileThePortalIsAsked()
    {
        QFETCH(QString, portal);
        QFETCH(QSize, captured);
        QVERIFY(patternImage(12, 9).save(m_dir.filePath(QStringLiteral("portal.png"))));
        {
            QMutexLocker lock(&m_portal->mutex);
            m_portal->responseCode = 0;
            m_portal->results[QStringLiteral("uri")] =
                QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("portal.png"))).toString();
        }
        // The tool after the portal in the automatic order.
        QTemporaryDir tools;
        const QString sample = tools.filePath(QStringLiteral("sample.png"));
        QVERIFY(patternImage(24, 16).save(sample));
        QFile script(tools.filePath(QStringLiteral("gnome-screenshot")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nfor out; do :; done\n/bin/cp '" + sample.toUtf8() +
                     "' \"${out#--file=}\"\n");
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", tools.path().toUtf8());
        if (portal != QLatin1String("answers"))
            m_portal->withhold(QStringLiteral("Get org.freedesktop.portal.Screenshot"));

        ScreenCaptureService service;
        QFuture<QImage> capture = service.capture(CaptureMode::region);
        if (portal == QLatin1String("late")) {
            QTRY_VERIFY(service.isCapturing() && !m_portal->call(QStringLiteral("Get")).isEmpty());
            QVERIFY(!service.backend());
            m_portal->release();
        }
        QTRY_VERIFY_WITH_TIMEOUT(capture.isFinished(), 10000);
        qputenv("PATH", savedPath);
        QCOMPARE(service.backend()->name(),
                 QString::fromLatin1(portal == QLatin1String("silent") ? "gnome-screenshot" : "portal"));
        QCOMPARE(capture.result().size(), captured);
    }

    // The app id goes first and the session waits for its answer; a registry
    // that is slow, or never answers, delays the binding without losing it.
    void shortcutAfterTheRegistry_data()
    {
        QTest::addColumn<bool>("registryAnswers");
        QTest::newRow("registry answers late") << true;
        QTest::newRow("registry never answers") << false;
    }
    void shortcutAfterTheRegistry()
    {
        QFETCH(bool, registryAnswers);
        m_portal->withhold(QStringLiteral("Register"));
        PortalGlobalShortcut shortcut(newConnection(), QStringLiteral("org.lustrelab.Test"));
        QSignalSpy bound(&shortcut, &PortalGlobalShortcut::bindingFinished);
        QVERIFY(shortcut.registerShortcut());
        QTRY_VERIFY(!m_portal->call(QStringLiteral("Register")).isEmpty());
        QVERIFY(m_portal->call(QStringLiteral("CreateSession")).isEmpty());
        if (registryAnswers)
            m_portal->release();
        QTRY_COMPARE_WITH_TIMEOUT(bound.size(), 1, 10000);
        QVERIFY(bound.first().first().toBool());
        QCOMPARE(m_portal->call(QStringLiteral("Register")).value(0).toString(),
                 QStringLiteral("org.lustrelab.Test"));
    }
};

QTEST_MAIN(TestDesktopPortal)
#include "tst_desktop_portal.moc"
