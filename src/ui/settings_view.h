#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace lustrelab {

class AppState;
class CapturePreferencesBox;
class TextPreferencesBox;

// The preferences window: launch paste, default export scale, what a
// capture does, how text is read and redacted, the global capture shortcut,
// and a reset of the styling to its defaults.
class SettingsView : public QWidget
{
    Q_OBJECT

  public:
    explicit SettingsView(AppState& state, QWidget* parent = nullptr);

    // The window tells whether the desktop accepted the global shortcut; when
    // it did not, the view says so and how to bind a desktop shortcut instead.
    void setGlobalShortcutRegistered(bool registered);

  private:
    void resetToDefaults();
    void showPreferences();

    AppState& m_state;
    QCheckBox* m_autoPaste;
    QCheckBox* m_restoreTabs;
    QComboBox* m_scale;
    CapturePreferencesBox* m_capture;
    TextPreferencesBox* m_text;
    QLabel* m_shortcutHelp;
};

} // namespace lustrelab
