#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab compose ...`; `arguments` follow the sub-command name. Creates
// the application object once the arguments are known to be sound: a
// QGuiApplication (offscreen unless QT_QPA_PLATFORM says otherwise) when
// texts are drawn, else a plain QCoreApplication. Returns the exit
// status: 0 all written, 1 some input or JSON file failed, 2 usage error.
int runComposeCommand(const QStringList& arguments, char* programName);

} // namespace lustrelab
