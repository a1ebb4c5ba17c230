#include "global_shortcut_loader.h"

#include "portal_global_shortcut.h"
#include "xcb_key_grab.h"

#include <QGuiApplication>

namespace lustrelab {

QString portalApplicationId()
{
    const QString desktopFile = QGuiApplication::desktopFileName();
    return desktopFile.isEmpty() ? QStringLiteral("org.lustrelab.Lustrelab") : desktopFile;
}

std::unique_ptr<GlobalShortcut> createGlobalShortcut()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb"))
        return std::make_unique<XcbKeyGrab>();
    if (platform.startsWith(QLatin1String("wayland"))) {
        // Whether the portal offers global shortcuts shows in its answers;
        // asking beforehand would hold up the window's first appearance.
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected())
            return std::make_unique<PortalGlobalShortcut>(bus, portalApplicationId());
    }
    return nullptr;
}

} // namespace lustrelab
