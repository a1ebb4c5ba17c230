#pragma once

#include "io/launch_activation.h"

class QWidget;

namespace lustrelab {

// Shows `window` (also from minimised or hidden), raises it and asks for the
// focus with the launcher's permission, where the desktop wants one:
// - Wayland: the xdg-activation token, which Qt's Wayland platform (6.4)
//   takes from XDG_ACTIVATION_TOKEN as the window asks to be activated, and
//   then removes; without a token the compositor may only mark the window.
// - X11: the window manager is asked to activate the window at the time of
//   the user's launch (the "_TIME" part of the startup id), which a focus
//   stealing prevention accepts, and the launcher's busy feedback is ended.
void bringWindowForward(QWidget& window, const LaunchActivation& activation);

// The X server time stamp in a startup-notification id ("..._TIME1234"),
// or 0 when it carries none.
quint32 startupIdTime(const QString& startupId);

} // namespace lustrelab
