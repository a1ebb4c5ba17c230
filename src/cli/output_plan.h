#pragma once

#include "model/beauty_settings.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace lustrelab {

// Where one input's styled image goes, or why it cannot be written.
struct ComposeJob
{
    QString input;
    QString output; // empty: nothing is written (a copy only)
    ExportFormat format = ExportFormat::png;
    QString error; // non-empty: the job is refused before any work
    bool copy = false; // also encode the result for the clipboard (JobOutcome::clipboardPng)

    friend bool operator==(const ComposeJob&, const ComposeJob&) = default;
};

struct OutputPlan
{
    QList<ComposeJob> jobs; // one per input, in input order
    QString folder;         // a folder to create before writing, or empty
};

// The encoding an output file's name asks for: .png, .jpg or .jpeg in any case.
std::optional<ExportFormat> formatFromName(const QString& path);

// True for a path that ends in '/' or is an existing folder.
bool namesFolder(const QString& path);

// "shots/login.png" -> "shots/login-styled.png" (or ".jpeg").
QString defaultOutputPath(const QString& input, ExportFormat format);

// Decides output paths and formats. `output` is the -o argument (may be
// empty). An explicit format wins; otherwise a single output file named
// *.png / *.jpg / *.jpeg decides, and then `settingsFormat`. A job whose output
// would resolve to any input, or to another job's output, is refused: the
// input must never be lost to a typo.
OutputPlan planOutputs(const QStringList& inputs, const QString& output, std::optional<ExportFormat> format,
                       ExportFormat settingsFormat);

} // namespace lustrelab
