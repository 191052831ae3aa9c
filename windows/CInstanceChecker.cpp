#include "windows/CInstanceChecker.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

struct CInstanceChecker::SClient {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    QByteArray received;
};

namespace {

// The one request a later copy sends.
constexpr char kActivate[] = "activate\n";
constexpr int kWaitMs = 1000;
constexpr qsizetype kMaxRequest = 64;
constexpr int kBacklog = 8;

// A directory of uid's alone: not a symbolic link, owned by uid, and
// writable by no one else (who could otherwise replace the lock or socket).
bool IsPrivateDirectory(const QString& path, uid_t uid)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == uid && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The socket address of path; false when the path does not fit.
bool AddressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray encoded = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || static_cast<std::size_t>(encoded.size()) >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
    return true;
}

// Waits up to kWaitMs for fd to be ready for events.
bool WaitReady(int fd, short events)
{
    pollfd entry{fd, events, 0};
    int ready = 0;
    do
        ready = ::poll(&entry, 1, kWaitMs);
    while (ready < 0 && errno == EINTR);
    return ready == 1 && (entry.revents & events) != 0;
}

}  // namespace

QString CInstanceChecker::NameFor(const QString& applicationName)
{
    const QString directory = PrivateDirectory(std::getenv("XDG_RUNTIME_DIR"), QDir::tempPath(), ::getuid());
    if (directory.isEmpty())
        return {};
    return directory + QLatin1Char('/') + QString::fromLatin1(kNamePrefix) + applicationName;
}

QString CInstanceChecker::PrivateDirectory(const char* runtimeDirectory, const QString& tempDirectory, uid_t uid)
{
    if (runtimeDirectory != nullptr && runtimeDirectory[0] == '/') {
        const QString runtime = QFile::decodeName(runtimeDirectory);
        if (IsPrivateDirectory(runtime, uid))
            return runtime;
    }
    if (tempDirectory.isEmpty())
        return {};
    const QString own = tempDirectory + QStringLiteral("/kelvane-%1").arg(uid);
    // An existing entry is judged as it is, never chmod'ed or followed.
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return IsPrivateDirectory(own, uid) ? own : QString();
}

CInstanceChecker::CInstanceChecker(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

CInstanceChecker::~CInstanceChecker()
{
    ClosePrevious();
    while (!m_clients.empty())
        Drop(*m_clients.back());
    // The socket file goes with the listener, before the lock is let go: a
    // copy that takes the lock next lays its own socket, which a later
    // close here must not remove.
    if (m_serverFd >= 0) {
        delete m_serverNotifier;
        ::close(m_serverFd);
        ::unlink(QFile::encodeName(m_name).constData());
    }
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool CInstanceChecker::IsPreviousInstanceRunning()
{
    if (m_previousFd >= 0)
        return true;
    sockaddr_un address{};
    if (m_name.isEmpty() || !AddressOf(m_name, address))
        return false;
    m_previousFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_previousFd < 0)
        return false;
    // A listener whose queue is full leaves the connection pending: it is
    // given a second, as a busy first copy may take.
    if (::connect(m_previousFd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return true;
    int error = errno;
    if (error == EINPROGRESS || error == EAGAIN) {
        socklen_t length = sizeof(error);
        if (WaitReady(m_previousFd, POLLOUT) &&
            ::getsockopt(m_previousFd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
            return true;
    }
    ClosePrevious();
    return false;
}

bool CInstanceChecker::ActivatePreviousInstance()
{
    if (m_previousFd < 0)
        return false;
    const char* next = kActivate;
    std::size_t left = sizeof(kActivate) - 1;
    while (left > 0) {
        const ssize_t sent = ::send(m_previousFd, next, left, MSG_NOSIGNAL);
        if (sent > 0) {
            next += sent;
            left -= static_cast<std::size_t>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && errno == EAGAIN && WaitReady(m_previousFd, POLLOUT)) {
            continue;
        } else {
            break;
        }
    }
    // Whatever was written stays readable for the first copy after the close.
    ClosePrevious();
    return left == 0;
}

void CInstanceChecker::ClosePrevious()
{
    if (m_previousFd >= 0)
        ::close(m_previousFd);
    m_previousFd = -1;
}

bool CInstanceChecker::TrackFirstInstance()
{
    if (IsTracking())
        return true;
    sockaddr_un address{};
    if (m_name.isEmpty() || !AddressOf(m_name, address))
        return false;
    if (IsPreviousInstanceRunning()) {
        m_nameTaken = true;
        return false;
    }
    const int lock = ::open(QFile::encodeName(m_name + QStringLiteral(".lock")).constData(),
                            O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0)
        return false;
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        // Held: a copy that is starting and about to listen.
        m_nameTaken = errno == EWOULDBLOCK;
        ::close(lock);
        return false;
    }
    // With the lock, a socket file still there is a crashed copy's.
    ::unlink(address.sun_path);
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // Only the user may connect: the directory is the user's alone already,
    // and the socket itself is made so too.
    const bool listening = server >= 0 &&
                           ::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                           ::chmod(address.sun_path, 0600) == 0 && ::listen(server, kBacklog) == 0;
    if (!listening) {
        if (server >= 0) {
            ::close(server);
            ::unlink(address.sun_path);
        }
        ::close(lock);
        return false;
    }
    m_serverFd = server;
    m_lockFd = lock;
    m_serverNotifier = new QSocketNotifier(static_cast<qintptr>(server), QSocketNotifier::Read, this);
    connect(m_serverNotifier, &QSocketNotifier::activated, this, &CInstanceChecker::OnNewConnection);
    return true;
}

bool CInstanceChecker::IsTracking() const
{
    return m_serverFd >= 0;
}

void CInstanceChecker::OnNewConnection()
{
    for (;;) {
        const int fd = ::accept4(m_serverFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        auto client = std::make_unique<SClient>();
        client->fd = fd;
        client->notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
        SClient& added = *client;
        connect(client->notifier, &QSocketNotifier::activated, this, [this, &added] { OnClientReadable(added); });
        m_clients.push_back(std::move(client));
        // A request sent before the accept is waiting already.
        OnClientReadable(added);
    }
}

void CInstanceChecker::OnClientReadable(SClient& client)
{
    char buffer[kMaxRequest];
    for (;;) {
        const ssize_t got = ::recv(client.fd, buffer, sizeof(buffer), 0);
        if (got > 0) {
            client.received.append(buffer, static_cast<qsizetype>(got));
            qsizetype end = 0;
            while ((end = client.received.indexOf('\n')) >= 0) {
                if (client.received.left(end + 1) == kActivate)
                    emit ActivationRequested();
                client.received.remove(0, end + 1);
            }
            // Nothing else is ever sent; a peer that talks on is dropped.
            if (client.received.size() > kMaxRequest)
                break;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // A copy that only looked (IsPreviousInstanceRunning) and then ended
        // just disconnects.
        break;
    }
    Drop(client);
}

void CInstanceChecker::Drop(SClient& client)
{
    // The notifier may be the one whose signal is being handled: it goes
    // once control is back in the event loop.
    client.notifier->setEnabled(false);
    client.notifier->deleteLater();
    ::close(client.fd);
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if (it->get() == &client) {
            m_clients.erase(it);
            return;
        }
    }
}

void CInstanceChecker::BringToFront(QWidget& window)
{
    if (window.isMinimized())
        window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}
