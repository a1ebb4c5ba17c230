#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace lustrelab {

// Turns SIGTERM and SIGHUP, which a desktop sends to the programs of a session
// that ends (a logout, a shutdown, a closed terminal), into a signal on the UI
// thread, so that the window can put its tabs on disk before it goes instead
// of dying where it stands. The handler only writes one byte to a socket that
// the event loop watches: nothing else is safe inside a signal handler.
//
// One object per process: the handler's socket is necessarily process-wide,
// and a second object takes it over from the first.
class TerminationSignals : public QObject
{
    Q_OBJECT

  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // The default handlers come back.
    ~TerminationSignals() override;

    bool isListening() const { return m_notifier != nullptr; }

  signals:
    void received(int signalNumber);

  private:
    void readPending();

    int m_sockets[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace lustrelab
