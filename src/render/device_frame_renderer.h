#pragma once

#include "model/device_frame.h"

#include <QImage>

namespace lustrelab {

// Wraps a screenshot in a drawn device mock-up: a phone or tablet body, a
// laptop or desktop display, or a browser window. Flat vector shapes only; the
// screenshot is never scaled, the frame grows around it, and the result keeps
// the screenshot's device pixel ratio. Outside the drawn body the result is
// transparent. Stateless.
//
// Example: a 390 x 844 point screenshot in a phone frame with bezel 3 becomes a
// 396 x 850 point image with the screenshot at (3, 3).
class DeviceFrameRenderer
{
  public:
    // The framed image; the input itself for a frame of category `none`, or
    // when no painter can be opened on the new image.
    QImage frameImage(const QImage& image, const DeviceFrame& frame) const;

    // The size in points of what frameImage makes of a screenshot of
    // `screenSize` points; its pixel size is this times the ratio, rounded up.
    static QSizeF framedSize(QSizeF screenSize, const DeviceFrame& frame);
};

} // namespace lustrelab
