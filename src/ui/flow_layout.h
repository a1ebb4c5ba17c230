#pragma once

#include <QLayout>
#include <QList>
#include <QPoint>

namespace lustrelab {

// Places items left to right at their preferred sizes and wraps them onto a
// new line when the next one would pass the right edge; `spacing()` separates
// items on a line and the lines themselves. An item wider than the whole line
// keeps a line of its own rather than being squeezed. Positions are worked out
// again on every placement, from the width at hand.
class FlowLayout : public QLayout
{
  public:
    explicit FlowLayout(QWidget* parent = nullptr, int spacing = 6);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

    // Top-left corners of the visible items for a line `width` wide, relative
    // to the layout's contents, and the height they take.
    struct Placement
    {
        QList<QPoint> positions;
        int height = 0;
    };
    Placement place(int width) const;

  private:
    QList<QLayoutItem*> m_items;
};

} // namespace lustrelab
