#include "image_thumbnail.h"

#include <algorithm>

namespace lustrelab {

QImage imageThumbnail(const QImage& image, const QSize& box, qreal devicePixelRatio, Qt::AspectRatioMode mode)
{
    if (image.isNull() || box.isEmpty() || devicePixelRatio <= 0)
        return {};
    const QSize target = (QSizeF(box) * devicePixelRatio).toSize().expandedTo(QSize(1, 1));
    const QSize scaled = image.size().scaled(target, mode).expandedTo(QSize(1, 1));
    // A smooth scale straight from a screenshot-sized image reads every source
    // pixel; a cheap nearest-neighbour pass to a few times the target first
    // keeps the cost small and the result indistinguishable.
    QImage source = image;
    if (image.width() > scaled.width() * 4 && image.height() > scaled.height() * 4)
        source = image.scaled(scaled * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage result = source.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (mode == Qt::KeepAspectRatioByExpanding) {
        const QSize cropped = scaled.boundedTo(target);
        result = result.copy((scaled.width() - cropped.width()) / 2, (scaled.height() - cropped.height()) / 2,
                             cropped.width(), cropped.height());
    }
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace lustrelab
