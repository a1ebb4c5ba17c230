// The desktop portal misbehaving, against a fake portal on a private D-Bus
// daemon: a screenshot request that is never answered or whose portal leaves
// the bus, and a global shortcut given back and taken again before the
// portal answered.

#include "io/portal_capture_backend.h"
#include "io/portal_global_shortcut.h"

#include "portal_bus.h"

#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

// Opens a session per CreateSession and binds in whatever session it is
// told; Screenshot requests get their request path and then silence.
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
        const QString request = requestPath(message);
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

    void respond(const QString& request, const QVariantMap& results) { respondLater(m_bus, request, 0, results); }

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

    std::unique_ptr<SilentPortal> m_portal; // destroyed after the bus has stopped its thread
    PortalBus m_bus;
    int m_connections = 0;

    QDBusConnection newConnection() { return m_bus.connect(QStringLiteral("failures%1").arg(++m_connections)); }
    QDBusConnection portalBus() { return m_bus.connect(QStringLiteral("portal")); }

  private slots:
    void initTestCase()
    {
        if (!PortalBus::available())
            QSKIP("dbus-daemon is not installed");
        QVERIFY(m_bus.start());
        m_portal = std::make_unique<SilentPortal>(portalBus());
        QVERIFY(m_bus.serve(portalBus(), m_portal.get()));
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
