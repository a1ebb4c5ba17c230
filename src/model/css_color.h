#pragma once

#include "model/codable_color.h"

#include <QStringView>
#include <optional>

namespace lustrelab {

// Parses a colour typed on the command line: "#RRGGBB" or "#RRGGBBAA" with
// the alpha LAST, as in CSS and most colour pickers. Deliberately not
// colorFromHex: the catalogue's 8-digit form puts alpha first, and a user who
// types #ff000080 means half-transparent red, not a dark blue.
std::optional<CodableColor> parseCssColor(QStringView text);

} // namespace lustrelab
