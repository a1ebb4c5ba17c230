#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab compose ...`; `arguments` follow the sub-command name. Creates
// the QGuiApplication it paints with (offscreen unless QT_QPA_PLATFORM says
// otherwise) once the arguments are known to be sound. Returns the exit
// status: 0 all written, 1 some input or JSON file failed, 2 usage error.
int runComposeCommand(const QStringList& arguments, char* programName);

} // namespace lustrelab
