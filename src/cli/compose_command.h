#pragma once

#include "batch_runner.h"
#include "compose_options.h"

#include <QStringList>
#include <optional>

namespace lustrelab {

// `lustrelab compose ...`; `arguments` follow the sub-command name. Creates
// the application object once the arguments are known to be sound: a
// QGuiApplication (offscreen unless QT_QPA_PLATFORM says otherwise) when
// texts are drawn, else a plain QCoreApplication. Returns the exit
// status: 0 all written, 1 some input or JSON file failed, 2 usage error.
int runComposeCommand(const QStringList& arguments, char* programName);

// Shared with `capture`, which reads the same styling options.

// The styling: defaults, then the settings file or the template, then each
// --set, then --scale (the format is settled per output); and the
// annotations file when one is named. Reports and returns nothing when any
// of them cannot be used.
std::optional<ComposeRecipe> resolveComposeRecipe(const ComposeOptions& options);

// Every failure is reported as one "lustrelab: FILE: reason" line, so Qt's
// own warnings would only repeat them in other words ("libpng error: Read
// Error") or concern nothing the command does (a missing XDG_RUNTIME_DIR
// under cron or ssh). They are dropped unless LUSTRELAB_QT_WARNINGS is set;
// critical and fatal messages always pass. Install with qInstallMessageHandler.
void quietQtWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message);

} // namespace lustrelab
