#include "portal_probe.h"

#include "portal_request.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMetaObject>

namespace lustrelab {

void probePortalInterface(const QDBusConnection& bus, const QString& interface, QObject* context,
                          std::function<void(bool)> answer, int timeoutMs)
{
    if (!bus.isConnected()) {
        // Still later, never inside the caller: callers may rely on that.
        QMetaObject::invokeMethod(
            context, [answer] { answer(false); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::objectPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << interface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get, timeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, answer] {
        watcher->deleteLater();
        answer(!watcher->isError());
    });
}

} // namespace lustrelab
