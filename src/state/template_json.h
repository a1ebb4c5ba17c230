#pragma once

// The templates file: a compact JSON array of objects with the keys id, name,
// settings, createdAt, updatedAt in that order. Ids are upper-case UUIDs
// without braces; dates are seconds (with fraction) since 2001-01-01T00:00:00Z.
// Reading is strict: one missing or malformed value rejects the whole file, so
// a half-understood file is never taken for the user's templates.

#include "model/model_json.h"
#include "template.h"

#include <QList>
#include <QString>
#include <optional>

namespace lustrelab {

double secondsSinceReferenceDate(const QDateTime& moment);
QDateTime dateFromReferenceSeconds(double seconds);

Json toJson(const Template& entry);
Json templatesToJson(const QList<Template>& templates);
std::optional<QList<Template>> templatesFromJson(const Json& json, QString* error = nullptr);

} // namespace lustrelab
