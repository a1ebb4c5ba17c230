#pragma once

#include "model/model_json.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace lustrelab {

// Reads and parses a whole JSON file. On failure `error` says why (cannot
// read, or the parser's message with line and column), without the path.
std::optional<Json> readJsonFile(const QString& path, QString* error);

// Parses JSON text held in memory; the same errors as readJsonFile.
std::optional<Json> parseJson(const QByteArray& bytes, QString* error);

} // namespace lustrelab
