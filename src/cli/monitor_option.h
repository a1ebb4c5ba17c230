#pragma once

#include "io/monitor_choice.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace lustrelab {

struct MonitorOption
{
    std::optional<MonitorChoice> choice; // nullopt: not given
    QString usageError;                  // non-empty: given, but not a monitor
};

// Takes "--monitor current|all|N|NAME" (or "--monitor=...") out of `arguments`.
MonitorOption takeMonitorOption(QStringList& arguments);

} // namespace lustrelab
