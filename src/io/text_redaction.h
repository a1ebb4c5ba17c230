#pragma once

#include "model/recognized_text.h"

#include <QImage>
#include <optional>

namespace lustrelab {

// The screenshot with every secret its text shows covered by a solid box,
// for output that never had a chance to be reviewed (the command line).
// `found`, when given, receives what was covered. Nothing, with a one-line
// reason, when the text cannot be read (language data missing). Slow: not
// on the window's thread.
std::optional<QImage> redactSensitiveText(const QImage& screenshot, const QString& language,
                                          QList<SensitiveRegion>* found, QString* error);

} // namespace lustrelab
