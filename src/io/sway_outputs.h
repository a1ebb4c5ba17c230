#pragma once

#include "screen_monitor.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace lustrelab {

// The outputs of a sway desktop as `swaymsg -t get_outputs -r` lists them
// (JSON): the active ones, in the compositor's logical pixels, each with its
// scale, and which one has the focus. A Wayland client cannot see where the
// pointer is; sway moves the focus to the output the pointer enters, so the
// focused output is the one the user is at.
struct SwayOutputs
{
    QList<ScreenMonitor> monitors;
    qsizetype focused = -1; // index into monitors; -1 when none says so
    bool operator==(const SwayOutputs&) const = default;
};

// nullopt for text that is not such a list.
std::optional<SwayOutputs> parseSwayOutputs(const QByteArray& json);

} // namespace lustrelab
