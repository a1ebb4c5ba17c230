#include "uuid_text.h"

namespace lustrelab {

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromText(QStringView text)
{
    if (text.size() == 38 && text.front() == u'{' && text.back() == u'}')
        text = text.sliced(1, 36);
    if (text.size() != 36)
        return std::nullopt;
    const QUuid id = QUuid::fromString(text);
    // fromString is lenient about what sits between the groups; only the
    // canonical spelling of an id counts as one.
    if (id.isNull() || uuidText(id).compare(text, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return id;
}

} // namespace lustrelab
