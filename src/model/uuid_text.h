#pragma once

#include <QString>
#include <QStringView>
#include <QUuid>
#include <optional>

namespace lustrelab {

// Ids in stored files are written upper-case without braces
// ("6F1C1E59-7A3B-4F7E-9A51-0D2B5C1E9F00"). Reading takes either case, with or
// without braces, because the session index of earlier versions wrote them
// braced and lower-case; anything else, and the nil id, is refused.
QString uuidText(const QUuid& id);
std::optional<QUuid> uuidFromText(QStringView text);

} // namespace lustrelab
