#pragma once

#include "model/beauty_settings.h"
#include "settings_assignment.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace lustrelab {

// Everything `lustrelab compose` was asked to do, as typed. Files are not
// touched while parsing; only the text of the arguments is checked.
struct ComposeOptions
{
    QStringList inputs;
    QString output;       // empty: beside each input
    QString settingsFile; // a BeautySettings JSON object
    QString templateName; // a saved template
    QList<SettingsAssignment> assignments;
    QString annotationsFile;
    std::optional<double> scale;
    std::optional<ExportFormat> format;
    bool copy = false;   // the styled image also goes to the clipboard
    bool redact = false; // secrets found in the screenshot's text are covered first
    bool help = false;
};

struct ComposeParse
{
    ComposeOptions options;
    QString usageError; // non-empty: exit status 2
};

// `arguments` are those after the sub-command name. `capture` reads the same
// styling and output options; its one word (region, window, screen) arrives
// in `inputs`, and no input is required.
enum class InputsRequired { yes, no };
ComposeParse parseComposeArguments(const QStringList& arguments, InputsRequired inputs = InputsRequired::yes);

QString composeUsageLine();
QString composeHelp();

} // namespace lustrelab
