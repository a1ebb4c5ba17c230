#include "lustrelab_app.h"

#include "io/clipboard_handover.h"
#include "io/image_decoder.h"
#include "io/instance_channel.h"
#include "state/app_state.h"
#include "state/file_opener.h"
#include "state/preferences_store.h"
#include "state/project_files.h"
#include "state/session_store.h"
#include "ui/file_commands.h"
#include "ui/main_window.h"
#include "ui/window_presence.h"
#include "termination_signals.h"
#include "window_activation.h"

#include <QApplication>
#include <QFileInfo>
#include <QFuture>
#include <QUrl>

namespace lustrelab {

LustrelabApp::LustrelabApp(const QString& templatesDirectory, AppDelegate::ShortcutFactory shortcuts,
                           QObject* parent)
    : QObject(parent), m_preferences(std::make_unique<PreferencesStore>()),
      m_state(std::make_unique<AppState>(*m_preferences, templatesDirectory)),
      m_delegate(shortcuts ? std::make_unique<AppDelegate>(std::move(shortcuts))
                           : std::make_unique<AppDelegate>()),
      m_projects(std::make_unique<ProjectFiles>()),
      m_window(std::make_unique<MainWindow>(*m_state, nullptr, m_projects.get())),
      m_session(std::make_unique<SessionStore>(*m_state, *m_projects)),
      m_signals(std::make_unique<TerminationSignals>())
{
    if (m_preferences->restoreTabsAtStart())
        m_session->restore();
    m_session->follow();
    // The desktop session ends (a logout through the session manager, or
    // SIGTERM / SIGHUP, as systemd and terminals end a session): the tabs go
    // to disk as they are now, without the save question, and come back at
    // the next start.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        m_endingWithDesktop = true;
        m_session->flush();
    });
    connect(m_signals.get(), &TerminationSignals::received, this, [this] {
        m_endingWithDesktop = true;
        m_session->flush();
        // exit, not quit: quit would close the windows first, and the main
        // window would ask about its unsaved tabs of a session that is over.
        QCoreApplication::exit(0);
    });
    connect(m_window.get(), &MainWindow::contentShown, m_delegate.get(), [this] {
        m_delegate->setup(m_state.get());
        reportShortcutRegistration();
    });
    QGuiApplication::setQuitOnLastWindowClosed(
        AppDelegate::applicationShouldTerminateAfterLastWindowClosed());
    connect(qApp, &QCoreApplication::aboutToQuit, m_delegate.get(), &AppDelegate::applicationWillTerminate);
    connect(&m_state->quickCapture(), &QuickCapture::openRequested, this,
            [this](const QImage&, bool bringForward, const QString& token) {
                if (bringForward)
                    acceptHandOver({}, {token, {}});
            });
    connect(&m_state->quickCapture(), &QuickCapture::windowRequested, this, [this](const QString& token) {
        acceptHandOver({}, {token, {}});
    });
    // A copy must still paste after the window has gone.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &handOverOwnedClipboardImage);
}

// The window goes first: it refers to the model.
LustrelabApp::~LustrelabApp()
{
    // A clean quit: the user has answered for every unsaved tab.
    if (!m_endingWithDesktop)
        m_session->clear();
    m_session.reset();
    m_window.reset();
    m_delegate.reset();
}

// The X11 grab is known at once; the portal answers later, once the desktop
// has (or has not) bound the combination.
void LustrelabApp::reportShortcutRegistration()
{
    GlobalShortcut* shortcut = m_delegate->shortcut();
    m_window->setGlobalShortcutRegistered(shortcut && shortcut->isRegistered());
    if (shortcut && !m_watchingShortcut) {
        m_watchingShortcut = true;
        connect(shortcut, &GlobalShortcut::bindingFinished, m_window.get(),
                &MainWindow::setGlobalShortcutRegistered);
    }
}

void LustrelabApp::openFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    m_window->setAutomaticPasteEnabled(false);
    m_window->fileCommands().openFiles(paths);
}

bool LustrelabApp::isOpeningFiles() const
{
    return m_window->fileCommands().opener().isBusy();
}

void LustrelabApp::acceptHandOver(const QStringList& paths, const LaunchActivation& activation)
{
    openFiles(paths);
    bringWindowForward(*m_window, activation);
}

void LustrelabApp::runAction(const QString& action, const LaunchActivation&)
{
    // The capture hides the window and brings it back, or opens the result
    // in it, by itself; the launch permission has no use before that.
    if (action == u"capture-region")
        m_state->startRegionCapture();
    else if (action == u"capture-window")
        m_state->startWindowCapture();
    else if (action == u"capture-screen")
        m_state->startFullScreenCapture();
}

void LustrelabApp::listenTo(InstanceChannel& channel)
{
    connect(&channel, &InstanceChannel::openRequested, this, &LustrelabApp::acceptHandOver);
    connect(&channel, &InstanceChannel::actionRequested, this, &LustrelabApp::runAction);
    connect(&channel, &InstanceChannel::hideRequested, this,
            [this] { m_window->presence().hideApplication(); });
    connect(&channel, &InstanceChannel::showRequested, this,
            [this] { m_window->presence().showApplication(); });
}

} // namespace lustrelab
