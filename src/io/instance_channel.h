#pragma once

#include "launch_activation.h"

#include <QDBusContext>
#include <QHash>
#include <QObject>
#include <QStringList>

class QDBusServiceWatcher;

namespace lustrelab {

// One window per session: the first window takes a well-known name on the
// session bus; a later `lustrelab FILE…` (a file manager, a launcher, a key
// binding) finds it there, hands over its files and exits, so that they
// open as tabs of the window the user already has. Without a session bus
// every start is a window of its own, as before.
//
// The same object answers the desktop's own single-instance interface,
// org.freedesktop.Application (Activate, Open, ActivateAction), through which
// launchers start and raise a D-Bus activatable application with their
// activation token; and it lets a capture command started outside the window
// put the window away while it takes its picture.
class InstanceChannel : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.lustrelab.Lustrelab")

  public:
    enum class Claim {
        claimed, // this process is the window others hand over to
        taken,   // another process holds the name
        noBus,   // no session bus: nobody to hand over to, nobody to listen
    };

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the name (never queueing for it) and listens for hand-overs.
    Claim claim();

    // Delivers `paths` (absolute; none just raises the window) to the process
    // holding the name, with the launcher's permission to take the focus, and
    // waits for its answer. Returns why that failed, or empty once it has them.
    static QString handOver(const QStringList& paths, const LaunchActivation& activation = {});

    // For a capture taken by another process: asks the running window, if
    // any, to leave the screen, and waits until it has. False when no window
    // runs (none is started for this). The window returns with
    // showRunningWindow(), or when this process leaves the bus.
    static bool hideRunningWindow();
    static void showRunningWindow();

  public slots:
    // Called over the bus by a later start of an earlier version, or a script.
    Q_SCRIPTABLE void Open(const QStringList& paths);
    // A capture command started outside the window: the window leaves the
    // screen before the answer, and comes back on the matching show, or
    // when the caller leaves the bus without one (it crashed, or was killed
    // while the user chose a region).
    Q_SCRIPTABLE void HideForCapture();
    Q_SCRIPTABLE void ShowAfterCapture();

  signals:
    // Files to open (possibly none) and the window to bring forward.
    void openRequested(const QStringList& paths, const lustrelab::LaunchActivation& activation);
    // A desktop action of the launcher ("capture-region", ...).
    void actionRequested(const QString& action, const lustrelab::LaunchActivation& activation);
    void hideRequested();
    void showRequested();

  private:
    friend class FreedesktopApplicationAdaptor;
    void releaseCaller(const QString& caller, int captures);

    bool m_claimed = false;
    QDBusServiceWatcher* m_callers = nullptr;
    QHash<QString, int> m_hiddenFor; // open HideForCapture calls, by caller
};

// Makes `arguments` independent of the caller's working directory: paths
// and file URLs become absolute paths.
QStringList absoluteLaunchArguments(const QStringList& arguments, const QString& workingDirectory);

} // namespace lustrelab
