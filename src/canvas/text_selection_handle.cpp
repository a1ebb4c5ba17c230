#include "text_selection_handle.h"

#include "canvas_coordinates.h"

#include <QPainter>
#include <QTextBoundaryFinder>

namespace lustrelab {

int visibleCharacterCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

QRectF TextSelectionHandle::hitRect() const
{
    const double width = std::max(widthPerCharacter * visibleCharacterCount(overlay.text), minimumWidth);
    QRectF rect(0, 0, width, height);
    rect.moveCenter(unitToSurface(overlay.position, canvasSize));
    return rect;
}

void TextSelectionHandle::paint(QPainter& painter, const QColor& accent) const
{
    if (!isSelected)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = accent;
    fill.setAlphaF(0.1f);
    painter.setBrush(fill);
    painter.setPen(QPen(accent, 2));
    painter.drawRoundedRect(hitRect(), 4, 4);
    painter.restore();
}

} // namespace lustrelab
