// The desktop portal conversations (Screenshot, GlobalShortcuts) against a
// fake portal on a private D-Bus daemon.

#include "io/portal_capture_backend.h"
#include "io/portal_global_shortcut.h"
#include "io_fixtures.h"

#include <QImageReader>
#include <QtDBus>
#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString sessionPath = portalPath + QStringLiteral("/session/1_1/lustrelab");

// Answers the way xdg-desktop-portal does: a request method returns the path
// made from the caller's name and handle_token, and the Response signal follows
// on it. It runs on a thread of its own, so the client's blocking calls get
// their answers.
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
        if (member == QLatin1String("Get") || member == QLatin1String("Register") ||
            member == QLatin1String("Close")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(uint(1))))); // version 1
            return true;
        }
        const QString request = portalPath + QStringLiteral("/request/") +
                                message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')) +
                                QLatin1Char('/') +
                                qdbus_cast<QVariantMap>(message.arguments().constLast())
                                    .value(QStringLiteral("handle_token"))
                                    .toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << (member == QLatin1String("Screenshot") ? responseCode : 0u) << results;
        QTimer::singleShot(0, [bus = m_bus, response] { bus.send(response); });
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

    mutable QMutex mutex;                 // guards everything below
    QMap<QString, QList<QVariant>> calls; // the last call of each method
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
    QProcess m_daemon;
    QString m_address;
    std::unique_ptr<FakePortal> m_portal;
    QThread m_portalThread;
    int m_connections = 0;

    QDBusConnection newConnection()
    {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("client%1").arg(++m_connections));
    }

  private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        QVERIFY(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QDBusConnection portalBus = newConnection();
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
};

QTEST_MAIN(TestDesktopPortal)
#include "tst_desktop_portal.moc"
