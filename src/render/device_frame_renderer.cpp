#include "device_frame_renderer.h"

namespace lustrelab {

QImage DeviceFrameRenderer::frameImage(const QImage& image, const DeviceFrame&) const
{
    return image; // frames are drawn in a later step of the renderer's development
}

} // namespace lustrelab
