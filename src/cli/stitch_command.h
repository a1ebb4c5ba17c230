#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab stitch A.png B.png [C.png...] -o OUT [options]`: joins images
// that overlap, in order, into one long one, plain or styled like
// `compose`. Returns the exit status: 0 written, 1 an input could not be
// read or the images could not be stitched, 2 usage error.
int runStitchCommand(const QStringList& arguments, char* programName);

QString stitchHelp();

} // namespace lustrelab
