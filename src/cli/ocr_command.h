#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab ocr [--language LANG] FILE...`: prints the text of each image,
// under a "==> FILE <==" line when there are several. Exit status 0 when
// every file was read, 1 when one was not (one line each), 2 on a usage error.
int runOcrCommand(const QStringList& arguments);

} // namespace lustrelab
