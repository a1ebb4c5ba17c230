#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QToolButton;

namespace lustrelab {

class AppState;
class ColorWell;
struct TextOverlay;

// The selected text annotation's font, size, weight, colour and redaction,
// shown only while a text annotation is selected. Edits go through
// AppState::updateTextOverlay: they recompose but are no undo step.
class TextSettingsPanel : public QWidget
{
    Q_OBJECT

  public:
    // `parent` is required: the panel shows and hides itself.
    TextSettingsPanel(AppState& state, QWidget* parent);

  private:
    void sync();
    template <typename Change> void edit(Change&& change);

    AppState& m_state;
    QComboBox* m_font;
    QComboBox* m_size;
    QComboBox* m_weight;
    ColorWell* m_color;
    QCheckBox* m_redacted;
};

} // namespace lustrelab
