#pragma once

#include "model/beauty_settings.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace lustrelab {

// Where a capture saved into `folder` goes: "Screenshot YYYY-MM-DD
// HH-MM-SS.png" for `now` (the suffix of `format`), with " (2)", " (3)", ...
// before the suffix while `exists` says the name is taken, so a capture
// never replaces an earlier one.
QString captureFilePath(const QString& folder, const QDateTime& now, ExportFormat format,
                        const std::function<bool(const QString&)>& exists);

} // namespace lustrelab
