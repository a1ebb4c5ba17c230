#pragma once

// Records are found by their id, never by position: a list may have been
// reordered or shortened since the id was taken. These work on any list of
// records with an `id` member (tabs, annotations, catalogue entries) and any
// id type that compares with it (QUuid, or QStringView for catalogue ids).
// Every lookup takes the first exact match.

#include <QList>
#include <optional>

namespace lustrelab {

// The record with `id`, or nullptr. The pointer is valid while `list` is
// unchanged; for a list returned by value use findById.
template <typename Record, typename Id> const Record* recordWithId(const QList<Record>& list, const Id& id)
{
    for (const Record& record : list)
        if (record.id == id)
            return &record;
    return nullptr;
}

template <typename Record, typename Id> Record* recordWithId(QList<Record>& list, const Id& id)
{
    for (Record& record : list)
        if (record.id == id)
            return &record;
    return nullptr;
}

// A copy of the record with `id`, or nullopt.
template <typename Record, typename Id>
std::optional<Record> findById(const QList<Record>& list, const Id& id)
{
    if (const Record* record = recordWithId(list, id))
        return *record;
    return std::nullopt;
}

// Replaces the record with `record`'s id; false (and no change) when it is gone.
template <typename Record> bool replaceById(QList<Record>& list, const Record& record)
{
    if (Record* existing = recordWithId(list, record.id)) {
        *existing = record;
        return true;
    }
    return false;
}

// Removes the records with `id`; false when there was none.
template <typename Record, typename Id> bool removeById(QList<Record>& list, const Id& id)
{
    return list.removeIf([&](const Record& record) { return record.id == id; }) > 0;
}

} // namespace lustrelab
