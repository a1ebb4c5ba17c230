#include "text_preferences.h"

#include "io/text_recognizer.h"
#include "model/display_name.h"
#include "state/preferences_store.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLocale>

namespace lustrelab {

TextPreferencesBox::TextPreferencesBox(PreferencesStore& preferences, QWidget* parent)
    : QGroupBox(tr("Text"), parent), m_preferences(preferences)
{
    auto* form = new QFormLayout(this);
    m_style = new QComboBox(this);
    m_style->setObjectName(QStringLiteral("redactionStyle"));
    m_style->setAccessibleName(tr("Redaction style"));
    // Only the shapes that leave nothing of the text readable; pixelate
    // boxes get cells as tall as the line.
    m_style->addItem(tr("%1: solid box").arg(displayName(ShapeType::redact)), int(ShapeType::redact));
    m_style->addItem(tr("%1: grey mosaic").arg(displayName(ShapeType::blur)), int(ShapeType::blur));
    m_style->addItem(tr("%1: large cells").arg(displayName(ShapeType::pixelate)), int(ShapeType::pixelate));
    form->addRow(tr("Redaction style"), m_style);

    m_language = new QComboBox(this);
    m_language->setObjectName(QStringLiteral("textLanguage"));
    m_language->setAccessibleName(tr("Text language"));
    form->addRow(tr("Text language"), m_language);

    connect(m_style, &QComboBox::activated, this, [this](int index) {
        m_preferences.setRedactionStyle(ShapeType(m_style->itemData(index).toInt()));
    });
    connect(m_language, &QComboBox::activated, this,
            [this](int index) { m_preferences.setTextLanguage(m_language->itemData(index).toString()); });
    showPreferences();
}

void TextPreferencesBox::showPreferences()
{
    m_style->setCurrentIndex(m_style->findData(int(m_preferences.redactionStyle())));
    fillLanguages();
}

// The installed languages, English first whether or not its data is there
// (reading then says what to install). A chosen language whose data has
// since been removed stays listed, marked, so the choice is visible.
void TextPreferencesBox::fillLanguages()
{
    const QString chosen = m_preferences.textLanguage();
    QStringList languages = TextRecognizer::installedLanguages();
    languages.removeOne(QStringLiteral("eng"));
    languages.prepend(QStringLiteral("eng"));
    m_language->clear();
    for (const QString& language : languages)
        m_language->addItem(languageLabel(language), language);
    if (!languages.contains(chosen))
        m_language->addItem(tr("%1 (not installed)").arg(languageLabel(chosen)), chosen);
    m_language->setCurrentIndex(m_language->findData(chosen));
}

QString TextPreferencesBox::languageLabel(const QString& language)
{
    // Recognition data is named by the three-letter code, with a variant
    // after an underscore ("chi_sim").
    const QString code = language.section(u'_', 0, 0);
    const QLocale::Language known = QLocale::codeToLanguage(code, QLocale::ISO639Part2);
    if (known == QLocale::AnyLanguage)
        return language;
    return tr("%1 (%2)").arg(QLocale::languageToString(known), language);
}

} // namespace lustrelab
