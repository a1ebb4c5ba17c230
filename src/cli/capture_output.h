#pragma once

#include "model/beauty_settings.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace lustrelab {

// Where `lustrelab capture` writes, and in which encoding.
struct CaptureOutput
{
    QString path;
    ExportFormat format = ExportFormat::png;
};

// `output` is the -o argument: a file, or a folder (ending in '/' or
// existing); empty means `picturesFolder`/Lustrelab/. A folder receives
// "Screenshot YYYY-MM-DD HH-MM-SS.png" for `now`, with " (2)", " (3)", ...
// before the suffix while `exists` says the name is taken, so a capture
// never replaces an earlier one. The encoding: `format` when given, else a
// file name's suffix, else `settingsFormat`.
CaptureOutput planCaptureOutput(const QString& output, std::optional<ExportFormat> format,
                                ExportFormat settingsFormat, const QDateTime& now,
                                const QString& picturesFolder,
                                const std::function<bool(const QString&)>& exists);

} // namespace lustrelab
