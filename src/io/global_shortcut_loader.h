#pragma once

#include "global_shortcut.h"

#include <memory>

namespace lustrelab {

// The global shortcut facility of the running session: an X11 key grab on
// xcb, the desktop portal on Wayland when it offers GlobalShortcuts, and
// nullptr elsewhere (offscreen, or a compositor without the portal).
std::unique_ptr<GlobalShortcut> createGlobalShortcut();

// The id under which the portal knows this application (its desktop file name).
QString portalApplicationId();

} // namespace lustrelab
