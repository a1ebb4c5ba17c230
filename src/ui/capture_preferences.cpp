#include "capture_preferences.h"

#include "state/preferences_store.h"
#include "state/template_manager.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace lustrelab {

using AfterCapture = PreferencesStore::AfterCapture;

CapturePreferencesBox::CapturePreferencesBox(TemplateManager& templates, PreferencesStore& preferences,
                                             QWidget* parent)
    : QGroupBox(tr("Capture"), parent), m_templates(templates), m_preferences(preferences)
{
    auto* form = new QFormLayout(this);
    m_after = new QComboBox(this);
    m_after->setObjectName(QStringLiteral("afterCapture"));
    m_after->setAccessibleName(tr("After capture"));
    m_after->addItem(tr("Open in a new tab"), int(AfterCapture::openInNewTab));
    m_after->addItem(tr("Style and copy"), int(AfterCapture::styleAndCopy));
    m_after->addItem(tr("Style, copy and save"), int(AfterCapture::styleCopyAndSave));
    m_after->addItem(tr("Style and pin"), int(AfterCapture::styleAndPin));
    form->addRow(tr("After capture"), m_after);

    m_styling = new QComboBox(this);
    m_styling->setObjectName(QStringLiteral("quickStyling"));
    m_styling->setAccessibleName(tr("Styling for quick captures"));
    form->addRow(tr("Styling"), m_styling);

    auto* folderRow = new QHBoxLayout;
    m_folder = new QLabel(this);
    m_folder->setObjectName(QStringLiteral("quickFolder"));
    m_folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folder->setMinimumWidth(120);
    m_chooseFolder = new QPushButton(tr("Choose…"), this);
    m_chooseFolder->setObjectName(QStringLiteral("chooseQuickFolder"));
    m_chooseFolder->setAccessibleName(tr("Choose the folder for saved captures"));
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_chooseFolder);
    form->addRow(tr("Save to"), folderRow);

    connect(m_after, &QComboBox::activated, this, [this](int index) {
        m_preferences.setAfterCapture(AfterCapture(m_after->itemData(index).toInt()));
        showPreferences();
    });
    connect(m_styling, &QComboBox::activated, this, [this](int index) {
        m_preferences.setQuickCaptureTemplate(m_styling->itemData(index).toString());
    });
    connect(m_chooseFolder, &QPushButton::clicked, this, &CapturePreferencesBox::chooseFolder);
    connect(&m_templates, &TemplateManager::templatesChanged, this, &CapturePreferencesBox::showPreferences);
    showPreferences();
}

void CapturePreferencesBox::showPreferences()
{
    const AfterCapture after = m_preferences.afterCapture();
    m_after->setCurrentIndex(m_after->findData(int(after)));
    fillStylings();
    m_folder->setText(QDir::toNativeSeparators(m_preferences.quickCaptureFolder()));
    const bool quick = after != AfterCapture::openInNewTab;
    m_styling->setEnabled(quick);
    const bool saves = after == AfterCapture::styleCopyAndSave;
    m_folder->setEnabled(saves);
    m_chooseFolder->setEnabled(saves);
}

// "Current styling", then the saved templates by name. A chosen template
// that has since been deleted stays listed, marked, so the choice is visible
// (a quick capture then says the template is gone).
void CapturePreferencesBox::fillStylings()
{
    const QString chosen = m_preferences.quickCaptureTemplate();
    m_styling->clear();
    m_styling->addItem(tr("Current styling"), QString());
    bool listed = chosen.isEmpty();
    for (const Template& saved : m_templates.templates()) {
        m_styling->addItem(saved.name, saved.name);
        listed |= saved.name == chosen;
    }
    if (!listed)
        m_styling->addItem(tr("%1 (deleted)").arg(chosen), chosen);
    m_styling->setCurrentIndex(m_styling->findData(chosen));
}

void CapturePreferencesBox::chooseFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Save Captures To"), m_preferences.quickCaptureFolder());
    if (folder.isEmpty())
        return; // cancelled
    m_preferences.setQuickCaptureFolder(folder);
    showPreferences();
}

} // namespace lustrelab
