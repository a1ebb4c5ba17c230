#pragma once

#include <QGroupBox>

class QComboBox;
class QLabel;
class QPushButton;

namespace lustrelab {

class PreferencesStore;
class TemplateManager;

// The preferences' "After capture" group: whether a capture opens in a new
// tab or is styled and copied (and saved) at once, with which styling, and
// into which folder. Every change is stored as it is made.
class CapturePreferencesBox : public QGroupBox
{
    Q_OBJECT

  public:
    CapturePreferencesBox(TemplateManager& templates, PreferencesStore& preferences,
                          QWidget* parent = nullptr);

    // Reads the stored choices again (after a reset, say).
    void showPreferences();

  private:
    void fillStylings();
    void chooseFolder();

    TemplateManager& m_templates;
    PreferencesStore& m_preferences;
    QComboBox* m_after;
    QComboBox* m_styling;
    QLabel* m_folder;
    QPushButton* m_chooseFolder;
};

} // namespace lustrelab
