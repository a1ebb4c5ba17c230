#include "screenshot_tab.h"

namespace lustrelab {

QString defaultTabName(const QDateTime& createdAt)
{
    return QStringLiteral("Screenshot ") + createdAt.toLocalTime().toString(QStringLiteral("HH:mm:ss"));
}

} // namespace lustrelab
