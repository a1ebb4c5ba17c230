#include "annotation_painter.h"

#include "canvas_geometry.h"
#include "paint_helpers.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace lustrelab {

namespace {

constexpr double kMosaicCell = 8;
// Highlighter ink: pure yellow, translucent so the screenshot shows through.
const QColor kHighlight = QColor::fromRgbF(1, 1, 0, 0.4f);

// Saves the painter's state and restores it when the drawing is done.
class PainterStateGuard
{
  public:
    explicit PainterStateGuard(QPainter& painter) : m_painter(painter) { m_painter.save(); }
    ~PainterStateGuard() { m_painter.restore(); }
    PainterStateGuard(const PainterStateGuard&) = delete;
    PainterStateGuard& operator=(const PainterStateGuard&) = delete;

  private:
    QPainter& m_painter;
};

// A zero (or negative) stroke width draws no outline: Qt would otherwise turn
// width 0 into a one-pixel cosmetic line.
QPen strokePen(const ShapeOverlay& shape)
{
    if (!(shape.strokeWidth > 0))
        return Qt::NoPen;
    return makePen(shape.strokeColor.toPlatformColor(), shape.strokeWidth);
}

void fillAndStroke(QPainter& painter, const QPainterPath& path, const ShapeOverlay& shape)
{
    if (shape.fillColor)
        painter.fillPath(path, shape.fillColor->toPlatformColor());
    painter.strokePath(path, strokePen(shape));
}

// The two barbs of a head at `tip` for a shaft running at angle `a`. The
// barbs are symmetric about the shaft, so the pair is the same whether the
// angle is measured y-up or y-down; no flip is needed here.
void addHead(QPainterPath& path, QPointF tip, double a, double length)
{
    constexpr double halfAngle = std::numbers::pi / 6;
    for (const double barb : {a - halfAngle, a + halfAngle}) {
        path.moveTo(tip);
        path.lineTo(tip - length * QPointF(std::cos(barb), std::sin(barb)));
    }
}

} // namespace

QFont::Weight qtFontWeight(FontWeight weight)
{
    switch (weight) {
    case FontWeight::ultraLight:
        return QFont::Thin;
    case FontWeight::thin:
        return QFont::ExtraLight;
    case FontWeight::light:
        return QFont::Light;
    case FontWeight::regular:
        return QFont::Normal;
    case FontWeight::medium:
        return QFont::Medium;
    case FontWeight::semibold:
        return QFont::DemiBold;
    case FontWeight::bold:
        return QFont::Bold;
    case FontWeight::heavy:
        return QFont::ExtraBold;
    case FontWeight::black:
        return QFont::Black;
    }
    return QFont::Normal;
}

QFont annotationFont(const QString& fontName, FontWeight weight)
{
    QFont font = !fontName.isEmpty() && QFontDatabase::hasFamily(fontName)
                     ? QFont(fontName)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight(qtFontWeight(weight));
    return font;
}

void drawArrow(QPainter& painter, QPointF start, QPointF end, ArrowStyle style, double strokeWidth)
{
    painter.drawLine(start, end);
    if (style == ArrowStyle::none)
        return;
    const double length = 2 * strokeWidth + 15;
    const QPointF along = end - start;
    const double a = std::atan2(along.y(), along.x()); // 0 for a zero-length arrow
    QPainterPath heads;
    addHead(heads, end, a, length);
    if (style == ArrowStyle::double_)
        addHead(heads, start, a + std::numbers::pi, length);
    // Heads are a separate stroke from the shaft: a translucent colour overlaps.
    painter.strokePath(heads, painter.pen());
}

void drawBlurPattern(QPainter& painter, const QRectF& rect)
{
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    const QColor light = greyLevel(0.7, 0.9);
    const QColor dark = greyLevel(0.5, 0.9);
    // Cells are counted bottom-up from the rectangle's lower-left corner: the
    // rectangle's bottom edge is y = 0 of that count.
    const double surfaceHeight = rect.bottom();
    int row = 0;
    for (double y = 0; y < rect.height(); y += kMosaicCell, ++row) {
        const double cellHeight = std::min(kMosaicCell, rect.height() - y);
        int column = 0;
        for (double x = rect.left(); x < rect.right(); x += kMosaicCell, ++column) {
            const double cellWidth = std::min(kMosaicCell, rect.right() - x);
            painter.fillRect(flipRect(x, y, cellWidth, cellHeight, surfaceHeight),
                             (row + column) % 2 == 0 ? light : dark);
        }
    }
}

void drawShape(const ShapeOverlay& shape, QPainter& painter, double canvasWidth, double canvasHeight)
{
    PainterStateGuard guard(painter);
    const QPointF s = unitToCanvas(shape.startPoint, canvasWidth, canvasHeight);
    const QPointF e = unitToCanvas(shape.endPoint, canvasWidth, canvasHeight);
    // Any two opposite corners give the same rectangle.
    const QRectF r = QRectF(s, e).normalized();

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * shape.opacity);
    painter.setPen(strokePen(shape));
    painter.setBrush(Qt::NoBrush);

    switch (shape.shapeType) {
    case ShapeType::rectangle: {
        QPainterPath path;
        path.addRect(r);
        fillAndStroke(painter, path, shape);
        break;
    }
    case ShapeType::roundedRectangle:
        fillAndStroke(painter, roundedRectPath(r, std::min(r.width(), r.height()) * 0.15), shape);
        break;
    case ShapeType::ellipse: {
        QPainterPath path;
        path.addEllipse(r);
        fillAndStroke(painter, path, shape);
        break;
    }
    case ShapeType::line:
        painter.drawLine(s, e);
        break;
    case ShapeType::arrow:
        drawArrow(painter, s, e, shape.arrowStyle, shape.strokeWidth);
        break;
    case ShapeType::highlight:
        painter.fillRect(r, kHighlight);
        break;
    case ShapeType::blur:
        drawBlurPattern(painter, r);
        break;
    }
}

void drawText(const TextOverlay& text, QPainter& painter, double canvasWidth, double canvasHeight)
{
    // A size that is not positive has no glyphs to show (Qt would ignore it and
    // keep a default size instead).
    if (!(text.fontSize > 0) || !std::isfinite(text.fontSize))
        return;
    PainterStateGuard guard(painter);
    const QPointF centre = unitToCanvas(text.position, canvasWidth, canvasHeight);

    // Sizes are in canvas points; Qt's point size goes through the device's
    // resolution, so convert to keep one font point equal to one canvas point.
    QFont font = annotationFont(text.fontName, text.fontWeight);
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    font.setPointSizeF(text.fontSize * 72.0 / (dpi > 0 ? dpi : 72));
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const QSizeF size = metrics.boundingRect(QRectF(), Qt::AlignCenter, text.text).size();

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (text.rotation != 0) {
        // Positive angles turn counter-clockwise on the finished image; Qt's
        // y-down rotation turns clockwise, hence the sign.
        painter.translate(centre);
        painter.rotate(-text.rotation);
        painter.translate(-centre);
    }
    const QRectF box(centre.x() - size.width() * 0.5, centre.y() - size.height() * 0.5, size.width(),
                     size.height());
    painter.setOpacity(painter.opacity() * text.opacity);
    if (text.backgroundColor)
        painter.fillRect(box.adjusted(-8, -4, 8, 4), text.backgroundColor->toPlatformColor());
    if (text.isRedacted) {
        // The glyphs never reach the image, only the box that hides them.
        painter.fillRect(box.adjusted(-4, -2, 4, 2), Qt::black);
        return;
    }
    painter.setPen(text.textColor.toPlatformColor());
    painter.drawText(box, Qt::AlignCenter, text.text);
}

} // namespace lustrelab
