#include "windows/CInstanceChecker.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {

// The one request a later copy sends.
constexpr char kActivate[] = "activate\n";
constexpr int kWaitMs = 1000;
constexpr qint64 kMaxRequest = 64;

}  // namespace

QString CInstanceChecker::NameFor(const QString& applicationName)
{
    return QString::fromLatin1(kNamePrefix) + applicationName;
}

CInstanceChecker::CInstanceChecker(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

CInstanceChecker::~CInstanceChecker()
{
    delete m_previous;
}

bool CInstanceChecker::IsPreviousInstanceRunning()
{
    if (m_previous != nullptr && m_previous->state() == QLocalSocket::ConnectedState)
        return true;
    delete m_previous;
    m_previous = new QLocalSocket;
    m_previous->setSocketOptions(QLocalSocket::AbstractNamespaceOption);
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
    if (IsPreviousInstanceRunning()) {
        m_nameTaken = true;
        return false;
    }
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(m_name)) {
        m_nameTaken = server->serverError() == QAbstractSocket::AddressInUseError;
        delete server;
        return false;
    }
    m_server = server;
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
