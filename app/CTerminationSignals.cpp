#include "app/CTerminationSignals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>

namespace {

// A signal handler can reach nothing but process-wide state: the write end
// of the socket pair of the one installed object, -1 while there is none.
std::atomic<int> g_writeSocket{-1};
std::atomic<bool> g_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void WriteSignalNumber(int signalNumber)
{
    const int saved = errno;
    g_requested.store(true);
    const int socket = g_writeSocket.load();
    if (socket >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::send(socket, &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    errno = saved;
}

}  // namespace

CTerminationSignals::CTerminationSignals(std::vector<int> signalNumbers, QObject* parent)
    : QObject(parent), m_signals(std::move(signalNumbers))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, m_sockets) != 0) return;
    int expected = -1;
    if (!g_writeSocket.compare_exchange_strong(expected, m_sockets[0])) {
        ::close(m_sockets[0]);
        ::close(m_sockets[1]);
        m_sockets[0] = m_sockets[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(m_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });

    struct sigaction action = {};
    action.sa_handler = WriteSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_previous.resize(m_signals.size());
    for (std::size_t i = 0; i < m_signals.size(); ++i) ::sigaction(m_signals[i], &action, &m_previous[i]);
    m_installed = true;
}

CTerminationSignals::~CTerminationSignals()
{
    if (!m_installed) return;
    delete m_notifier;
    for (std::size_t i = 0; i < m_signals.size(); ++i) ::sigaction(m_signals[i], &m_previous[i], nullptr);
    g_writeSocket.store(-1);
    g_requested.store(false);
    ::close(m_sockets[0]);
    ::close(m_sockets[1]);
}

bool CTerminationSignals::IsRequested() { return g_requested.load(); }

void CTerminationSignals::OnReadable()
{
    unsigned char byte = 0;
    while (::recv(m_sockets[1], &byte, 1, MSG_DONTWAIT) == 1) emit terminationRequested(byte);
}
