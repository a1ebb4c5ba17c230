#pragma once

#include "model/beauty_settings.h"
#include "model/model_json.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace lustrelab {

// One `--set FIELD=VALUE` argument. The value is checked against the field's
// type while the command line is parsed, so that a typo is reported as a usage
// error before any file is read or written.
struct SettingsAssignment
{
    QString key; // a BeautySettings JSON key
    Json value;  // already of the JSON type that key takes

    friend bool operator==(const SettingsAssignment&, const SettingsAssignment&) = default;
};

struct AssignmentParse
{
    std::optional<SettingsAssignment> assignment;
    QString error; // set when assignment is empty; names the field when known
};

// Value forms: numbers as decimals; booleans `true` / `false`; colours as
// #RRGGBB, #RRGGBBAA (alpha last) or a CodableColor JSON object; enumerations
// by raw value; preset ids must name an entry of their catalogue.
AssignmentParse parseSettingsAssignment(QStringView argument);

// Applies the assignments in order; later ones win. Goes through the strict
// JSON reader, so the result is a record a template could hold.
std::optional<BeautySettings> applySettingsAssignments(const BeautySettings& base,
                                                       const QList<SettingsAssignment>& assignments,
                                                       QString* error = nullptr);

} // namespace lustrelab
