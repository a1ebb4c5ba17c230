#pragma once

#include <QObject>
#include <QStringList>

namespace lustrelab {

// One window per session: the first window takes a well-known name on the
// session bus; a later `lustrelab FILE…` (a file manager, a launcher, a key
// binding) finds it there, hands over its files and exits, so that they
// open as tabs of the window the user already has. Without a session bus
// every start is a window of its own, as before.
class InstanceChannel : public QObject
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

    // Delivers `paths` (absolute; none just raises the window) to the process holding the name and waits for
    // its answer. Returns why that failed, or empty once it has them.
    static QString handOver(const QStringList& paths);

  public slots:
    // Called over the bus by a later start.
    Q_SCRIPTABLE void Open(const QStringList& paths);

  signals:
    void openRequested(const QStringList& paths);

  private:
    bool m_claimed = false;
};

// Makes `arguments` independent of the caller's working directory: paths
// and file URLs become absolute paths.
QStringList absoluteLaunchArguments(const QStringList& arguments, const QString& workingDirectory);

} // namespace lustrelab
