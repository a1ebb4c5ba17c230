#pragma once

#include "global_shortcut.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QVariantMap>

namespace lustrelab {

// Ctrl+Shift+6 on Wayland, through the desktop portal's GlobalShortcuts
// interface: a session is created, the shortcut is bound in it (the desktop
// may ask the user to confirm or pick another trigger), and the portal's
// Activated signal is the press. Closing the session gives the shortcut back.
//
// Current portals identify an application that is not sandboxed by the id it
// registers through org.freedesktop.host.portal.Registry; that happens first,
// and older portals that lack the registry simply answer with an error. No
// step waits for the portal: a desktop without the interface, or a portal that
// never answers, shows as a refused binding.
class PortalGlobalShortcut : public GlobalShortcut
{
    Q_OBJECT

  public:
    static inline const QString shortcutId = QStringLiteral("region-capture");

    explicit PortalGlobalShortcut(QDBusConnection bus, QString appId, QObject* parent = nullptr);
    ~PortalGlobalShortcut() override;

    // Starts the portal conversation; the binding completes later.
    bool registerShortcut() override;
    void unregisterShortcut() override;
    bool isRegistered() const override { return m_registered; }
    // The portal session once created (empty before).
    QString session() const { return m_session; }

  private slots:
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

  private:
    void registerAppId();
    void createSession();
    void bindShortcuts();
    void closeSession(const QString& session);

    QDBusConnection m_bus;
    QString m_appId;
    QString m_session;
    bool m_registered = false;
    // Changes with every registration and every release: an answer meant
    // for an earlier one (the shortcut was given back, and perhaps taken
    // again, while the portal was answering) only closes the session it made.
    quint64 m_generation = 0;
};

} // namespace lustrelab
