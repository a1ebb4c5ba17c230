#pragma once

#include "screen_monitor.h"

#include <QList>
#include <QPoint>
#include <optional>
#include <xcb/xcb.h>

namespace lustrelab {

// The monitors of the X screen whose root window is `root`, as XRandR
// describes them (its monitor list: every active output, and the monitors
// set up by hand with `xrandr --setmonitor`), in root-window pixels; ratio 1
// (the X server knows no scale factors). A server without XRandR, or one
// older than the monitor list, has one monitor: the whole screen.
QList<ScreenMonitor> x11Monitors(xcb_connection_t* connection, const xcb_screen_t* screen);

// Where the pointer is on `screen`'s root window; nullopt when it is on
// another screen of the server.
std::optional<QPoint> x11PointerOnRoot(xcb_connection_t* connection, const xcb_screen_t* screen);

} // namespace lustrelab
