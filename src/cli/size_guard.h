#pragma once

#include "model/beauty_settings.h"

#include <QSize>
#include <QString>

namespace lustrelab {

// Refuses a composition whose canvas or written image would be empty or
// larger than `maxPixels`, before any of it is allocated: a padding of 10^6
// typed by mistake must end in a message, not in an exhausted machine.
// `imageSize` is the loaded image's pixel size. Returns the reason, or empty.
// The canvas is estimated the way composition lays it out (padding, then the
// canvas preset's ratio); a device frame's bezel is counted on every side.
QString checkComposedSize(QSize imageSize, const BeautySettings& settings, qint64 maxPixels);

} // namespace lustrelab
