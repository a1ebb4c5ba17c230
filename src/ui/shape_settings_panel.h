#pragma once

#include "model/codable_color.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace lustrelab {

class AppState;
class ColorWell;
class SegmentedPicker;
class SliderRow;
struct ShapeOverlay;

// The selected shape's type, stroke, width, fill and arrow heads (the cell
// size of a pixelate area, the dimming and outline of a spotlight), shown only
// while a shape is selected. Edits go through AppState::updateShapeOverlay:
// they recompose but are no undo step.
class ShapeSettingsPanel : public QWidget
{
    Q_OBJECT

  public:
    // `parent` is required: the panel shows and hides itself.
    ShapeSettingsPanel(AppState& state, QWidget* parent);

    // What turning the fill on gives: the standard blue, at 0.3 opacity.
    static CodableColor defaultFillColor();

  private:
    void sync();
    template <typename Change> void edit(Change&& change);

    AppState& m_state;
    QComboBox* m_type;
    ColorWell* m_stroke;
    QWidget* m_strokeRow;
    QWidget* m_widthRow;
    QSlider* m_width;
    QLabel* m_widthLabel;
    QCheckBox* m_fill;
    ColorWell* m_fillColor;
    QWidget* m_fillColorRow;
    SegmentedPicker* m_arrow;
    QWidget* m_arrowRow;
    SliderRow* m_cellSize;        // pixelate
    SliderRow* m_dimming;         // spotlight: its opacity
    SegmentedPicker* m_spotlight; // spotlight: rectangle or ellipse
    QWidget* m_spotlightRow;
};

} // namespace lustrelab
