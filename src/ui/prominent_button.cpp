#include "prominent_button.h"

#include "symbol_icon.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

ProminentButton::ProminentButton(const QString& symbol, const QString& text, QWidget* parent)
    : QPushButton(text, parent), m_symbol(symbol)
{
    setAccessibleName(text);
    setFocusPolicy(Qt::StrongFocus);
    setIcon(symbolIcon(m_symbol, palette(), palette().color(QPalette::HighlightedText)));
}

QSize ProminentButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(text()) + 16 + 6 + 32, std::max(metrics.height(), 16) + 14};
}

void ProminentButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        setIcon(symbolIcon(m_symbol, palette(), palette().color(QPalette::HighlightedText)));
    QPushButton::changeEvent(event);
}

void ProminentButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    QColor fill = pal.color(QPalette::Active, QPalette::Highlight);
    if (!isEnabled())
        fill.setAlphaF(0.35f);
    else if (isDown())
        fill = fill.darker(120);
    else if (underMouse())
        fill = fill.lighter(108);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        painter.setPen(QPen(pal.color(QPalette::HighlightedText), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 4, 4);
    }

    QColor ink = pal.color(QPalette::Active, QPalette::HighlightedText);
    if (!isEnabled())
        ink.setAlphaF(0.6f);
    const int textWidth = fontMetrics().horizontalAdvance(text());
    int x = (width() - (16 + 6 + textWidth)) / 2;
    icon().paint(&painter, QRect(x, (height() - 16) / 2, 16, 16), Qt::AlignCenter,
                 isEnabled() ? QIcon::Normal : QIcon::Disabled);
    x += 16 + 6;
    painter.setPen(ink);
    painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace lustrelab
