#include "canvas_decorations.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace lustrelab::canvas {

namespace {

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

// The secondary text colour: the window text, faded.
QColor secondaryColor(const QPalette& palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.6);
}

// A framed landscape picture tilted behind a second one, drawn as outlines.
void paintPictureSymbol(QPainter& painter, const QRectF& box, const QColor& color)
{
    const double side = box.width();
    const double stroke = side * 0.06;
    QPen pen(color, stroke);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(pen);

    const QRectF front(box.left() + side * 0.04, box.top() + side * 0.24, side * 0.78, side * 0.62);
    // The picture behind, tilted, with the part under the front picture cut away.
    QPainterPath behind;
    behind.addRoundedRect(QRectF(-front.width() / 2, -front.height() / 2, front.width(), front.height()),
                          side * 0.08, side * 0.08);
    QTransform tilt;
    tilt.translate(front.center().x() + side * 0.1, front.center().y() - side * 0.1);
    tilt.rotate(-10);
    QPainterPath frontShape;
    frontShape.addRoundedRect(front.adjusted(-stroke, -stroke, stroke, stroke), side * 0.08, side * 0.08);
    QPainterPath around;
    around.addRect(box.adjusted(-side, -side, side, side));
    painter.save();
    painter.setClipPath(around.subtracted(frontShape), Qt::IntersectClip);
    painter.drawPath(tilt.map(behind));
    painter.restore();

    painter.drawRoundedRect(front, side * 0.08, side * 0.08);
    // Sun and hills inside the front picture.
    const double r = side * 0.06;
    painter.drawEllipse(QPointF(front.left() + front.width() * 0.3, front.top() + front.height() * 0.32), r,
                        r);
    QPainterPath hills;
    hills.moveTo(front.left() + stroke, front.bottom() - front.height() * 0.15);
    hills.lineTo(front.left() + front.width() * 0.38, front.top() + front.height() * 0.55);
    hills.lineTo(front.left() + front.width() * 0.58, front.top() + front.height() * 0.72);
    hills.lineTo(front.left() + front.width() * 0.74, front.top() + front.height() * 0.5);
    hills.lineTo(front.right() - stroke, front.bottom() - front.height() * 0.2);
    painter.drawPath(hills);
    painter.restore();
}

} // namespace

void paintDragPreview(QPainter& painter, const QRectF& rect, CanvasTool tool, ShapeType shapeType)
{
    const QColor red(Qt::red);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    QPen stroke(red, 3);
    stroke.setCapStyle(Qt::FlatCap);
    stroke.setJoinStyle(Qt::MiterJoin);
    if (tool == CanvasTool::remove) {
        painter.fillRect(rect, withAlpha(red, 0.2));
        QPen dashed(red, 2);
        dashed.setCapStyle(Qt::FlatCap);
        dashed.setDashPattern({3, 1.5}); // 6 points on, 3 off, in pen widths
        painter.setPen(dashed);
        painter.drawRect(rect);
    } else if (tool == CanvasTool::shape) {
        switch (shapeType) {
        case ShapeType::rectangle:
            painter.setPen(stroke);
            painter.drawRect(rect);
            break;
        case ShapeType::roundedRectangle: {
            const double radius = 0.15 * std::min(rect.width(), rect.height());
            painter.setPen(stroke);
            painter.drawRoundedRect(rect, radius, radius);
            break;
        }
        case ShapeType::ellipse:
            painter.setPen(stroke);
            painter.drawEllipse(rect);
            break;
        case ShapeType::line:
        case ShapeType::arrow:
            painter.setPen(stroke);
            painter.drawLine(rect.topLeft(), rect.bottomRight());
            break;
        case ShapeType::highlight:
            painter.fillRect(rect, withAlpha(Qt::yellow, 0.4));
            break;
        case ShapeType::blur:
        case ShapeType::pixelate:
            painter.fillRect(rect, withAlpha(Qt::gray, 0.5));
            break;
        case ShapeType::redact:
            painter.fillRect(rect, Qt::black);
            break;
        case ShapeType::spotlight: {
            // What stays bright: its outline over a light veil of the dimming.
            painter.fillRect(rect, withAlpha(Qt::black, 0.2));
            painter.setPen(stroke);
            painter.drawRect(rect);
            break;
        }
        }
    }
    painter.restore();
}

void paintEmptyState(QPainter& painter, const QRectF& area, const QPalette& palette, const QString& title,
                     const QString& subtitle)
{
    constexpr double symbolSide = 56;
    constexpr double spacing = 16;
    const QColor secondary = secondaryColor(palette);

    QFont titleFont = QGuiApplication::font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    QFont subtitleFont = QGuiApplication::font();
    subtitleFont.setPointSizeF(subtitleFont.pointSizeF() * 1.05);
    const QFontMetricsF titleMetrics(titleFont, painter.device());
    const QFontMetricsF subtitleMetrics(subtitleFont, painter.device());

    const double height = symbolSide + spacing + titleMetrics.height() + spacing + subtitleMetrics.height();
    double top = area.center().y() - height / 2;
    const double centreX = area.center().x();

    paintPictureSymbol(painter, QRectF(centreX - symbolSide / 2, top, symbolSide, symbolSide),
                       withAlpha(secondary, 0.5));
    top += symbolSide + spacing;

    painter.save();
    painter.setFont(titleFont);
    painter.setPen(secondary);
    painter.drawText(QRectF(area.left(), top, area.width(), titleMetrics.height()), Qt::AlignCenter, title);
    top += titleMetrics.height() + spacing;
    painter.setFont(subtitleFont);
    painter.setPen(withAlpha(secondary, 0.7));
    painter.drawText(QRectF(area.left(), top, area.width(), subtitleMetrics.height()), Qt::AlignCenter,
                     subtitle);
    painter.restore();
}

void paintBusyIndicator(QPainter& painter, const QRectF& area, const QPalette& palette, double phase)
{
    // A 20-point spinner shown one and a half times its size.
    constexpr double diameter = 20 * 1.5;
    constexpr int spokes = 12;
    const QPointF centre = area.center();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A soft disc behind the spokes keeps them readable over any image.
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(palette.color(QPalette::Window), 0.8));
    painter.drawEllipse(centre, diameter * 0.8, diameter * 0.8);

    const int lead = int(std::floor(phase * spokes)) % spokes;
    QPen pen(palette.color(QPalette::WindowText), diameter * 0.09);
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < spokes; ++i) {
        const int age = (lead - i + spokes) % spokes; // 0 for the brightest spoke
        pen.setColor(withAlpha(palette.color(QPalette::WindowText), 1.0 - 0.75 * age / (spokes - 1)));
        painter.setPen(pen);
        const double angle = 2 * M_PI * i / spokes - M_PI / 2;
        const QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(centre + direction * diameter * 0.25, centre + direction * diameter * 0.48);
    }
    painter.restore();
}

} // namespace lustrelab::canvas
