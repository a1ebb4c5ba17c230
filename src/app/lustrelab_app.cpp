#include "lustrelab_app.h"

#include "io/clipboard_handover.h"
#include "io/image_decoder.h"
#include "state/app_state.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QFuture>
#include <QUrl>

namespace lustrelab {

LustrelabApp::LustrelabApp(const QString& templatesDirectory, AppDelegate::ShortcutFactory shortcuts,
                           QObject* parent)
    : QObject(parent), m_state(std::make_unique<AppState>(templatesDirectory)),
      m_delegate(shortcuts ? std::make_unique<AppDelegate>(std::move(shortcuts))
                           : std::make_unique<AppDelegate>()),
      m_window(std::make_unique<MainWindow>(*m_state))
{
    connect(m_window.get(), &MainWindow::contentShown, m_delegate.get(), [this] {
        m_delegate->setup(m_state.get());
        reportShortcutRegistration();
    });
    QGuiApplication::setQuitOnLastWindowClosed(
        AppDelegate::applicationShouldTerminateAfterLastWindowClosed());
    connect(qApp, &QCoreApplication::aboutToQuit, m_delegate.get(), &AppDelegate::applicationWillTerminate);
    connect(&m_state->quickCapture(), &QuickCapture::openRequested, this,
            [this](const QImage&, bool bringForward) {
                if (bringForward)
                    acceptHandOver({});
            });
    // A copy must still paste after the window has gone.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &handOverOwnedClipboardImage);
}

// The window goes first: it refers to the model.
LustrelabApp::~LustrelabApp()
{
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
    for (const QString& path : paths) {
        // Desktop launchers may hand over file URLs rather than paths.
        const QUrl url(path);
        m_pendingFiles.append(url.isLocalFile() ? url.toLocalFile() : path);
    }
    if (!m_opening)
        openNextFile();
}

void LustrelabApp::acceptHandOver(const QStringList& paths)
{
    openFiles(paths);
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

// One file at a time, so that the tabs come in the order given.
void LustrelabApp::openNextFile()
{
    if (m_pendingFiles.isEmpty()) {
        m_opening = false;
        return;
    }
    m_opening = true;
    ImageSource source;
    source.kind = ImageSource::Kind::file;
    source.filePath = m_pendingFiles.takeFirst();
    const QString name = QFileInfo(source.filePath).fileName(); // the tab is named after its file
    decodeImageAsync(source).then(this, [this, name](const QImage& image) {
        // A new tab unless the current one is still empty.
        if (!image.isNull())
            m_state->loadImage(image, false, name);
        openNextFile();
    });
}

} // namespace lustrelab
