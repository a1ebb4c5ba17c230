#pragma once

#include <QString>

namespace lustrelab {

// The `--settings` and `--set` paragraphs of the compose help, listing the
// styling fields by the values they take, as the field table has them.
QString stylingOptionsHelp();

} // namespace lustrelab
