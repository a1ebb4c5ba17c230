#pragma once

#include "io/global_shortcut.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

namespace lustrelab {

class AppState;

// Launch and termination glue: registers Ctrl+Shift+6 when the main window
// first appears, turns each press into a region capture of the application
// model, and gives the combination back when the application ends. It never
// keeps the model alive: the pointer empties when the model goes away, and a
// press after that does nothing.
class AppDelegate : public QObject
{
    Q_OBJECT

  public:
    using ShortcutFactory = std::function<std::unique_ptr<GlobalShortcut>()>;

    // The default factory picks the facility of the running session.
    explicit AppDelegate(QObject* parent = nullptr);
    explicit AppDelegate(ShortcutFactory factory, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Runs on every appearance of a main window. Later calls only update the
    // model pointer: one registration and one press handler, however often.
    void setup(AppState* appState);
    // Releases the shortcut.
    void applicationWillTerminate();
    // Closing the last window quits.
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }

    AppState* appState() const;
    GlobalShortcut* shortcut() const { return m_shortcut.get(); }

  private slots:
    void onHotKey();

  private:
    ShortcutFactory m_factory;
    QPointer<AppState> m_appState;
    std::unique_ptr<GlobalShortcut> m_shortcut;
    bool m_unavailableReported = false;
};

} // namespace lustrelab
