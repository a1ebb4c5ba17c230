#include "flow_layout.h"

#include <QWidget>

namespace lustrelab {

FlowLayout::FlowLayout(QWidget* parent, int spacing) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

QLayoutItem* FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

FlowLayout::Placement FlowLayout::place(int width) const
{
    const int gap = std::max(0, spacing());
    Placement placement;
    int x = 0;
    int y = 0;
    int lineHeight = 0;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize ideal = item->sizeHint();
        if (x > 0 && x + ideal.width() > width) {
            y += lineHeight + gap;
            x = 0;
            lineHeight = 0;
        }
        placement.positions.append(QPoint(x, y));
        lineHeight = std::max(lineHeight, ideal.height());
        x += ideal.width() + gap;
    }
    placement.height = y + lineHeight;
    return placement;
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    return place(width - margins.left() - margins.right()).height + margins.top() + margins.bottom();
}

QSize FlowLayout::minimumSize() const
{
    // As narrow as the widest item, so that the sidebar never scrolls sideways.
    QSize size;
    for (const QLayoutItem* item : m_items)
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize FlowLayout::sizeHint() const
{
    const QSize minimum = minimumSize();
    return {minimum.width(), heightForWidth(minimum.width())};
}

void FlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const Placement placement = place(area.width());
    qsizetype next = 0;
    for (QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        item->setGeometry(QRect(area.topLeft() + placement.positions[next++], item->sizeHint()));
    }
}

} // namespace lustrelab
