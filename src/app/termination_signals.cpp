#include "termination_signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lustrelab {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGHUP};

// The write end for the handler. A signal handler cannot reach an object, so
// this one value is process-wide by necessity.
volatile sig_atomic_t handlerSocket = -1;

extern "C" void onTerminationSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (handlerSocket >= 0)
        [[maybe_unused]] const auto written = ::write(handlerSocket, &byte, 1);
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_sockets) != 0)
        return; // the default handlers stay: the program still ends, only sooner
    handlerSocket = m_sockets[0];
    m_notifier = std::make_unique<QSocketNotifier>(m_sockets[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handledSignals)
        ::sigaction(number, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : handledSignals)
        ::sigaction(number, &action, nullptr);
    if (handlerSocket == m_sockets[0])
        handlerSocket = -1;
    m_notifier.reset();
    ::close(m_sockets[0]);
    ::close(m_sockets[1]);
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(m_sockets[1], &byte, 1) == 1)
        emit received(byte);
}

} // namespace lustrelab
