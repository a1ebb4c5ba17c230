#pragma once

#include <QColor>
#include <QStringView>

namespace lustrelab {

// Parses the hex colours of the gradient catalogue: "#RGB", "RRGGBB" and
// "AARRGGBB" (alpha first). Characters that are neither letters nor digits are
// trimmed from both ends; the length of what remains decides the layout, and
// any other length gives opaque black. Not meant for user-typed colours, whose
// 8-digit form conventionally puts alpha last.
QColor colorFromHex(QStringView hex);

} // namespace lustrelab
