#pragma once

#include "screen_monitor.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <optional>

namespace lustrelab {

// Which monitor a screen capture takes, as `--monitor` spells it:
// "current" (the one under the pointer), "all" (the whole desktop, as a
// screen capture without the option takes it), a number counted from 1 in
// reading order (left to right, then top to bottom, as the monitors sit on
// the desk) or an output's name.
struct MonitorChoice
{
    enum class Kind { current, all, numbered, named };
    Kind kind = Kind::current;
    int number = 0; // numbered: from 1
    QString name;   // named
    bool operator==(const MonitorChoice&) const = default;

    static MonitorChoice current() { return {}; }
    static MonitorChoice all() { return {Kind::all, 0, {}}; }
    // nullopt for a word that is none of these (an empty one, "0", "-1").
    static std::optional<MonitorChoice> parse(const QString& word);
};

// What a choice came to: the monitor, or one line saying why there is none.
struct MonitorPick
{
    std::optional<ScreenMonitor> monitor;
    QString error;
};

// `monitors` in the order the numbers count them.
QList<ScreenMonitor> inReadingOrder(QList<ScreenMonitor> monitors);

// The monitor `choice` names among `monitors` (in any order; a number counts
// them in reading order). For "current": the one holding `pointer`, else the
// one nearest to it; without a pointer position, the one at `focused` (an
// index into `monitors`; the compositor's focused output, where clients
// cannot see the pointer). "all" picks nothing: it is the whole desktop.
MonitorPick pickMonitor(const QList<ScreenMonitor>& monitors, const MonitorChoice& choice,
                        std::optional<QPoint> pointer, qsizetype focused = -1);

// "1: HDMI-1 1920x1080+0+0, 2: DP-1 2560x1440+1920+0": how an error lists them.
QString describeMonitors(const QList<ScreenMonitor>& monitors);

// The device pixel ratio Qt gives the screen called `name` (else the one at
// `topLeft`), which is the ratio the window shows that monitor's pixels at;
// 1 without a GUI application or without such a screen.
double qtScreenRatio(const QString& name, QPoint topLeft);

} // namespace lustrelab
