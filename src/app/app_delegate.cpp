#include "app_delegate.h"

#include "io/global_shortcut_loader.h"
#include "state/app_state.h"

#include <cstdio>

namespace lustrelab {

AppDelegate::AppDelegate(QObject* parent) : AppDelegate(createGlobalShortcut, parent) {}

AppDelegate::AppDelegate(ShortcutFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory))
{
}

AppDelegate::~AppDelegate()
{
    applicationWillTerminate();
}

AppState* AppDelegate::appState() const
{
    return m_appState;
}

void AppDelegate::setup(AppState* appState)
{
    m_appState = appState;
    if (!m_shortcut && m_factory) {
        m_shortcut = m_factory();
        // Queued: the press is handed to the event loop and handled after the
        // window system's delivery has returned.
        if (m_shortcut)
            connect(m_shortcut.get(), &GlobalShortcut::activated, this, &AppDelegate::onHotKey,
                    Qt::QueuedConnection);
    }
    if (!m_shortcut) {
        if (!m_unavailableReported) {
            std::fputs(
                "lustrelab: no global shortcut service on this desktop; Ctrl+Shift+6 works only in the "
                "window\n",
                stderr);
            std::fflush(stderr);
            m_unavailableReported = true;
        }
        return;
    }
    if (!m_shortcut->isRegistered())
        m_shortcut->registerShortcut();
}

void AppDelegate::applicationWillTerminate()
{
    if (m_shortcut)
        m_shortcut->unregisterShortcut();
}

void AppDelegate::onHotKey()
{
    if (!m_appState || !m_shortcut || !m_shortcut->isRegistered())
        return;
    m_appState->startRegionCapture();
}

} // namespace lustrelab
