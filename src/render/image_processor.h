#pragma once

#include "device_frame_renderer.h"
#include "model/beauty_settings.h"
#include "model/removal_area.h"
#include "model/shape_overlay.h"
#include "model/text_overlay.h"

#include <QImage>
#include <QList>

namespace lustrelab {

// Composes one styled image from a screenshot, the styling and the
// annotations. Images are handled at their logical size (pixels divided by
// devicePixelRatio); the result carries the source's ratio.
class ImageProcessor
{
public:
    QImage process(const QImage& source, const BeautySettings& settings, const QList<TextOverlay>& textOverlays,
                   const QList<ShapeOverlay>& shapeOverlays, const QList<RemovalArea>& removalAreas);

    DeviceFrameRenderer frameRenderer;
};

} // namespace lustrelab
