#include "tab_bar_icons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

namespace {

QString themeName(TabBarSymbol symbol)
{
    switch (symbol) {
    case TabBarSymbol::photo:
        return QStringLiteral("image-x-generic");
    case TabBarSymbol::close:
        return QStringLiteral("window-close");
    case TabBarSymbol::plus:
        return QStringLiteral("list-add");
    }
    return {};
}

// Draws the symbol into any requested size, so it stays crisp at every
// device pixel ratio.
class SymbolEngine : public QIconEngine
{
  public:
    SymbolEngine(TabBarSymbol symbol, const QColor& color) : m_symbol(symbol), m_color(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor color = m_color;
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.4f);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal unit = box.width() / 16.0;
        switch (m_symbol) {
        case TabBarSymbol::photo:
            paintPhoto(painter, box, unit, color);
            break;
        case TabBarSymbol::close:
            paintCross(painter,
                       box.adjusted(box.width() * 0.22, box.height() * 0.22, -box.width() * 0.22,
                                    -box.height() * 0.22),
                       qMax<qreal>(1.2, unit * 2.0), color, true);
            break;
        case TabBarSymbol::plus:
            paintCross(painter,
                       box.adjusted(box.width() * 0.18, box.height() * 0.18, -box.width() * 0.18,
                                    -box.height() * 0.18),
                       qMax<qreal>(1.2, unit * 1.5), color, false);
            break;
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new SymbolEngine(m_symbol, m_color); }

  private:
    static void paintPhoto(QPainter* painter, const QRectF& box, qreal unit, const QColor& color)
    {
        const QRectF frame = box.adjusted(unit, unit * 2.5, -unit, -unit * 2.5);
        painter->setPen(QPen(color, qMax<qreal>(1.0, unit * 1.2)));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(frame, unit * 1.5, unit * 1.5);
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawEllipse(QPointF(frame.left() + frame.width() * 0.7, frame.top() + frame.height() * 0.32),
                             unit * 1.3, unit * 1.3);
        QPainterPath hills;
        hills.moveTo(frame.left() + unit, frame.bottom() - unit);
        hills.lineTo(frame.left() + frame.width() * 0.38, frame.top() + frame.height() * 0.45);
        hills.lineTo(frame.left() + frame.width() * 0.62, frame.bottom() - frame.height() * 0.3);
        hills.lineTo(frame.left() + frame.width() * 0.74, frame.bottom() - frame.height() * 0.42);
        hills.lineTo(frame.right() - unit, frame.bottom() - unit);
        hills.closeSubpath();
        painter->drawPath(hills);
    }

    static void paintCross(QPainter* painter, const QRectF& box, qreal width, const QColor& color,
                           bool diagonal)
    {
        QPen pen(color, width);
        pen.setCapStyle(Qt::RoundCap);
        painter->setPen(pen);
        if (diagonal) {
            painter->drawLine(box.topLeft(), box.bottomRight());
            painter->drawLine(box.topRight(), box.bottomLeft());
        } else {
            painter->drawLine(QPointF(box.center().x(), box.top()), QPointF(box.center().x(), box.bottom()));
            painter->drawLine(QPointF(box.left(), box.center().y()), QPointF(box.right(), box.center().y()));
        }
    }

    TabBarSymbol m_symbol;
    QColor m_color;
};

} // namespace

QIcon tabBarIcon(TabBarSymbol symbol, const QColor& color)
{
    const QString name = themeName(symbol);
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return QIcon(new SymbolEngine(symbol, color));
}

} // namespace lustrelab
