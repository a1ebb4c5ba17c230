#include "menu_commands.h"

#include "state/app_state.h"
#include "state/preferences_store.h"
#include "state/text_actions.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace lustrelab {

MenuCommands::MenuCommands(AppState& state, QMenuBar& menuBar, QObject* parent)
    : QObject(parent), m_state(state)
{
    QMenu* file = menuBar.addMenu(tr("&File"));
    m_fileMenu = file;
    m_newTab = addCommand(file, QStringLiteral("newTab"), tr("New Tab"), Qt::CTRL | Qt::Key_T);
    m_closeTab = addCommand(file, QStringLiteral("closeTab"), tr("Close Tab"), Qt::CTRL | Qt::Key_W);
    file->addSeparator();
    m_captureRegion = addCommand(file, QStringLiteral("captureRegion"), tr("Capture Region"),
                                 Qt::CTRL | Qt::SHIFT | Qt::Key_6);
    m_captureWindow = addCommand(file, QStringLiteral("captureWindow"), tr("Capture Window"),
                                 Qt::CTRL | Qt::SHIFT | Qt::Key_7);
    m_captureFullScreen = addCommand(file, QStringLiteral("captureFullScreen"), tr("Capture Full Screen"),
                                     Qt::CTRL | Qt::SHIFT | Qt::Key_8);
    m_captureCurrentScreen = addCommand(file, QStringLiteral("captureCurrentScreen"), tr("Capture Current Screen"),
                                        Qt::CTRL | Qt::SHIFT | Qt::Key_9);
    m_captureScrolling = addCommand(file, QStringLiteral("captureScrolling"), tr("Scrolling Region…"), QKeySequence());
    if (const QString reason = ScrollingCapture::unavailableReason(); !reason.isEmpty()) {
        m_captureScrolling->setEnabled(false);
        m_captureScrolling->setToolTip(reason);
    }
    file->setToolTipsVisible(true);
    addDelayChoices(file);
    file->addSeparator();
    m_stitch = addCommand(file, QStringLiteral("stitchImages"), tr("Stitch Images…"), QKeySequence());
    file->addSeparator();
    m_export = addCommand(file, QStringLiteral("export"), tr("Export..."), Qt::CTRL | Qt::SHIFT | Qt::Key_E);
    m_pin = addCommand(file, QStringLiteral("pinToScreen"), tr("Pin to Screen"), Qt::CTRL | Qt::SHIFT | Qt::Key_P);
    file->addSeparator();
    m_quit = addCommand(file, QStringLiteral("quit"), tr("Quit"), Qt::CTRL | Qt::Key_Q);
    m_quit->setMenuRole(QAction::QuitRole);

    QMenu* edit = menuBar.addMenu(tr("&Edit"));
    m_undo = addCommand(edit, QStringLiteral("undo"), tr("Undo"), Qt::CTRL | Qt::Key_Z);
    m_redo = addCommand(edit, QStringLiteral("redo"), tr("Redo"), Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
    edit->addSeparator();
    m_paste = addCommand(edit, QStringLiteral("paste"), tr("Paste Image"), Qt::CTRL | Qt::Key_V);
    m_copyResult = addCommand(edit, QStringLiteral("copyResult"), tr("Copy Result"), Qt::CTRL | Qt::Key_C);
    m_copyText =
        addCommand(edit, QStringLiteral("copyText"), tr("Copy Text"), Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    m_redact = addCommand(edit, QStringLiteral("redactSensitive"), tr("Redact Sensitive"),
                          Qt::CTRL | Qt::SHIFT | Qt::Key_R);
    edit->addSeparator();
    m_preferences =
        addCommand(edit, QStringLiteral("preferences"), tr("Preferences..."), Qt::CTRL | Qt::Key_Comma);
    m_preferences->setMenuRole(QAction::PreferencesRole);

    connect(m_paste, &QAction::triggered, &m_state, &AppState::pasteImage);
    connect(m_copyResult, &QAction::triggered, &m_state, &AppState::copyToClipboard);
    TextActions& text = m_state.textActions();
    connect(m_copyText, &QAction::triggered, &text, [&text] { text.copyText(); });
    connect(m_redact, &QAction::triggered, &text, &TextActions::redactSensitive);
    connect(m_pin, &QAction::triggered, &m_state, &AppState::pinToScreen);
    connect(m_export, &QAction::triggered, &m_state, [this] { m_state.setShowExportDialog(true); });
    connect(m_newTab, &QAction::triggered, &m_state, &AppState::newTab);
    connect(m_closeTab, &QAction::triggered, &m_state, [this] {
        if (const std::optional<QUuid> id = m_state.currentTabId()) {
            if (m_closeTabWith)
                m_closeTabWith(*id);
            else
                m_state.closeTab(*id);
        }
    });
    connect(m_captureRegion, &QAction::triggered, &m_state, &AppState::startRegionCapture);
    connect(m_captureWindow, &QAction::triggered, &m_state, &AppState::startWindowCapture);
    connect(m_captureFullScreen, &QAction::triggered, &m_state, &AppState::startFullScreenCapture);
    connect(m_captureCurrentScreen, &QAction::triggered, &m_state, &AppState::startCurrentScreenCapture);
    connect(m_captureScrolling, &QAction::triggered, &m_state, &AppState::startScrollingCapture);
    connect(m_undo, &QAction::triggered, &m_state, &AppState::undo);
    connect(m_redo, &QAction::triggered, &m_state, &AppState::redo);
    connect(m_preferences, &QAction::triggered, this, &MenuCommands::preferencesRequested);
    connect(m_stitch, &QAction::triggered, this, &MenuCommands::stitchRequested);
    connect(m_quit, &QAction::triggered, this, &MenuCommands::quitRequested);

    connect(&m_state, &AppState::tabsChanged, this, &MenuCommands::updateEnabled);
    connect(&m_state, &AppState::currentTabIdChanged, this, &MenuCommands::updateEnabled);
    connect(&m_state.historyManager(), &HistoryManager::canUndoChanged, this, &MenuCommands::updateEnabled);
    connect(&m_state.historyManager(), &HistoryManager::canRedoChanged, this, &MenuCommands::updateEnabled);
    updateEnabled();
}

void MenuCommands::addApplicationKeysTo(QWidget& window) const
{
    window.addAction(m_quit);
}

// Switching documents from the keyboard, with the keys browsers and editors
// use: Ctrl+Tab and Ctrl+PgDn go right, Ctrl+Shift+Tab and Ctrl+PgUp left
// (both wrap around), Alt+1 to Alt+8 pick that tab and Alt+9 the last one.
void MenuCommands::addTabKeysTo(QWidget& window)
{
    auto addKeys = [&](const QString& name, const QList<QKeySequence>& keys, auto select) {
        auto* action = new QAction(&window);
        action->setObjectName(name);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, select);
        window.addAction(action);
    };
    // Shift+Tab arrives as Backtab, so the backward key is bound both ways.
    addKeys(QStringLiteral("nextTab"),
            {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
            [this] { m_state.selectTabAround(m_state.currentTabIndex().value_or(0) + 1); });
    addKeys(QStringLiteral("previousTab"),
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
            [this] { m_state.selectTabAround(m_state.currentTabIndex().value_or(0) - 1); });
    for (int n = 1; n <= 9; ++n)
        addKeys(QStringLiteral("tab%1").arg(n), {QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + n))}, [this, n] {
            if (n == 9)
                m_state.selectTabAround(-1);
            else if (n <= m_state.tabs().size())
                m_state.selectTabAround(n - 1);
        });
}

QAction* MenuCommands::addCommand(QMenu* menu, const QString& name, const QString& title,
                                  const QKeySequence& key)
{
    QAction* action = menu->addAction(title);
    action->setObjectName(name);
    action->setShortcut(key);
    return action;
}

// How long a capture from the window waits: one choice of four, kept in
// the preferences, so the next start waits the same.
void MenuCommands::addDelayChoices(QMenu* menu)
{
    QMenu* delay = menu->addMenu(tr("Delay"));
    delay->setObjectName(QStringLiteral("captureDelay"));
    auto* group = new QActionGroup(delay);
    PreferencesStore& preferences = m_state.preferences();
    for (int seconds : PreferencesStore::captureDelayChoices) {
        QAction* choice = delay->addAction(seconds == 0 ? tr("None") : tr("%1 s").arg(seconds));
        choice->setObjectName(QStringLiteral("delay%1").arg(seconds));
        choice->setCheckable(true);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [&preferences, seconds] { preferences.setCaptureDelay(seconds); });
    }
    // The check follows the preference, wherever it was set.
    const auto showChosen = [group, &preferences] {
        const QList<QAction*> choices = group->actions();
        for (qsizetype i = 0; i < choices.size(); ++i)
            choices[i]->setChecked(PreferencesStore::captureDelayChoices[i] == preferences.captureDelay());
    };
    showChosen();
    connect(&preferences, &PreferencesStore::changed, group, [showChosen](PreferencesStore::Key key) {
        if (key == PreferencesStore::Key::captureDelay)
            showChosen();
    });
}

void MenuCommands::updateEnabled()
{
    const ScreenshotTab* tab = m_state.currentTab();
    const bool composed = tab && tab->processedImage;
    m_copyResult->setEnabled(composed);
    // Left enabled while a reading runs: asking again is answered, not ignored.
    m_copyText->setEnabled(composed);
    m_redact->setEnabled(composed);
    m_export->setEnabled(composed);
    m_pin->setEnabled(composed);
    m_closeTab->setEnabled(m_state.tabs().size() >= 2);
    m_undo->setEnabled(m_state.historyManager().canUndo());
    m_redo->setEnabled(m_state.historyManager().canRedo());
}

} // namespace lustrelab
