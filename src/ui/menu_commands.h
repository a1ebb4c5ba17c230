#pragma once

#include <QList>
#include <QObject>
#include <QUuid>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace lustrelab {

class AppState;

// The File and Edit menus of the main window. Every command calls a model
// operation; the enabled states follow the model live (Copy Result and
// Export... need a composed image, Close Tab a second tab, Undo and Redo the
// history). Shortcuts work while the window has focus, wherever the focus is
// inside it, except where a text field claims the standard editing keys.
class MenuCommands : public QObject
{
    Q_OBJECT

  public:
    MenuCommands(AppState& state, QMenuBar& menuBar, QObject* parent = nullptr);

    // Another top-level window of the application (the preferences) answers
    // the application-wide keys too, so Ctrl+Q quits from wherever focus is.
    void addApplicationKeysTo(QWidget& window) const;
    // The keys that switch tabs, which no menu lists.
    void addTabKeysTo(QWidget& window);
    // Copy Text and Redact Sensitive, which the canvas's context menu offers
    // as well: the same actions, so their keys and enabled states are the
    // menu's.
    QList<QAction*> textCommands() const { return {m_copyText, m_redact}; }
    // Where the window's project commands go: the File menu, the first
    // capture command and Export... (they are inserted before those two).
    QMenu* fileMenu() const { return m_fileMenu; }
    QAction* captureRegionAction() const { return m_captureRegion; }
    QAction* exportAction() const { return m_export; }
    // What Close Tab does with the current tab; by default it closes it.
    void setTabCloser(std::function<void(const QUuid&)> closer) { m_closeTabWith = std::move(closer); }

  signals:
    void preferencesRequested();
    void stitchRequested();
    void quitRequested();

  private:
    QAction* addCommand(QMenu* menu, const QString& name, const QString& title, const QKeySequence& key);
    void addDelayChoices(QMenu* menu);
    void updateEnabled();

    AppState& m_state;
    QMenu* m_fileMenu;
    std::function<void(const QUuid&)> m_closeTabWith;
    QAction* m_paste;
    QAction* m_copyResult;
    QAction* m_copyText;
    QAction* m_redact;
    QAction* m_export;
    QAction* m_pin;
    QAction* m_newTab;
    QAction* m_closeTab;
    QAction* m_captureRegion;
    QAction* m_captureWindow;
    QAction* m_captureFullScreen;
    QAction* m_captureCurrentScreen;
    QAction* m_stitch;
    QAction* m_captureScrolling;
    QAction* m_undo;
    QAction* m_redo;
    QAction* m_preferences;
    QAction* m_quit;
};

} // namespace lustrelab
