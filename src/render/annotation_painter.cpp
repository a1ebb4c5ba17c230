#include "annotation_painter.h"

#include "annotation_bounds.h"
#include "font_resolution.h"
#include "paint_helpers.h"
#include "pixelate_fill.h"
#include "surface_coordinates.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace lustrelab {

namespace {

constexpr double mosaicCell = 8;
// Highlighter ink: pure yellow, translucent so the screenshot shows through.
const QColor highlightColor = QColor::fromRgbF(1, 1, 0, 0.4f);

// Saves the painter's state and restores it when the drawing is done.
class PainterStateGuard
{
  public:
    explicit PainterStateGuard(QPainter& painter) : m_painter(painter), m_opacity(painter.opacity())
    {
        m_painter.save();
    }
    ~PainterStateGuard() { m_painter.restore(); }
    // The painter's opacity before the drawing changed it.
    double outerOpacity() const { return m_opacity; }
    PainterStateGuard(const PainterStateGuard&) = delete;
    PainterStateGuard& operator=(const PainterStateGuard&) = delete;

  private:
    QPainter& m_painter;
    double m_opacity;
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
    const FontResolution resolved = resolveFontName(fontName);
    QFont font = resolved.match == FontResolution::Match::missing
                     ? QFontDatabase::systemFont(QFontDatabase::GeneralFont)
                     : QFont(resolved.family);
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

void drawBlurPattern(QPainter& painter, const QRectF& rect, const QRectF& visible)
{
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    // Only the cells that can show are drawn, and they are counted with
    // integers: a rectangle far off the canvas (a hand-written file says
    // x = 1e15) or merely huge costs nothing, where stepping a coordinate by
    // the cell size would stop advancing once the step falls below its
    // precision. The same checks refuse infinite or undefined corners.
    const double left = std::max(rect.left(), visible.left());
    const double right = std::min(rect.right(), visible.right());
    const double top = std::max(rect.top(), visible.top());
    const double bottom = std::min(rect.bottom(), visible.bottom());
    if (!(right > left) || !(bottom > top))
        return;
    const QColor light = greyLevel(0.7, 0.9);
    const QColor dark = greyLevel(0.5, 0.9);
    // Cells are counted bottom-up from the rectangle's lower-left corner: the
    // rectangle's bottom edge is y = 0 of that count.
    // The first visible cell: its index (for the colour) and its edges, placed
    // from the visible part so that they stay exact however far away the
    // rectangle's own corner lies.
    const double intoX = left - rect.left(), intoY = rect.bottom() - bottom;
    const double firstColumn = std::floor(intoX / mosaicCell);
    const double firstRow = std::floor(intoY / mosaicCell);
    const double firstLeft = left - std::fmod(intoX, mosaicCell);
    const double firstBottom = bottom + std::fmod(intoY, mosaicCell);
    const int columns = int(std::ceil((right - firstLeft) / mosaicCell));
    const int rows = int(std::ceil((firstBottom - top) / mosaicCell));
    // Beyond 2^53 the index is no longer exact, nor is the colour that far out.
    const bool firstIsLight = std::fmod(firstColumn + firstRow, 2.0) == 0;
    for (int row = 0; row < rows; ++row) {
        const double cellBottom = firstBottom - row * mosaicCell;
        const double y0 = std::max(top, cellBottom - mosaicCell);
        const double y1 = std::min(bottom, cellBottom);
        for (int column = 0; column < columns; ++column) {
            const double cellLeft = firstLeft + column * mosaicCell;
            const double x0 = std::max(left, cellLeft);
            const double x1 = std::min(right, cellLeft + mosaicCell);
            if (x1 > x0 && y1 > y0)
                painter.fillRect(QRectF(x0, y0, x1 - x0, y1 - y0),
                                 ((row + column) % 2 == 0) == firstIsLight ? light : dark);
        }
    }
}

void drawShape(const ShapeOverlay& shape, QPainter& painter, double canvasWidth, double canvasHeight)
{
    PainterStateGuard guard(painter);
    const QPointF s = unitToSurface(shape.startPoint, {canvasWidth, canvasHeight});
    const QPointF e = unitToSurface(shape.endPoint, {canvasWidth, canvasHeight});
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
        painter.fillRect(r, highlightColor);
        break;
    case ShapeType::blur:
        drawBlurPattern(painter, r, QRectF(0, 0, canvasWidth, canvasHeight));
        break;
    case ShapeType::pixelate:
        // Reads the canvas as drawn so far, so it needs the canvas itself,
        // in its own points: the painter may scale them (ImagePainting).
        if (painter.device() && painter.device()->devType() == QInternal::Image)
            pixelateRegion(*static_cast<QImage*>(painter.device()), painter.transform().mapRect(r),
                           shape.cellSize * painter.transform().m11(), painter.opacity());
        break;
    case ShapeType::redact: {
        // A box that lets anything through hides nothing: it is drawn opaque
        // whatever the colour's alpha and the overlay's opacity say.
        QColor box = shape.fillColor ? shape.fillColor->toPlatformColor() : QColor(Qt::black);
        box.setAlphaF(1);
        painter.setOpacity(guard.outerOpacity());
        painter.fillRect(r, box);
        break;
    }
    case ShapeType::spotlight: {
        // Everything but the shape is dimmed: the canvas with the shape cut
        // out, filled once in black at the overlay's opacity.
        QPainterPath outside;
        outside.setFillRule(Qt::OddEvenFill);
        outside.addRect(QRectF(0, 0, canvasWidth, canvasHeight));
        if (shape.spotlightShape == SpotlightShape::ellipse)
            outside.addEllipse(r);
        else
            outside.addRect(r);
        painter.fillPath(outside, Qt::black);
        break;
    }
    }
}

void drawText(const TextOverlay& text, QPainter& painter, double canvasWidth, double canvasHeight)
{
    // A size that is not positive has no glyphs to show (Qt would ignore it and
    // keep a default size instead).
    if (!(text.fontSize > 0) || !std::isfinite(text.fontSize))
        return;
    PainterStateGuard guard(painter);
    const QPointF centre = unitToSurface(text.position, {canvasWidth, canvasHeight});

    // Sizes are in canvas points.
    const QFont font = textFont(text, painter.device());
    painter.setFont(font);
    const QSizeF size = textBoxSize(text.text, font, painter.device());

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
