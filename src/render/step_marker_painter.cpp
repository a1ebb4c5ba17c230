#include "step_marker_painter.h"

#include "model/color_contrast.h"
#include "surface_coordinates.h"

#include <QFontDatabase>
#include <QLineF>
#include <QTransform>
#include <cmath>

namespace lustrelab {

namespace {

// The number's digits are this high, as a share of the diameter, and never
// wider than the second share (three digits shrink to fit).
constexpr double digitHeight = 0.46;
constexpr double digitWidth = 0.72;
// Half the tail's width where it leaves the circle, as a share of the radius.
constexpr double tailHalfWidth = 0.55;

// The digits as a path of their glyph outlines, centred on `centre`. The
// outlines are measured rather than the font's metrics, so the number sits in
// the exact middle whatever the font's ascent and descent.
QPainterPath numberPath(int number, QPointF centre, double diameter)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight(QFont::Bold);
    font.setPointSizeF(100);
    QPainterPath glyphs;
    glyphs.addText(QPointF(), font, QString::number(number));
    const QRectF box = glyphs.boundingRect();
    if (box.isEmpty())
        return {};
    const double scale = std::min(digitHeight * diameter / box.height(), digitWidth * diameter / box.width());
    QTransform place;
    place.translate(centre.x(), centre.y());
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.center().y());
    return place.map(glyphs);
}

} // namespace

QColor markerNumberColor(const CodableColor& fill)
{
    const double luminance = relativeLuminance(fill.red, fill.green, fill.blue);
    // Black and white have the luminances 0 and 1.
    return contrastRatio(luminance, 0) >= contrastRatio(luminance, 1) ? QColor(Qt::black) : QColor(Qt::white);
}

QPainterPath stepMarkerOutline(const StepMarker& marker, double canvasWidth, double canvasHeight)
{
    const QSizeF canvas(canvasWidth, canvasHeight);
    const QPointF centre = unitToSurface(marker.position, canvas);
    const double radius = std::max(0.0, marker.size) / 2;
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.addEllipse(centre, radius, radius);
    if (marker.tailPoint) {
        const QPointF tip = unitToSurface(*marker.tailPoint, canvas);
        const QLineF along(centre, tip);
        // A tip inside the circle has nothing to point out.
        if (along.length() > radius) {
            const QPointF normal = QPointF(-along.dy(), along.dx()) / along.length() * radius * tailHalfWidth;
            QPainterPath tail;
            tail.moveTo(centre + normal);
            tail.lineTo(tip);
            tail.lineTo(centre - normal);
            tail.closeSubpath();
            // One outline, so that a translucent colour is laid on once where
            // the tail meets the circle.
            outline = outline.united(tail);
        }
    }
    return outline;
}

QRectF stepMarkerBounds(const StepMarker& marker, double canvasWidth, double canvasHeight)
{
    return stepMarkerOutline(marker, canvasWidth, canvasHeight).controlPointRect().adjusted(-2, -2, 2, 2);
}

void drawStepMarker(const StepMarker& marker, QPainter& painter, double canvasWidth, double canvasHeight)
{
    if (!(marker.size > 0))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillPath(stepMarkerOutline(marker, canvasWidth, canvasHeight), marker.color.toPlatformColor());
    const QPointF centre = unitToSurface(marker.position, {canvasWidth, canvasHeight});
    painter.fillPath(numberPath(marker.number, centre, marker.size), markerNumberColor(marker.color));
    painter.restore();
}

} // namespace lustrelab
