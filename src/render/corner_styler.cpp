#include "corner_styler.h"

#include "paint_helpers.h"
#include "parallel_bands.h"

#include <QPainter>
#include <cstring>

namespace lustrelab {

namespace {

// A copy of `image` in premultiplied ARGB, written into `scratch` when it can
// be reused. The copy is taken out of `scratch` first so that painting on it
// does not trigger a detach (which would copy the pixels again).
QImage copyInto(const QImage& image, QImage& scratch)
{
    QImage target = std::move(scratch);
    if (target.isNull() || !target.isDetached() || target.size() != image.size() ||
        target.format() != QImage::Format_ARGB32_Premultiplied)
        target = QImage(image.size(), QImage::Format_ARGB32_Premultiplied);
    if (target.isNull())
        return target;
    target.setDevicePixelRatio(image.devicePixelRatio());
    const size_t rowBytes = size_t(image.width()) * 4;
    uchar* bits = target.bits(); // once: scanLine() on a writable image is not thread-safe
    const qsizetype stride = target.bytesPerLine();
    runInBands(image.height(), [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
            std::memcpy(bits + stride * y, image.constScanLine(y), rowBytes);
    });
    scratch = target;
    return target;
}

} // namespace

QImage applyCorners(const QImage& image, const BeautySettings& settings, QImage& scratch)
{
    if (image.isNull())
        return image;
    const QSizeF size = logicalSize(image);
    const QRectF bounds(QPointF(0, 0), size);
    const double border = std::max(0.0, settings.borderWidth);
    const QRectF pathRect = bounds.adjusted(border / 2, border / 2, -border / 2, -border / 2);
    const double radius = std::max(0.0, settings.cornerRadius - border / 2);
    if (border == 0 && radius == 0)
        return image; // clipping to its own bounds changes nothing

    const QImage source = image.format() == QImage::Format_ARGB32_Premultiplied
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage styled = copyInto(source, scratch);
    QPainter painter;
    if (styled.isNull() || !painter.begin(&styled))
        return image;
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = roundedRectPath(pathRect, radius);

    // Erasing what lies outside the shape leaves each edge pixel at the
    // shape's coverage, as clipping a drawing to it would, but touches only
    // the pixels near the corners instead of redrawing the whole image.
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(bounds.adjusted(-1, -1, 1, 1));
    outside.addPath(shape);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.fillPath(outside, Qt::black);

    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (border > 0 && shape.isEmpty()) {
        // The border is wider than the image: its band covers everything.
        painter.fillRect(bounds, settings.borderColor.toPlatformColor());
    } else if (border > 0) {
        painter.setPen(makePen(settings.borderColor.toPlatformColor(), border));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape);
    }
    painter.end();
    return styled;
}

} // namespace lustrelab
