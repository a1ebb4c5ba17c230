#pragma once

#include "model/beauty_settings.h"
#include "model/gradient_preset.h"

#include <QList>
#include <QWidget>

namespace lustrelab {

class AppState;
class ColorWell;
class GradientSwatchGrid;
class PresetChip;
class SegmentedPicker;

// The background: a gradient preset (filtered by category chips, picked from
// swatches, the user's own after the built-in ones), a solid colour,
// transparent, a custom gradient with its editor, an image, or colours
// matched to the screenshot.
class BackgroundPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit BackgroundPanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();
    void showCategory(GradientCategory category);
    void chooseType(BackgroundType type);

    AppState& m_state;
    // The six kinds in two rows, read as one choice.
    SegmentedPicker* m_typePicker;
    SegmentedPicker* m_morePicker;
    QWidget* m_gradientBlock;
    QList<PresetChip*> m_categoryChips;
    GradientSwatchGrid* m_swatches;
    QWidget* m_solidBlock;
    ColorWell* m_solidColor;
    QWidget* m_customBlock;
    QWidget* m_imageBlock;
    QWidget* m_matchBlock;
    GradientCategory m_category = GradientCategory::all; // a filter of this view only
};

} // namespace lustrelab
