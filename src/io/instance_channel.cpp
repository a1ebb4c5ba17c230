#include "instance_channel.h"

#include "freedesktop_application_adaptor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QUrl>

namespace lustrelab {

namespace {

const QString serviceName = QStringLiteral("org.lustrelab.Lustrelab");
const QString objectPath = QStringLiteral("/org/lustrelab/Lustrelab");
const QString applicationInterface = QStringLiteral("org.freedesktop.Application");

// Decoding happens in the window, afterwards: the caller only waits for the
// paths to be received, which is quick unless the window is stuck.
constexpr int handOverTimeoutMs = 5000;

} // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent)
{
    new FreedesktopApplicationAdaptor(*this);
}

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
    if (!bus.registerObject(objectPath, this,
                            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAdaptors))
        return Claim::taken;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(objectPath);
        return Claim::taken;
    }
    m_claimed = true;
    m_callers = new QDBusServiceWatcher({}, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_callers, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& caller) { releaseCaller(caller, m_hiddenFor.value(caller)); });
    return Claim::claimed;
}

QString InstanceChannel::handOver(const QStringList& paths, const LaunchActivation& activation)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QStringLiteral("no session bus");
    QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName, objectPath, applicationInterface,
                                       paths.isEmpty() ? QStringLiteral("Activate") : QStringLiteral("Open"));
    if (!paths.isEmpty()) {
        QStringList uris;
        for (const QString& path : paths)
            uris << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
        call << uris;
    }
    call << platformData(activation);
    QDBusMessage reply = bus.call(call, QDBus::Block, handOverTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage &&
        (reply.errorName() == u"org.freedesktop.DBus.Error.UnknownMethod" ||
         reply.errorName() == u"org.freedesktop.DBus.Error.UnknownInterface")) {
        // A window of an earlier version knows only its own method.
        QDBusMessage own =
            QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Open"));
        own << paths;
        reply = bus.call(own, QDBus::Block, handOverTimeoutMs);
    }
    if (reply.type() == QDBusMessage::ErrorMessage)
        return reply.errorMessage();
    return {};
}

namespace {

// Never starts a window: the caller only wants one that runs out of the way.
bool callRunningWindow(const QString& method)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, method);
    call.setAutoStartService(false);
    return bus.call(call, QDBus::Block, handOverTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace

bool InstanceChannel::hideRunningWindow()
{
    return callRunningWindow(QStringLiteral("HideForCapture"));
}

void InstanceChannel::showRunningWindow()
{
    callRunningWindow(QStringLiteral("ShowAfterCapture"));
}

void InstanceChannel::Open(const QStringList& paths)
{
    emit openRequested(paths, {});
}

void InstanceChannel::HideForCapture()
{
    if (!calledFromDBus())
        return;
    const QString caller = message().service();
    if (m_hiddenFor[caller]++ == 0 && m_callers)
        m_callers->addWatchedService(caller);
    emit hideRequested();
}

void InstanceChannel::ShowAfterCapture()
{
    if (calledFromDBus() && m_hiddenFor.value(message().service()) > 0)
        releaseCaller(message().service(), 1);
}

void InstanceChannel::releaseCaller(const QString& caller, int captures)
{
    const auto found = m_hiddenFor.find(caller);
    if (found == m_hiddenFor.end())
        return;
    captures = std::min(captures, found.value());
    found.value() -= captures;
    if (found.value() == 0) {
        m_hiddenFor.erase(found);
        if (m_callers)
            m_callers->removeWatchedService(caller);
    }
    for (int i = 0; i < captures; ++i)
        emit showRequested();
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
