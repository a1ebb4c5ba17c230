#include "settings_view.h"

#include "accessible_interfaces.h"
#include "capture_preferences.h"
#include "readable_text.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "state/preferences_store.h"
#include "text_preferences.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace lustrelab {

SettingsView::SettingsView(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    installAccessibleInterfaces(); // its combo boxes are spoken by their labels
    setWindowTitle(tr("Preferences"));
    keepSecondaryTextReadable(*this);
    setMinimumSize(450, 560);
    resize(450, 560);

    auto* general = new QGroupBox(tr("General"), this);
    auto* generalForm = new QFormLayout(general);
    m_autoPaste = new QCheckBox(tr("Auto-paste from clipboard on launch"), general);
    m_autoPaste->setObjectName(QStringLiteral("autoPaste"));
    generalForm->addRow(m_autoPaste);
    m_restoreTabs = new QCheckBox(tr("Restore tabs at start"), general);
    m_restoreTabs->setObjectName(QStringLiteral("restoreTabs"));
    m_restoreTabs->setToolTip(tr("After a crash or a logout, the tabs that were open come back"));
    generalForm->addRow(m_restoreTabs);
    m_scale = new QComboBox(general);
    m_scale->setObjectName(QStringLiteral("scale"));
    m_scale->setAccessibleName(tr("Default export scale"));
    // No value: each screenshot's own (1x from a 1x screen, 2x from a HiDPI one).
    m_scale->addItem(tr("Screenshot's own"));
    for (int scale : {1, 2, 3})
        m_scale->addItem(tr("%1x").arg(scale), double(scale));
    generalForm->addRow(tr("Default export scale"), m_scale);

    m_capture = new CapturePreferencesBox(state.templateManager(), state.preferences(), this);
    m_text = new TextPreferencesBox(state.preferences(), this);

    auto* shortcuts = new QGroupBox(tr("Keyboard Shortcuts"), this);
    auto* shortcutColumn = new QVBoxLayout(shortcuts);
    auto* shortcutRow = new QHBoxLayout;
    shortcutRow->addWidget(new QLabel(tr("Global capture"), shortcuts));
    shortcutRow->addStretch(1);
    auto* keys = new QLabel(QStringLiteral("Ctrl+Shift+6"), shortcuts);
    keys->setForegroundRole(QPalette::PlaceholderText);
    keys->setAccessibleName(tr("Global capture shortcut"));
    shortcutRow->addWidget(keys);
    shortcutColumn->addLayout(shortcutRow);
    m_shortcutHelp = makeCaption(tr("This desktop did not let Lustrelab register a global "
                                    "shortcut. To capture from anywhere, bind the command "
                                    "\"lustrelab capture region\" to a key in your desktop's "
                                    "keyboard settings: it saves a styled screenshot to "
                                    "Pictures/Lustrelab."),
                                 shortcuts);
    m_shortcutHelp->setObjectName(QStringLiteral("shortcutHelp"));
    m_shortcutHelp->setWordWrap(true);
    m_shortcutHelp->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_shortcutHelp->hide();
    shortcutColumn->addWidget(m_shortcutHelp);

    auto* resetBox = new QGroupBox(this);
    auto* resetRow = new QHBoxLayout(resetBox);
    auto* reset = new QPushButton(tr("Reset to Defaults"), resetBox);
    reset->setObjectName(QStringLiteral("reset"));
    resetRow->addWidget(reset);
    resetRow->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    column->addWidget(general);
    column->addWidget(m_capture);
    column->addWidget(m_text);
    column->addWidget(shortcuts);
    column->addWidget(resetBox);
    column->addStretch(1);

    connect(m_autoPaste, &QCheckBox::toggled, this,
            [this](bool on) { m_state.preferences().setAutoPasteOnLaunch(on); });
    connect(m_restoreTabs, &QCheckBox::toggled, this,
            [this](bool on) { m_state.preferences().setRestoreTabsAtStart(on); });
    connect(m_scale, &QComboBox::activated, this, [this](int index) {
        const QVariant scale = m_scale->itemData(index);
        m_state.preferences().setDefaultExportScale(scale.isValid() ? std::optional(scale.toDouble())
                                                                    : std::nullopt);
    });
    connect(reset, &QPushButton::clicked, this, &SettingsView::resetToDefaults);
    showPreferences();
}

void SettingsView::setGlobalShortcutRegistered(bool registered)
{
    m_shortcutHelp->setVisible(!registered);
}

void SettingsView::resetToDefaults()
{
    m_state.resetSettings();
    PreferencesStore& preferences = m_state.preferences();
    preferences.setAutoPasteOnLaunch(true);
    preferences.setRestoreTabsAtStart(true);
    preferences.setDefaultExportScale(std::nullopt);
    preferences.setAfterCapture(PreferencesStore::AfterCapture::openInNewTab);
    preferences.setQuickCaptureTemplate({});
    preferences.setQuickCaptureFolder({});
    preferences.setRedactionStyle(ShapeType::redact);
    preferences.setTextLanguage(QStringLiteral("eng"));
    showPreferences();
}

void SettingsView::showPreferences()
{
    const QSignalBlocker blocker(m_autoPaste), restoreBlocker(m_restoreTabs);
    const PreferencesStore& preferences = m_state.preferences();
    m_autoPaste->setChecked(preferences.autoPasteOnLaunch());
    m_restoreTabs->setChecked(preferences.restoreTabsAtStart());
    const std::optional<double> scale = preferences.defaultExportScale();
    m_scale->setCurrentIndex(scale ? m_scale->findData(*scale) : 0);
    m_capture->showPreferences();
    m_text->showPreferences();
}

} // namespace lustrelab
