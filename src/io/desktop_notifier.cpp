#include "desktop_notifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

namespace lustrelab {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString actionKey = QStringLiteral("default-open");
// Servers show a thumbnail; the full screenshot would make a message of
// tens of megabytes.
constexpr int thumbnailSide = 256;

// The "image-data" hint: width, height, row stride, alpha, bits per sample,
// channels, then the rows as RGBA bytes.
struct NotificationImage
{
    QImage rgba;
};

QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& image)
{
    const QImage& rgba = image.rgba;
    argument.beginStructure();
    argument << rgba.width() << rgba.height() << int(rgba.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(rgba.constBits()), rgba.sizeInBytes());
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage&)
{
    return argument; // only ever sent
}

} // namespace

} // namespace lustrelab

Q_DECLARE_METATYPE(lustrelab::NotificationImage)

namespace lustrelab {

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent)
{
    qDBusRegisterMetaType<NotificationImage>();
}

void DesktopNotifier::notify(const Notification& notification, Action onAction)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        printInstead(notification);
        return;
    }
    if (!m_listening) {
        bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
        bus.connect(service, path, service, QStringLiteral("ActivationToken"), this,
                    SLOT(activationToken(uint, QString)));
        m_listening = true;
    }

    QStringList actions;
    if (!notification.actionLabel.isEmpty())
        actions << actionKey << notification.actionLabel;
    QVariantMap hints;
    if (!notification.image.isNull())
        hints.insert(
            QStringLiteral("image-data"),
            QVariant::fromValue(NotificationImage{
                notification.image
                    .scaled(thumbnailSide, thumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_RGBA8888)}));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.lustrelab.Lustrelab"));

    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    call << QStringLiteral("Lustrelab") << uint(0) << QStringLiteral("org.lustrelab.Lustrelab")
         << notification.summary << notification.body << actions << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, notification, onAction = std::move(onAction)] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    printInstead(notification);
                    return;
                }
                if (onAction)
                    m_actions.insert(reply.value(), onAction);
            });
}

void DesktopNotifier::actionInvoked(uint id, const QString& action)
{
    const QString token = m_tokens.take(id);
    if (action != actionKey)
        return;
    if (const Action run = m_actions.take(id))
        run(token);
}

void DesktopNotifier::activationToken(uint id, const QString& token)
{
    if (m_actions.contains(id))
        m_tokens.insert(id, token);
}

void DesktopNotifier::notificationClosed(uint id, uint)
{
    m_actions.remove(id);
    m_tokens.remove(id);
}

void DesktopNotifier::printInstead(const Notification& notification)
{
    const QString line = notification.body.isEmpty()
                             ? notification.summary
                             : QStringLiteral("%1: %2").arg(notification.summary, notification.body);
    std::fprintf(stdout, "lustrelab: %s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace lustrelab
