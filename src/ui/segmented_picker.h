#pragma once

#include <QString>
#include <QWidget>

class QButtonGroup;
class QAbstractButton;
class QHBoxLayout;

namespace lustrelab {

// A row of mutually exclusive buttons, one of which is current. The row is
// one Tab stop, the current segment; the arrow keys choose a neighbour.
class SegmentedPicker : public QWidget
{
    Q_OBJECT

  public:
    explicit SegmentedPicker(const QString& accessibleName, QWidget* parent = nullptr);

    // `symbol` names the segment's icon (see symbolIcon); empty for text only.
    void addSegment(const QString& text, const QString& symbol = {});
    int count() const;

    int currentIndex() const;
    // Shows a choice made elsewhere; does not emit activated.
    void setCurrentIndex(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;

  signals:
    // The user chose a segment.
    void activated(int index);

  private:
    QButtonGroup* m_group;
    QHBoxLayout* m_row;
};

} // namespace lustrelab
