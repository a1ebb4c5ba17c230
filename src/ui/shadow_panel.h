#pragma once

#include <QWidget>

class QCheckBox;

namespace lustrelab {

class AppState;
class ColorWell;
class SliderRow;

// The drop shadow: on or off, and while on its blur, offsets, opacity and colour.
class ShadowPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit ShadowPanel(AppState& state, QWidget* parent = nullptr);

    // The Opacity row's value (0 to 100) for a stored opacity. The stored value
    // is single precision, so 0.29 is really 0.2899999917; reading it as a
    // percentage to four decimals shows 29% for it, not 28%.
    static double opacityPercent(float opacity);

  private:
    void sync();

    AppState& m_state;
    QCheckBox* m_enabled;
    SliderRow* m_blur;
    SliderRow* m_offsetX;
    SliderRow* m_offsetY;
    SliderRow* m_opacity;
    ColorWell* m_color;
    QWidget* m_colorRow;
};

} // namespace lustrelab
