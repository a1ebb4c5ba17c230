#pragma once

#include <QAbstractButton>

namespace lustrelab {

// A small rounded choice button: filled with the accent colour while it is the
// chosen one, with a faint fill otherwise. Clicking does not change the chosen
// state by itself; the owner sets it from the model it edits.
class PresetChip : public QAbstractButton
{
    Q_OBJECT

  public:
    explicit PresetChip(const QString& label, bool compact = false, QWidget* parent = nullptr);

    bool isSelected() const { return isChecked(); }
    void setSelected(bool selected) { setChecked(selected); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}

  private:
    bool m_compact;
};

} // namespace lustrelab
