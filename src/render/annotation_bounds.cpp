#include "annotation_bounds.h"

#include "annotation_painter.h"
#include "surface_coordinates.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QTransform>
#include <cmath>

namespace lustrelab {

namespace {

// Room for the antialiased fringe and rounding, in points.
constexpr double fringe = 2;

bool isFinite(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

QRectF padded(const QRectF& r, double by)
{
    return r.adjusted(-by, -by, by, by);
}

} // namespace

QRectF shapeBounds(const ShapeOverlay& shape, double canvasWidth, double canvasHeight)
{
    const QRectF canvas(0, 0, canvasWidth, canvasHeight);
    const QPointF s = unitToSurface(shape.startPoint, {canvasWidth, canvasHeight});
    const QPointF e = unitToSurface(shape.endPoint, {canvasWidth, canvasHeight});
    const QRectF r = QRectF(s, e).normalized();
    const double stroke = shape.strokeWidth > 0 ? shape.strokeWidth : 0;
    QRectF bounds;
    switch (shape.shapeType) {
    case ShapeType::highlight:
    case ShapeType::blur:
    case ShapeType::pixelate:
    case ShapeType::redact:
        bounds = padded(r, fringe);
        break;
    case ShapeType::spotlight:
        return canvas; // it dims everything else
    case ShapeType::arrow:
        // A head reaches 2 x width + 15 back from its tip, its stroke half a
        // width beyond that; twice over keeps any later change of the head
        // inside.
        bounds = padded(r, 2 * (2 * stroke + 15) + stroke + fringe);
        break;
    default:
        // A mitred corner reaches at most the miter limit (twice half the
        // width) past the outline; flat caps end on it.
        bounds = padded(r, 2 * stroke + fringe);
        break;
    }
    return isFinite(bounds) ? bounds : canvas;
}

QRectF textBounds(const TextOverlay& text, const QPaintDevice* device, double canvasWidth,
                  double canvasHeight)
{
    const QRectF canvas(0, 0, canvasWidth, canvasHeight);
    if (!(text.fontSize > 0) || !std::isfinite(text.fontSize))
        return {}; // draws nothing
    if (!std::isfinite(text.rotation))
        return canvas;
    const QPointF centre = unitToSurface(text.position, {canvasWidth, canvasHeight});
    const QSizeF size = textBoxSize(text.text, textFont(text, device), device);
    const QRectF box(centre.x() - size.width() * 0.5, centre.y() - size.height() * 0.5, size.width(),
                     size.height());
    // The background reaches 8 x 4 points past the box; glyphs (italics,
    // accents, swashes) may reach past the metrics by up to about an em.
    const double reach = 8 + text.fontSize + fringe;
    QRectF bounds = padded(box, reach);
    if (text.rotation != 0) {
        QTransform turn;
        turn.translate(centre.x(), centre.y());
        turn.rotate(-text.rotation);
        turn.translate(-centre.x(), -centre.y());
        bounds = padded(turn.mapRect(bounds), fringe);
    }
    return isFinite(bounds) ? bounds : canvas;
}

QFont textFont(const TextOverlay& text, const QPaintDevice* device)
{
    QFont font = annotationFont(text.fontName, text.fontWeight);
    const int dpi = device ? device->logicalDpiY() : 72;
    font.setPointSizeF(text.fontSize * 72.0 / (dpi > 0 ? dpi : 72));
    return font;
}

QSizeF textBoxSize(const QString& content, const QFont& font, const QPaintDevice* device)
{
    return QFontMetricsF(font, device).boundingRect(QRectF(), Qt::AlignCenter, content).size();
}

QRect boundsInPixels(const QRectF& bounds, double ratio, QSize canvasPixels)
{
    const QRect canvas(QPoint(0, 0), canvasPixels);
    if (bounds.isEmpty())
        return {};
    const QRectF scaled(bounds.x() * ratio, bounds.y() * ratio, bounds.width() * ratio,
                        bounds.height() * ratio);
    // Far outside any canvas the conversion to int is undefined: cut first.
    const QRectF cut = scaled.intersected(QRectF(canvas).adjusted(-2, -2, 2, 2));
    if (cut.isEmpty())
        return {};
    return cut.toAlignedRect().adjusted(-1, -1, 1, 1).intersected(canvas);
}

} // namespace lustrelab
