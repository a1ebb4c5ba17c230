#include "preset_chip.h"

#include "sidebar_style.h"

#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

PresetChip::PresetChip(const QString& label, bool compact, QWidget* parent)
    : QAbstractButton(parent), m_compact(compact)
{
    setText(label);
    setCheckable(true); // read as a toggle by screen readers
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFont(compact ? caption2Font(font()) : captionFont(font()));
    setAccessibleName(label);
}

QSize PresetChip::sizeHint() const
{
    const QSize padding = m_compact ? QSize(6, 3) : QSize(10, 5);
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(text()) + 2 * padding.width(), metrics.height() + 2 * padding.height()};
}

void PresetChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = pal.color(QPalette::Highlight);
    if (!isChecked()) {
        fill = pal.color(QPalette::WindowText);
        fill.setAlphaF(isDown() ? 0.25f : underMouse() ? 0.2f : 0.15f);
    }
    QPainterPath shape;
    shape.addRoundedRect(box, 6, 6);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        QColor ring = pal.color(QPalette::Highlight);
        if (isChecked())
            ring = pal.color(QPalette::HighlightedText);
        painter.setPen(QPen(ring, 1.5));
        painter.drawRoundedRect(box.adjusted(1, 1, -1, -1), 5, 5);
    }
    painter.setPen(pal.color(isChecked() ? QPalette::HighlightedText : QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace lustrelab
