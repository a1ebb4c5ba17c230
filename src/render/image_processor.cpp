#include "image_processor.h"

namespace lustrelab {

QImage ImageProcessor::process(const QImage& source, const BeautySettings&, const QList<TextOverlay>&,
                               const QList<ShapeOverlay>&, const QList<RemovalArea>&)
{
    return source;
}

} // namespace lustrelab
