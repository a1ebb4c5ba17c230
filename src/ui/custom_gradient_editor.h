#pragma once

#include <QWidget>

class QPushButton;

namespace lustrelab {

class AppState;
class ColorWell;
class GradientStopBar;
class GradientSwatchGrid;
class SegmentedPicker;
class SliderRow;

// Makes the user's gradients in `grid` choosable (a choice becomes the
// custom gradient, ready to edit) and removable from their context menu.
void connectUserGradients(GradientSwatchGrid& grid, AppState& state);
// The user's gradient equal to the styling's custom gradient, or -1.
int ownGradientIndex(const AppState& state);

// Edits the styling's custom gradient: its kind, its stops on a bar with a
// colour well for the selected one, the angle (linear, conic) or the centre
// (radial, conic), and keeps it as a user preset with "Save as Preset",
// shown under it with the others saved.
class CustomGradientEditor : public QWidget
{
    Q_OBJECT

  public:
    explicit CustomGradientEditor(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();
    void showStopColor();

    AppState& m_state;
    SegmentedPicker* m_kind;
    GradientStopBar* m_stops;
    ColorWell* m_stopColor;
    SliderRow* m_angle;
    SliderRow* m_centerX;
    SliderRow* m_centerY;
    QPushButton* m_save;
    GradientSwatchGrid* m_saved;
};

} // namespace lustrelab
