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
struct ShapeOverlay;

// The selected shape's type, stroke, width, fill and arrow heads, shown only
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

    QComboBox* typePicker() const { return m_type; }
    ColorWell* strokeWell() const { return m_stroke; }
    QSlider* widthSlider() const { return m_width; }
    QLabel* widthLabel() const { return m_widthLabel; }
    QCheckBox* fillSwitch() const { return m_fill; }
    QWidget* fillColorRow() const { return m_fillColorRow; }
    ColorWell* fillWell() const { return m_fillColor; }
    QWidget* arrowRow() const { return m_arrowRow; }
    SegmentedPicker* arrowPicker() const { return m_arrow; }
    QToolButton* deleteButton() const { return m_delete; }

  private:
    void sync();
    template <typename Change> void edit(Change&& change);

    AppState& m_state;
    QToolButton* m_delete;
    QComboBox* m_type;
    ColorWell* m_stroke;
    QSlider* m_width;
    QLabel* m_widthLabel;
    QCheckBox* m_fill;
    ColorWell* m_fillColor;
    QWidget* m_fillColorRow;
    SegmentedPicker* m_arrow;
    QWidget* m_arrowRow;
};

} // namespace lustrelab
