#include "text_selection_handle.h"

#include "canvas_coordinates.h"
#include "render/annotation_bounds.h"

#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTransform>
#include <cmath>

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
    QSizeF size(widthPerCharacter * visibleCharacterCount(overlay.text), height);
    if (imageScale > 0 && overlay.fontSize > 0 && std::isfinite(overlay.fontSize) &&
        std::isfinite(overlay.rotation)) {
        const QSizeF box = textBoxSize(overlay.text, textFont(overlay, image), image);
        QRectF drawn(0, 0, (box.width() + 2 * marginX) * imageScale,
                     (box.height() + 2 * marginY) * imageScale);
        if (overlay.rotation != 0)
            drawn = QTransform().rotate(-overlay.rotation).mapRect(drawn);
        size = drawn.size().expandedTo({0, height});
    }
    QRectF rect(QPointF(0, 0), size.expandedTo({minimumWidth, 0}));
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
