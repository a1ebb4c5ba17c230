#pragma once

#include <QWidget>

namespace lustrelab {

class AppState;
class ColorWell;
class SliderRow;

// Corner radius, border width and, for a border wider than zero, its colour.
class BordersPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit BordersPanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();

    AppState& m_state;
    SliderRow* m_cornerRadius;
    SliderRow* m_borderWidth;
    ColorWell* m_borderColor;
    QWidget* m_borderColorRow;
};

} // namespace lustrelab
