#pragma once

#include "model/beauty_settings.h"

#include <QSize>
#include <QString>

namespace lustrelab {

// Refuses a composition whose canvas or written image would be empty, larger
// than `maxPixels`, or longer on a side than any canvas composition makes,
// before any of it is allocated: a padding of 10^6 typed by mistake must end
// in a message, not in an exhausted machine or the source written unstyled.
// `imageSize` is the image's pixel size (it may come from a file's header,
// before decoding). The canvas is measured by the composition's own framing
// and layout. `ratio` is the image's device pixel ratio: files read at 1, a
// capture of a HiDPI screen at the screen's. Returns the reason, or empty.
QString checkComposedSize(QSize imageSize, const BeautySettings& settings, qint64 maxPixels,
                          double ratio = 1.0);

} // namespace lustrelab
