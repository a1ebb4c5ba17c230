#pragma once

#include <QByteArrayView>

namespace lustrelab {

// Whether a JPEG file's segments and scans run whole to its end-of-image
// marker. Decoders fill a file that stops early with grey and call it read;
// this tells such a file apart before it is taken for a whole picture.
// Bytes after the end marker (some cameras append data) do not matter.
bool jpegReachesEnd(QByteArrayView bytes);

} // namespace lustrelab
