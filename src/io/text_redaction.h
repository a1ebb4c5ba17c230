#pragma once

#include "model/recognized_text.h"

#include <QImage>
#include <optional>

namespace lustrelab {

// What a screenshot's text holds that must not be shared, and the text as
// read (whose unsure words tell the user to look again).
struct SensitiveReading
{
    RecognizedText text;
    QList<SensitiveRegion> regions; // boxes in the screenshot's pixels
};

// The one way secrets are looked for in a screenshot: the window's Redact
// Sensitive and the command line's --redact both come here, so that they
// prepare the image alike and find the same. Nothing, with a one-line
// reason, when the text cannot be read (language data missing). Slow: not
// on the window's thread.
std::optional<SensitiveReading> findSensitiveText(const QImage& screenshot, const QString& language,
                                                  QString* error);

// The screenshot with every secret its text shows covered by a solid box,
// for output that never had a chance to be reviewed (the command line).
// `reading`, when given, receives what was found.
std::optional<QImage> redactSensitiveText(const QImage& screenshot, const QString& language,
                                          SensitiveReading* reading, QString* error);

} // namespace lustrelab
