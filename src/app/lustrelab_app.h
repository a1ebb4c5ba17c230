#pragma once

#include "app_delegate.h"
#include "io/launch_activation.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace lustrelab {

class AppState;
class InstanceChannel;
class MainWindow;
class PreferencesStore;
class ProjectStorage;
class SessionStore;
class TerminationSignals;

// The application object: creates the one model and the delegate at start,
// keeps them for the life of the process, and builds the main window around
// them. The model outlives the window; the delegate registers the hot key
// when the window appears and gives it back when the application quits.
// While it runs the open tabs are kept on disk (SessionStore): a start after
// a crash, a kill or a logout puts them back (a logout or SIGTERM writes
// them at once), unless the user turned that
// off; a clean quit (this object going) leaves nothing to put back.
class LustrelabApp : public QObject
{
    Q_OBJECT

  public:
    // An empty templatesDirectory means the per-user default (tests pass their own).
    explicit LustrelabApp(const QString& templatesDirectory = {},
                          AppDelegate::ShortcutFactory shortcuts = nullptr, QObject* parent = nullptr);
    ~LustrelabApp() override;

    AppState& state() const { return *m_state; }
    AppDelegate& delegate() const { return *m_delegate; }
    MainWindow& window() const { return *m_window; }

    // Opens each file in a tab of its own, in order, the first one in the
    // empty start tab. Decoding runs off the UI thread; a file that does not
    // decode leaves one line on standard error and is skipped. With files
    // to open, the clipboard paste on first appearance is skipped.
    void openFiles(const QStringList& paths);

    // Files a later start handed over: they open as tabs like openFiles'
    // and the window comes to the front, also from minimised or hidden, with
    // the launcher's permission to take the focus.
    void acceptHandOver(const QStringList& paths, const LaunchActivation& activation = {});

    // A desktop action of the launcher: "capture-region", "capture-window"
    // or "capture-screen" captures as the menu does. Others do nothing.
    void runAction(const QString& action, const LaunchActivation& activation);

    // Answers what later starts, launchers and capture commands ask of the
    // window over the session bus.
    void listenTo(InstanceChannel& channel);

    // Whether files from openFiles are still being read.
    bool isOpeningFiles() const;

  private:
    void reportShortcutRegistration();

    std::unique_ptr<PreferencesStore> m_preferences; // the one store: every reader is handed it
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<ProjectStorage> m_projects; // the window and the session use it
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SessionStore> m_session;
    std::unique_ptr<TerminationSignals> m_signals;
    bool m_endingWithDesktop = false; // a logout: the session stays for the next start
    bool m_watchingShortcut = false;
};

} // namespace lustrelab
