#include "instance_channel.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QUrl>

namespace lustrelab {

namespace {

const QString serviceName = QStringLiteral("org.lustrelab.Lustrelab");
const QString objectPath = QStringLiteral("/org/lustrelab/Lustrelab");

// Decoding happens in the window, afterwards: the caller only waits for the
// paths to be received, which is quick unless the window is stuck.
constexpr int handOverTimeoutMs = 5000;

} // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    if (!m_claimed)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath);
    bus.unregisterService(serviceName);
}

InstanceChannel::Claim InstanceChannel::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Claim::noBus;
    // The object goes first, so that a call arriving as soon as the name is
    // ours finds someone to answer it.
    if (!bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots))
        return Claim::taken;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(objectPath);
        return Claim::taken;
    }
    m_claimed = true;
    return Claim::claimed;
}

QString InstanceChannel::handOver(const QStringList& paths)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QStringLiteral("no session bus");
    QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Open"));
    call << paths;
    const QDBusMessage reply = bus.call(call, QDBus::Block, handOverTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return reply.errorMessage();
    return {};
}

void InstanceChannel::Open(const QStringList& paths)
{
    emit openRequested(paths);
}

QStringList absoluteLaunchArguments(const QStringList& arguments, const QString& workingDirectory)
{
    const QDir base(workingDirectory);
    QStringList absolute;
    for (const QString& argument : arguments) {
        // Launchers may hand over file URLs rather than paths.
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        absolute << QDir::cleanPath(base.absoluteFilePath(path));
    }
    return absolute;
}

} // namespace lustrelab
