// The desktop portal misbehaving, against a fake portal on a private D-Bus
// daemon: a screenshot request that is never answered or whose portal leaves
// the bus, and a global shortcut given back and taken again before the
// portal answered.

#include "io/portal_capture_backend.h"
#include "io/portal_global_shortcut.h"

#include <QtDBus>
#include <QtTest>

using namespace lustrelab;

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// Opens a session per CreateSession and binds in whatever session it is
// told; Screenshot requests get their request path and then silence. Runs on
// a thread of its own, so the client's blocking calls get their answers.
class SilentPortal : public QDBusVirtualObject
{
  public:
    explicit SilentPortal(QDBusConnection bus) : m_bus(std::move(bus)) {}
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QMutexLocker lock(&mutex);
        const QString member = message.member();
        if (member == QLatin1String("Close")) {
            (message.interface().endsWith(QLatin1String("Session")) ? closedSessions : closedRequests)
                << message.path();
            connection.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("Register")) {
            connection.send(message.createReply());
            return true;
        }
        const QString request = portalPath + QStringLiteral("/request/") +
                                message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')) +
                                QLatin1Char('/') +
                                qdbus_cast<QVariantMap>(message.arguments().constLast())
                                    .value(QStringLiteral("handle_token"))
                                    .toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results;
        if (member == QLatin1String("Screenshot")) {
            screenshotRequests << request;
            return true; // no answer
        }
        if (member == QLatin1String("CreateSession")) {
            const QString session =
                portalPath + QStringLiteral("/session/1_1/s%1").arg(createdSessions.size());
            createdSessions << session;
            results.insert(QStringLiteral("session_handle"), session);
        } else if (member == QLatin1String("BindShortcuts")) {
            boundSessions << message.arguments().value(0).value<QDBusObjectPath>().path();
        }
        respond(request, results);
        return true;
    }

    void respond(const QString& request, const QVariantMap& results)
    {
        QDBusMessage response = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << 0u << results;
        QTimer::singleShot(0, [bus = m_bus, response] { bus.send(response); });
    }

    template <typename T> T read(T SilentPortal::*member) const
    {
        QMutexLocker lock(&mutex);
        return this->*member;
    }

    mutable QMutex mutex; // guards the lists
    QStringList createdSessions, boundSessions, closedSessions, screenshotRequests, closedRequests;

  private:
    QDBusConnection m_bus;
};

} // namespace

class TestPortalFailures : public QObject
{
    Q_OBJECT

    QProcess m_daemon;
    QString m_address;
    std::unique_ptr<SilentPortal> m_portal;
    QThread m_portalThread;
    int m_connections = 0;

    QDBusConnection newConnection()
    {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("failures%1").arg(++m_connections));
    }
    QDBusConnection portalBus() { return QDBusConnection(QStringLiteral("portal")); }

  private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        QVERIFY(m_daemon.waitForReadyRead(10000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
        m_portal = std::make_unique<SilentPortal>(bus);
        QVERIFY(bus.registerVirtualObject(portalPath, m_portal.get(), QDBusConnection::SubPath));
        m_portalThread.start();
        m_portal->moveToThread(&m_portalThread);
        QVERIFY(bus.registerService(portalService));
    }

    void cleanupTestCase()
    {
        m_portalThread.quit();
        m_portalThread.wait();
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    // A row that took the portal off the bus gives it back, even on failure.
    void cleanup()
    {
        QDBusConnection bus = portalBus();
        if (!bus.interface()->isServiceRegistered(portalService))
            QVERIFY(bus.registerService(portalService));
    }

    // The capture ends once, with the reason, and a late answer changes
    // nothing; after the time limit the portal is asked to close its dialog.
    void unansweredScreenshotEnds_data()
    {
        QTest::addColumn<bool>("portalLeaves");
        QTest::addColumn<QString>("reason");
        QTest::newRow("the portal leaves the bus") << true << "left the session bus";
        QTest::newRow("the portal stays silent") << false << "no answer within 0.3 seconds";
    }
    void unansweredScreenshotEnds()
    {
        QFETCH(bool, portalLeaves);
        QFETCH(QString, reason);
        PortalCaptureBackend backend(newConnection());
        if (!portalLeaves)
            backend.setResponseTimeout(std::chrono::milliseconds(300));
        const qsizetype before = m_portal->read(&SilentPortal::screenshotRequests).size();
        QStringList errors;
        backend.capture(CaptureMode::region, QStringLiteral("/nonexistent/capture.png"),
                        [&errors](const QString& error) { errors << error; });
        QTRY_COMPARE(m_portal->read(&SilentPortal::screenshotRequests).size(), before + 1);
        const QString request = m_portal->read(&SilentPortal::screenshotRequests).constLast();
        if (portalLeaves)
            QVERIFY(portalBus().unregisterService(portalService));

        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 10000);
        QVERIFY2(errors.first().contains(reason), qPrintable(errors.first()));
        if (!portalLeaves)
            QTRY_VERIFY(m_portal->read(&SilentPortal::closedRequests).contains(request));
        m_portal->respond(request, {}); // too late
        QTest::qWait(100);
        QCOMPARE(errors.size(), 1);
    }

    // However often the shortcut is taken and given back before the portal
    // answers, only the last registration gets a session, bound once, and it
    // is closed when given back.
    void reRegisteringBeforeTheAnswer_data()
    {
        QTest::addColumn<QString>("steps"); // r: register, u: give back
        QTest::newRow("taken and given back") << "ru";
        QTest::newRow("taken again") << "rur";
        QTest::newRow("taken three times") << "rurur";
        QTest::newRow("taken again, given back") << "ruru";
    }
    void reRegisteringBeforeTheAnswer()
    {
        QFETCH(QString, steps);
        const QStringList created = m_portal->read(&SilentPortal::createdSessions);
        const QStringList bound = m_portal->read(&SilentPortal::boundSessions);
        const QStringList closed = m_portal->read(&SilentPortal::closedSessions);
        auto added = [](const QStringList& now, const QStringList& before) { return now.mid(before.size()); };

        PortalGlobalShortcut shortcut(newConnection(), QStringLiteral("org.lustrelab.Test"));
        QSignalSpy finished(&shortcut, &PortalGlobalShortcut::bindingFinished);
        for (const QChar step : steps) {
            if (step == u'r')
                QVERIFY(shortcut.registerShortcut());
            else
                shortcut.unregisterShortcut();
        }
        const bool registered = steps.endsWith(u'r');
        if (registered)
            QTRY_COMPARE(finished.size(), 1);
        QTest::qWait(100); // any late answer
        // A registration given back before the portal answered never asks for a
        // session, so nothing stale is left to close.
        const QStringList sessions = added(m_portal->read(&SilentPortal::createdSessions), created);
        QCOMPARE(sessions.size(), registered ? 1 : 0);
        QCOMPARE(added(m_portal->read(&SilentPortal::closedSessions), closed), QStringList());
        QCOMPARE(finished.size(), registered ? 1 : 0);
        QCOMPARE(added(m_portal->read(&SilentPortal::boundSessions), bound), sessions);
        if (registered)
            QCOMPARE(shortcut.session(), sessions.constLast());

        shortcut.unregisterShortcut();
        QTRY_COMPARE(added(m_portal->read(&SilentPortal::closedSessions), closed), sessions);
    }
};

QTEST_MAIN(TestPortalFailures)
#include "tst_portal_failures.moc"
