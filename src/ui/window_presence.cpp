#include "window_presence.h"

#include <QApplication>

namespace lustrelab {

WindowPresence::WindowPresence(QWidget& mainWindow) : QObject(&mainWindow), m_mainWindow(mainWindow) {}

void WindowPresence::hideApplication()
{
    if (m_captures++ > 0)
        return;
    m_hidden.clear();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // A minimised window is not on the screen; popups close by themselves
        // once focus leaves. The rest are windows the user placed.
        if (!window->isVisible() || window->isMinimized() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip)
            continue;
        m_hidden << window;
        window->hide();
    }
}

void WindowPresence::showApplication()
{
    if (m_captures == 0 || --m_captures > 0)
        return;
    bool mainWasShown = false;
    for (const QPointer<QWidget>& window : std::exchange(m_hidden, {}))
        if (window) {
            window->show();
            mainWasShown |= window == &m_mainWindow;
        }
    // A capture from the hot key while the window was put away leaves it so.
    if (!mainWasShown)
        return;
    m_mainWindow.raise();
    m_mainWindow.activateWindow();
}

} // namespace lustrelab
