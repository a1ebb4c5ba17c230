#pragma once

#include <QString>
#include <QVariantMap>

namespace lustrelab {

// The permission a launcher gives the program it starts to take the focus:
// on Wayland an xdg-activation token, on X11 a startup-notification id. A
// start that only hands its files to the running window passes them on, so
// that the window, not the short-lived start, comes to the front.
struct LaunchActivation
{
    QString activationToken; // Wayland
    QString startupId;       // X11

    bool operator==(const LaunchActivation&) const = default;
};

// What the launcher left in this process's environment (XDG_ACTIVATION_TOKEN,
// DESKTOP_STARTUP_ID). To be read before the QGuiApplication exists: Qt's
// X11 platform takes the startup id out of the environment as it connects.
LaunchActivation launchActivationFromEnvironment();
// Removes both, so that no program this one starts (a capture tool)
// inherits a permission meant for this process.
void clearLaunchActivation();

// The platform-data dictionary of the desktop's application interface:
// "activation-token" and "desktop-startup-id", each only when known.
QVariantMap platformData(const LaunchActivation& activation);
LaunchActivation activationFromPlatformData(const QVariantMap& data);

} // namespace lustrelab
