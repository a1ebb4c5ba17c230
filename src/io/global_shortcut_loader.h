#pragma once

#include "global_shortcut.h"

#include <memory>

namespace lustrelab {

// The global shortcut facility of the running session: an X11 key grab on
// xcb, the desktop portal on Wayland when there is a session bus (a portal
// without GlobalShortcuts refuses the binding and says so), and nullptr
// elsewhere (offscreen, or no session bus).
std::unique_ptr<GlobalShortcut> createGlobalShortcut();

// The id under which the portal knows this application (its desktop file name).
QString portalApplicationId();

} // namespace lustrelab
