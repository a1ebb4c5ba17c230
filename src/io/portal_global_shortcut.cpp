#include "portal_global_shortcut.h"

#include "portal_request.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

namespace {

// One entry of BindShortcuts' a(sa{sv}) argument.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace lustrelab {

namespace {

const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

void logLine(const char* text)
{
    std::fprintf(stderr, "lustrelab: %s\n", text);
    std::fflush(stderr);
}

// Calls a portal method that answers through a Request; `onResponse` gets the
// Response, or code `failed` when the call itself fails.
void callWithRequest(QDBusConnection bus, QObject* owner, QDBusMessage call, QVariantMap options,
                     std::function<void(uint, const QVariantMap&)> onResponse)
{
    auto* request = new PortalRequest(bus, owner);
    options.insert(QStringLiteral("handle_token"), request->token());
    call << options;
    QObject::connect(request, &PortalRequest::responded, request,
                     [request, onResponse](uint code, const QVariantMap& r) {
                         request->deleteLater();
                         onResponse(code, r);
                     });
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, request, [request, watcher, onResponse] {
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        watcher->deleteLater();
        if (reply.isError()) {
            request->deleteLater();
            onResponse(PortalRequest::failed, {});
            return;
        }
        request->follow(reply.value().path());
    });
}

} // namespace

PortalGlobalShortcut::PortalGlobalShortcut(QDBusConnection bus, QString appId, QObject* parent)
    : GlobalShortcut(parent), m_bus(std::move(bus)), m_appId(std::move(appId))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalGlobalShortcut::~PortalGlobalShortcut()
{
    unregisterShortcut();
}

bool PortalGlobalShortcut::registerShortcut()
{
    if (m_registered)
        return true;
    if (!m_bus.isConnected())
        return false;
    m_registered = true;
    ++m_generation;
    m_bus.connect(PortalRequest::service, PortalRequest::objectPath, shortcutsInterface,
                  QStringLiteral("Activated"), this,
                  SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    registerAppId(); // then the session
    return true;
}

void PortalGlobalShortcut::registerAppId()
{
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::objectPath,
                                                       QStringLiteral("org.freedesktop.host.portal.Registry"),
                                                       QStringLiteral("Register"));
    call << m_appId << QVariantMap();
    // Must precede every other portal call on this connection, so the session
    // is asked for once the portal has answered, whatever it said: an older
    // portal without the registry answers with an error, which changes
    // nothing, and one that stays silent past the timeout is tried anyway.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 3000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation = m_generation] {
        watcher->deleteLater();
        // A registration given back (and maybe taken again) meanwhile has its own answer coming.
        if (m_registered && generation == m_generation)
            createSession();
    });
}

void PortalGlobalShortcut::createSession()
{
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::objectPath,
                                                       shortcutsInterface, QStringLiteral("CreateSession"));
    const QVariantMap options{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    callWithRequest(
        m_bus, this, call, options, [this, generation = m_generation](uint code, const QVariantMap& results) {
            const QVariant handle = results.value(QStringLiteral("session_handle"));
            const QString session = handle.canConvert<QDBusObjectPath>()
                                        ? handle.value<QDBusObjectPath>().path()
                                        : handle.toString();
            if (generation != m_generation) { // given back, maybe taken again, while the portal answered
                closeSession(session);
                return;
            }
            m_session = session;
            if (code != PortalRequest::success || m_session.isEmpty()) {
                logLine("the desktop refused a global shortcut session; Ctrl+Shift+6 is unavailable");
                emit bindingFinished(false);
                return;
            }
            bindShortcuts();
        });
}

void PortalGlobalShortcut::bindShortcuts()
{
    const QList<PortalShortcut> shortcuts{
        {shortcutId,
         {{QStringLiteral("description"), QStringLiteral("Capture a region of the screen")},
          {QStringLiteral("preferred_trigger"), QStringLiteral("CTRL+SHIFT+6")}}},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(PortalRequest::service, PortalRequest::objectPath,
                                                       shortcutsInterface, QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts) << QString();
    callWithRequest(m_bus, this, call, {}, [this, generation = m_generation](uint code, const QVariantMap&) {
        if (generation != m_generation)
            return; // its session is closed already
        if (code != PortalRequest::success)
            logLine("the desktop did not bind Ctrl+Shift+6; the global shortcut is unavailable");
        emit bindingFinished(code == PortalRequest::success);
    });
}

void PortalGlobalShortcut::unregisterShortcut()
{
    if (!m_registered)
        return;
    m_registered = false;
    ++m_generation;
    m_bus.disconnect(PortalRequest::service, PortalRequest::objectPath, shortcutsInterface,
                     QStringLiteral("Activated"), this,
                     SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    closeSession(m_session);
    m_session.clear();
}

void PortalGlobalShortcut::closeSession(const QString& session)
{
    if (!session.isEmpty())
        m_bus.send(QDBusMessage::createMethodCall(PortalRequest::service, session,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
}

void PortalGlobalShortcut::onActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                       const QVariantMap&)
{
    if (m_registered && session.path() == m_session && id == shortcutId)
        emit activated();
}

} // namespace lustrelab
