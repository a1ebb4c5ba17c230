#pragma once

#include "model/model_json.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace lustrelab {

// How every stored or hand-written file is read: settings, annotations,
// templates, saved gradients, projects. On failure `error` says why, without
// the path, which the caller names in its own way.

// Far more than any settings, annotations or templates file holds.
inline constexpr qint64 jsonFileLimit = qint64(64) << 20;

// The whole file, read up to `limit` bytes and no further whatever it is (a
// pipe, a device): "is a folder", "cannot read: ...", "larger than any ...".
std::optional<QByteArray> readFileBytes(const QString& path, qint64 limit, QString* error);

// JSON text held in memory: "invalid JSON: " and the parser's message with
// its line and column.
std::optional<Json> parseJson(QByteArrayView bytes, QString* error);

// readFileBytes() with jsonFileLimit, then parseJson().
std::optional<Json> readJsonFile(const QString& path, QString* error);

} // namespace lustrelab
