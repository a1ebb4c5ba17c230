#include "corner_styler.h"

#include "paint_helpers.h"

#include <QPainter>
#include <cmath>

namespace lustrelab {

namespace {

// Styles the part `rect` (device pixels) of the image: a copy of those pixels
// with everything drawn in the image's own coordinates, moved by the strip's
// position. A strip that cannot be drawn keeps the plain pixels.
QImage styledStrip(const QImage& image, QRect rect, const QPainterPath& shape, double border,
                   const QColor& borderColor)
{
    QImage strip = image.copy(rect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const double ratio = image.devicePixelRatio();
    strip.setDevicePixelRatio(ratio);
    QPainter painter;
    ImagePainting painting(painter, strip);
    if (!painting.isActive())
        return strip;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-rect.x() / ratio, -rect.y() / ratio);
    const QRectF bounds(QPointF(0, 0), logicalSize(image));

    // Erasing what lies outside the shape leaves each edge pixel at the
    // shape's coverage, as clipping a drawing to it would.
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(bounds.adjusted(-1, -1, 1, 1));
    outside.addPath(shape);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.fillPath(outside, Qt::black);

    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (border > 0 && shape.isEmpty()) {
        // The border is wider than the image: its band covers everything.
        painter.fillRect(bounds, borderColor);
    } else if (border > 0) {
        painter.setPen(makePen(borderColor, border));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(shape);
    }
    painting.end();
    return strip;
}

} // namespace

StyledImage applyCorners(const QImage& image, const BeautySettings& settings, bool opaque)
{
    if (image.isNull())
        return {};
    const QRectF bounds(QPointF(0, 0), logicalSize(image));
    // Values that are not numbers (a damaged template) style nothing.
    auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
    const double border = std::max(0.0, finite(settings.borderWidth));
    const double radius = std::max(0.0, finite(settings.cornerRadius) - border / 2);
    if (border == 0 && radius == 0)
        return StyledImage(image, {}, opaque); // clipping to its own bounds changes nothing

    const QPainterPath shape =
        roundedRectPath(bounds.adjusted(border / 2, border / 2, -border / 2, -border / 2), radius);
    const QColor borderColor = settings.borderColor.toPlatformColor();
    // How far into the image styling reaches, in pixels, with a margin for
    // antialiasing.
    const double reachPixels =
        std::ceil(std::max(radius + border / 2, border) * image.devicePixelRatio()) + 2;
    const int w = image.width(), h = image.height();
    std::vector<StyledImage::Strip> strips;
    if (!(2 * reachPixels < std::min(w, h))) { // also for a radius or border out of all range
        strips.push_back({image.rect(), {}});
    } else {
        const int reach = int(reachPixels);
        strips.push_back({QRect(0, 0, w, reach), {}});
        strips.push_back({QRect(0, h - reach, w, reach), {}});
        strips.push_back({QRect(0, reach, reach, h - 2 * reach), {}});
        strips.push_back({QRect(w - reach, reach, reach, h - 2 * reach), {}});
    }
    for (StyledImage::Strip& strip : strips)
        strip.pixels = styledStrip(image, strip.rect, shape, border, borderColor);
    return StyledImage(image, std::move(strips), opaque);
}

} // namespace lustrelab
