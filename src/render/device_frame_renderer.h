#pragma once

#include "model/device_frame.h"

#include <QImage>

namespace lustrelab {

// Wraps a screenshot in a drawn device mock-up. The screenshot is never
// scaled; the frame grows around it. Stateless.
class DeviceFrameRenderer
{
public:
    QImage frameImage(const QImage& image, const DeviceFrame& frame) const;
};

} // namespace lustrelab
