#pragma once

// Shared by the portal tests: a private D-Bus daemon whose fake portal object
// runs on a thread of its own, as a real portal does, so that the client's
// blocking calls get their answers.

#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtDBus>

namespace lustrelab::iotest {

inline const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// The request path a portal method returns: made from the caller's unique
// name and its handle_token, as xdg-desktop-portal makes it.
inline QString requestPath(const QDBusMessage& message)
{
    return portalPath + QStringLiteral("/request/") +
           message.service().mid(1).replace(QLatin1Char('.'), QLatin1Char('_')) + QLatin1Char('/') +
           qdbus_cast<QVariantMap>(message.arguments().constLast())
               .value(QStringLiteral("handle_token"))
               .toString();
}

// The Response signal on `request`, sent after the method's reply.
inline void respondLater(const QDBusConnection& bus, const QString& request, uint code, const QVariantMap& results)
{
    QDBusMessage response = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                       QStringLiteral("Response"));
    response << code << results;
    QTimer::singleShot(0, [bus, response] { bus.send(response); });
}

class PortalBus
{
  public:
    ~PortalBus()
    {
        m_thread.quit();
        m_thread.wait();
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    static bool available() { return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty(); }

    bool start()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
        if (!m_daemon.waitForReadyRead(10000))
            return false;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return true;
    }

    QString address() const { return m_address; }
    QDBusConnection connect(const QString& name) const { return QDBusConnection::connectToBus(m_address, name); }

    // Serves `portal` on `bus` under the portal's name, from the portal thread.
    bool serve(QDBusConnection bus, QDBusVirtualObject* portal)
    {
        if (!bus.registerVirtualObject(portalPath, portal, QDBusConnection::SubPath))
            return false;
        m_thread.start();
        portal->moveToThread(&m_thread);
        return bus.registerService(portalService);
    }

  private:
    QProcess m_daemon;
    QString m_address;
    QThread m_thread;
};

} // namespace lustrelab::iotest
