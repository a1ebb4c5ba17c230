#include "drawn_symbol_engine.h"

#include "symbol_drawing.h"

#include <QPainter>
#include <algorithm>

namespace lustrelab {

namespace {

// An unknown name still gets a visible mark rather than an empty button.
void drawSymbolOrDot(QPainter& painter, const QString& name, const QRectF& box, const QColor& color)
{
    if (drawSymbol(painter, name, box, color))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(box.center(), box.width() / 5.0, box.height() / 5.0);
    painter.restore();
}

// Symbols are square; a wider or taller request gets the largest square inside it.
int squareSide(const QSize& size)
{
    return std::max(0, std::min(size.width(), size.height()));
}

} // namespace

DrawnSymbolEngine::DrawnSymbolEngine(const QString& name, const QColor& normal, const QColor& disabled,
                                     const QColor& selected)
    : m_name(name), m_normal(normal), m_disabled(disabled), m_selected(selected)
{
}

QColor DrawnSymbolEngine::color(QIcon::Mode mode) const
{
    switch (mode) {
    case QIcon::Disabled:
        return m_disabled;
    case QIcon::Selected:
        return m_selected;
    case QIcon::Normal:
    case QIcon::Active:
        break;
    }
    return m_normal;
}

void DrawnSymbolEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State)
{
    const int side = squareSide(rect.size());
    QRectF box(0, 0, side, side);
    box.moveCenter(QRectF(rect).center());
    drawSymbolOrDot(*painter, m_name, box, color(mode));
}

QSize DrawnSymbolEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State)
{
    const int side = squareSide(size);
    return {side, side};
}

QPixmap DrawnSymbolEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

// `size` is in device pixels already; the symbol is drawn to fill it, so a
// 16-point icon on a 2x screen is drawn at 32 pixels, not enlarged.
QPixmap DrawnSymbolEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal)
{
    const int side = squareSide(size);
    if (side == 0)
        return {};
    const quint64 key = (quint64(side) << 8) | quint64(mode);
    if (const auto drawn = m_drawn.constFind(key); drawn != m_drawn.cend())
        return *drawn;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawSymbolOrDot(painter, m_name, QRectF(0, 0, side, side), color(mode));
    painter.end();
    m_drawn.insert(key, pixmap);
    return pixmap;
}

QList<QSize> DrawnSymbolEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return {{16, 16}, {20, 20}, {24, 24}, {32, 32}};
}

QString DrawnSymbolEngine::key() const
{
    return QStringLiteral("lustrelab-drawn-symbol");
}

QIconEngine* DrawnSymbolEngine::clone() const
{
    return new DrawnSymbolEngine(*this);
}

} // namespace lustrelab
