#pragma once

#include <QRect>
#include <QString>

namespace lustrelab {

// One monitor of the desktop, as the capture tools see it: its name (the
// output's, "HDMI-1"), where it sits on the desktop and how many device
// pixels it shows per logical pixel. On X11 `geometry` is in root-window
// pixels, which are the device pixels of every monitor; on Wayland it is in
// the compositor's logical pixels (a 2x output of 2560 x 1440 device pixels
// is 1280 x 720 there).
struct ScreenMonitor
{
    QString name;
    QRect geometry;
    double ratio = 1;
    bool operator==(const ScreenMonitor&) const = default;
};

} // namespace lustrelab
