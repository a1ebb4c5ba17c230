// The desktop portal conversations (Screenshot, GlobalShortcuts) against a
// fake portal on a private D-Bus daemon.

#include "io/portal_capture_backend.h"
#include "io/portal_global_shortcut.h"
#include "io_fixtures.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Answers portal calls the way xdg-desktop-portal does: the method returns the
// request path made from the caller's name and handle_token, and the Response
// signal follows on that path. It runs on a thread of its own, so that the
// client's blocking calls get their answers.
class FakePortal : public QDBusVirtualObject
{
  public:
    struct Call
    {
        QString member;
        QList<QVariant> arguments;
    };

    explicit FakePortal(QDBusConnection bus) : m_bus(std::move(bus)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QMutexLocker lock(&mutex);
        calls.append({message.member(), message.arguments()});
        if (message.member() == QLatin1String("Get")) { // any interface's version
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1)))));
            return true;
        }
        if (message.member() == QLatin1String("Register") || message.member() == QLatin1String("Close")) {
            connection.send(message.createReply());
            return true;
        }
        if (!callError.isEmpty()) {
            connection.send(message.createErrorReply(QDBusError::AccessDenied, callError));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        QString sender = message.service();
        sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = portalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') +
                                options.value(QStringLiteral("handle_token")).toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results = message.member() == QLatin1String("CreateSession")
                                  ? QVariantMap{{QStringLiteral("session_handle"), sessionPath}}
                                  : this->results;
        QTimer::singleShot(0, [bus = m_bus, request, results, code = responseCode] {
            QDBusMessage response = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
            response << code << results;
            bus.send(response);
        });
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

    QStringList members() const
    {
        QMutexLocker lock(&mutex);
        QStringList names;
        for (const Call& call : calls)
            names.append(call.member);
        return names;
    }

    Call call(const QString& member) const
    {
        QMutexLocker lock(&mutex);
        for (const Call& c : calls)
            if (c.member == member)
                return c;
        return {};
    }

    void reset()
    {
        QMutexLocker lock(&mutex);
        calls.clear();
        responseCode = 0;
        results.clear();
        callError.clear();
    }

    mutable QMutex mutex; // guards everything below
    QList<Call> calls;
    uint responseCode = 0;
    QVariantMap results;
    QString callError;
    QString sessionPath = portalPath + QStringLiteral("/session/1_1/lustrelab");

  private:
    QDBusConnection m_bus;
};

} // namespace

class TestDesktopPortal : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;
    QProcess m_daemon;
    QString m_address;
    std::unique_ptr<FakePortal> m_portal;
    QThread m_portalThread;
    int m_connections = 0;

    QDBusConnection newConnection()
    {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("client%1").arg(++m_connections));
    }

    QString file(const QString& name) const { return QDir(m_env->path()).filePath(name); }

    // Runs one capture and gives the launch error ("" when the tool ran).
    QString capture(PortalCaptureBackend& backend, CaptureMode mode, const QString& path)
    {
        std::optional<QString> outcome;
        backend.capture(mode, path, [&outcome](const QString& error) { outcome = error; });
        [&] { QTRY_VERIFY(outcome.has_value()); }();
        return outcome.value_or(QStringLiteral("timed out"));
    }

  private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_env = std::make_unique<IsolatedEnvironment>();
        m_daemon.start(
            QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        QVERIFY(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QDBusConnection portalBus = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
        QVERIFY(portalBus.isConnected());
        m_portal = std::make_unique<FakePortal>(portalBus);
        QVERIFY(portalBus.registerVirtualObject(portalPath, m_portal.get(), QDBusConnection::SubPath));
        m_portalThread.start();
        m_portal->moveToThread(&m_portalThread);
        QVERIFY(portalBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }

    void cleanupTestCase()
    {
        m_portalThread.quit();
        m_portalThread.wait();
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    void init() { m_portal->reset(); }

    void screenshot_data()
    {
        QTest::addColumn<CaptureMode>("mode");
        QTest::addColumn<QString>("portalFile"); // what the portal hands back
        QTest::addColumn<uint>("response");
        QTest::addColumn<bool>("interactive");
        QTest::addColumn<bool>("fileLeft");
        QTest::newRow("full screen, png") << CaptureMode::fullScreen << "shot.png" << 0u << false << true;
        QTest::newRow("region, png") << CaptureMode::region << "shot.png" << 0u << true << true;
        QTest::newRow("window, jpeg made png") << CaptureMode::window << "shot.jpeg" << 0u << true << true;
        QTest::newRow("cancelled") << CaptureMode::region << "shot.png" << 1u << true << false;
        QTest::newRow("refused") << CaptureMode::fullScreen << "shot.png" << 2u << false << false;
    }

    // The backend's contract on top of the portal: a PNG at the path, or none.
    void screenshot()
    {
        QFETCH(CaptureMode, mode);
        QFETCH(QString, portalFile);
        QFETCH(uint, response);
        QFETCH(bool, interactive);
        QFETCH(bool, fileLeft);
        const QImage picture = patternImage(12, 9);
        QVERIFY(picture.save(file(portalFile)));
        QMutexLocker lock(&m_portal->mutex);
        m_portal->responseCode = response;
        m_portal->results = {{QStringLiteral("uri"), QUrl::fromLocalFile(file(portalFile)).toString()}};
        lock.unlock();
        PortalCaptureBackend backend(newConnection());
        const QString path = file(QStringLiteral("capture.png"));
        QFile::remove(path);

        QVERIFY(PortalCaptureBackend::isAvailable(newConnection()));
        QCOMPARE(capture(backend, mode, path), QString());

        const FakePortal::Call call = m_portal->call(QStringLiteral("Screenshot"));
        QCOMPARE(call.arguments.size(), 2);
        QCOMPARE(call.arguments[0].toString(), QString()); // no X11 window on this platform
        const QVariantMap options = qdbus_cast<QVariantMap>(call.arguments[1]);
        QCOMPARE(options.value(QStringLiteral("interactive")).toBool(), interactive);
        QCOMPARE(QFile::exists(path), fileLeft);
        if (fileLeft) {
            QFile written(path);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.read(4), QByteArray("\x89PNG"));
            QCOMPARE(QImage(path).size(), picture.size());
        }
        QVERIFY(QFile::exists(file(portalFile))); // the portal's own file is not ours to delete
    }

    void screenshotCallFails()
    {
        QMutexLocker lock(&m_portal->mutex);
        m_portal->callError = QStringLiteral("not allowed here");
        lock.unlock();
        PortalCaptureBackend backend(newConnection());
        QCOMPARE(capture(backend, CaptureMode::region, file(QStringLiteral("x.png"))),
                 QStringLiteral("not allowed here"));
    }

    // Register the id, create a session, bind Ctrl+Shift+6 in it; presses of
    // our shortcut in our session count, nothing else; giving it back closes
    // the session.
    void globalShortcut()
    {
        PortalGlobalShortcut shortcut(newConnection(), QStringLiteral("org.lustrelab.Test"));
        QSignalSpy bound(&shortcut, &PortalGlobalShortcut::bindingFinished);
        QSignalSpy activated(&shortcut, &GlobalShortcut::activated);
        QVERIFY(shortcut.registerShortcut());
        QVERIFY(shortcut.registerShortcut()); // once only
        QTRY_COMPARE(bound.size(), 1);
        QCOMPARE(bound.first().first().toBool(), true);
        QCOMPARE(m_portal->members(), QStringList({"Register", "CreateSession", "BindShortcuts"}));
        QCOMPARE(m_portal->call(QStringLiteral("Register")).arguments.value(0).toString(),
                 QStringLiteral("org.lustrelab.Test"));

        const QList<QVariant> bind = m_portal->call(QStringLiteral("BindShortcuts")).arguments;
        QCOMPARE(bind.value(0).value<QDBusObjectPath>().path(), m_portal->sessionPath);
        const QDBusArgument shortcuts = bind.value(1).value<QDBusArgument>();
        QCOMPARE(shortcuts.currentSignature(), QStringLiteral("a(sa{sv})"));
        shortcuts.beginArray();
        shortcuts.beginStructure();
        QString id;
        QVariantMap properties;
        shortcuts >> id >> properties;
        QCOMPARE(id, PortalGlobalShortcut::shortcutId);
        QCOMPARE(properties.value(QStringLiteral("preferred_trigger")).toString(),
                 QStringLiteral("CTRL+SHIFT+6"));

        m_portal->activate(m_portal->sessionPath, QStringLiteral("something-else"));
        m_portal->activate(portalPath + QStringLiteral("/session/1_1/other"),
                           PortalGlobalShortcut::shortcutId);
        m_portal->activate(m_portal->sessionPath, PortalGlobalShortcut::shortcutId);
        QTRY_COMPARE(activated.size(), 1);
        QTest::qWait(50);
        QCOMPARE(activated.size(), 1);

        shortcut.unregisterShortcut();
        QTRY_VERIFY(m_portal->members().contains(QStringLiteral("Close")));
        m_portal->activate(m_portal->sessionPath, PortalGlobalShortcut::shortcutId);
        QTest::qWait(50);
        QCOMPARE(activated.size(), 1);
    }
};

QTEST_MAIN(TestDesktopPortal)
#include "tst_desktop_portal.moc"
