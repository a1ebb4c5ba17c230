#pragma once

#include "model/gradient_preset.h"

#include <QList>
#include <QWidget>

namespace lustrelab {

class AppState;
class ColorWell;
class GradientSwatchGrid;
class PresetChip;
class SegmentedPicker;

// The background: gradient (filtered by category chips, picked from
// swatches), a solid colour, or transparent.
class BackgroundPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit BackgroundPanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();
    void showCategory(GradientCategory category);

    AppState& m_state;
    SegmentedPicker* m_typePicker;
    QWidget* m_gradientBlock;
    QList<PresetChip*> m_categoryChips;
    GradientSwatchGrid* m_swatches;
    QWidget* m_solidBlock;
    ColorWell* m_solidColor;
    GradientCategory m_category = GradientCategory::all; // a filter of this view only
};

} // namespace lustrelab
