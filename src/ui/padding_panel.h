#pragma once

#include <QWidget>

class QCheckBox;

namespace lustrelab {

class AppState;
class SliderRow;

// Space around the screenshot: one size for all sides, or one per side.
class PaddingPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit PaddingPanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();

    AppState& m_state;
    QCheckBox* m_uniform;
    QCheckBox* m_autoBalance;
    SliderRow* m_size;
    SliderRow* m_top;
    SliderRow* m_bottom;
    SliderRow* m_left;
    SliderRow* m_right;
};

} // namespace lustrelab
