#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab capture [region|window|screen] [options]`: takes a screenshot
// through the desktop's capture tool without showing a window, styles it like
// `compose` does and writes it. Returns the exit status: 0 written, 1 the
// capture or the write failed, 2 usage error, 3 the user cancelled.
int runCaptureCommand(const QStringList& arguments, char* programName);

QString captureHelp();

} // namespace lustrelab
