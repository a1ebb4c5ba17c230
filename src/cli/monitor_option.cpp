#include "monitor_option.h"

namespace lustrelab {

MonitorOption takeMonitorOption(QStringList& arguments)
{
    MonitorOption option;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == u"--monitor") {
            if (i + 1 >= arguments.size()) {
                option.usageError = QStringLiteral("--monitor needs current, all, a number from 1 or a name");
                return option;
            }
            value = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (arguments[i].startsWith(u"--monitor=")) {
            value = arguments[i].mid(10);
            arguments.remove(i);
        } else {
            continue;
        }
        option.choice = MonitorChoice::parse(value);
        if (!option.choice) {
            option.usageError =
                QStringLiteral("--monitor needs current, all, a number from 1 or a name, got '%1'").arg(value);
            return option;
        }
        --i;
    }
    return option;
}

} // namespace lustrelab
