#include "windows/CInstanceChecker.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// The one request a later copy sends.
constexpr char kActivate[] = "activate\n";
constexpr int kWaitMs = 1000;
constexpr qint64 kMaxRequest = 64;

// A directory of uid's alone: not a symbolic link, owned by uid, and
// writable by no one else (who could otherwise replace the lock or socket).
bool IsPrivateDirectory(const QString& path, uid_t uid)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == uid && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
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
    delete m_previous;
    // The socket file goes with the listener, before the lock is let go: a
    // copy that takes the lock next lays its own socket, which a later
    // close here must not remove.
    delete m_server;
    m_server = nullptr;
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool CInstanceChecker::IsPreviousInstanceRunning()
{
    if (m_previous != nullptr && m_previous->state() == QLocalSocket::ConnectedState)
        return true;
    delete m_previous;
    m_previous = nullptr;
    if (m_name.isEmpty())
        return false;
    m_previous = new QLocalSocket;
    m_previous->connectToServer(m_name);
    if (m_previous->waitForConnected(kWaitMs))
        return true;
    delete m_previous;
    m_previous = nullptr;
    return false;
}

bool CInstanceChecker::ActivatePreviousInstance()
{
    if (m_previous == nullptr)
        return false;
    bool sent = m_previous->write(kActivate, sizeof(kActivate) - 1) == qint64(sizeof(kActivate) - 1);
    sent = sent && (m_previous->bytesToWrite() == 0 || m_previous->waitForBytesWritten(kWaitMs));
    // Whatever was written stays readable for the first copy after the close.
    m_previous->disconnectFromServer();
    delete m_previous;
    m_previous = nullptr;
    return sent;
}

bool CInstanceChecker::TrackFirstInstance()
{
    if (IsTracking())
        return true;
    if (m_name.isEmpty())
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
    QLocalServer::removeServer(m_name);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_name)) {
        delete server;
        ::close(lock);
        return false;
    }
    m_server = server;
    m_lockFd = lock;
    connect(m_server, &QLocalServer::newConnection, this, &CInstanceChecker::OnNewConnection);
    return true;
}

bool CInstanceChecker::IsTracking() const
{
    return m_server != nullptr && m_server->isListening();
}

void CInstanceChecker::OnNewConnection()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        // A copy that only looked (IsPreviousInstanceRunning) and then ended
        // just disconnects; one that asks sends the request line.
        auto handle = [this, client] {
            while (client->canReadLine()) {
                if (client->readLine(kMaxRequest) == kActivate)
                    emit ActivationRequested();
            }
            // Nothing else is ever sent; a peer that talks on is dropped.
            if (client->bytesAvailable() > kMaxRequest)
                client->abort();
        };
        connect(client, &QLocalSocket::readyRead, this, handle);
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        if (client->bytesAvailable() > 0)
            handle();
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
