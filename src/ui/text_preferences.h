#pragma once

#include <QGroupBox>

class QComboBox;

namespace lustrelab {

class PreferencesStore;

// The preferences' "Text" group: the shape Redact Sensitive covers secrets
// with, and the language Copy Text and Redact Sensitive read in. Every change
// is stored as it is made.
class TextPreferencesBox : public QGroupBox
{
    Q_OBJECT

  public:
    explicit TextPreferencesBox(PreferencesStore& preferences, QWidget* parent = nullptr);

    // Reads the stored choices again (after a reset, say), and the installed
    // languages with them.
    void showPreferences();

    // "German (deu)" for "deu"; the name alone where it names no language.
    static QString languageLabel(const QString& language);

  private:
    void fillLanguages();

    PreferencesStore& m_preferences;
    QComboBox* m_style;
    QComboBox* m_language;
};

} // namespace lustrelab
