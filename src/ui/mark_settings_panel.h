#pragma once

#include <QWidget>
#include <functional>

class QLabel;

namespace lustrelab {

class AppState;
class ColorWell;
class SliderRow;
struct PenStroke;
struct StepMarker;

// The selected step marker's colour and size, or the selected pen or
// highlighter stroke's colour, width and opacity; shown only while one is
// selected. Like the shape settings, edits recompose but are no undo step.
// The next marker or stroke drawn takes the look of the last one, so what is
// set here carries on.
class MarkSettingsPanel : public QWidget
{
    Q_OBJECT

  public:
    // `parent` is required: the panel shows and hides itself.
    MarkSettingsPanel(AppState& state, QWidget* parent);

  private:
    void sync();
    void editMarker(const std::function<void(StepMarker&)>& change);
    void editStroke(const std::function<void(PenStroke&)>& change);

    AppState& m_state;
    QLabel* m_title;
    ColorWell* m_color;
    SliderRow* m_size;    // markers
    SliderRow* m_width;   // strokes
    SliderRow* m_opacity; // strokes
};

} // namespace lustrelab
