#include "tools/kelvane-cli/CMetricsEndpoint.h"

#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QTcpSocket>
#include <QTimer>

#include <unistd.h>

#include <algorithm>

#include "metrics/CMetricsExposition.h"

// Takes the connections itself, so that it can refuse those beyond the
// bound and watch each one's size and idleness before the HTTP server
// reads from it (its own readyRead slot runs after the one connected here).
class CMetricsEndpoint::CBoundedTcpServer : public QTcpServer {
public:
    CBoundedTcpServer(int maxConnections, qint64 maxRequestBytes, int idleMs, QObject* parent)
        : QTcpServer(parent), m_max(maxConnections), m_maxBytes(maxRequestBytes), m_idleMs(idleMs) {}

protected:
    void incomingConnection(qintptr descriptor) override {
        if (m_open >= m_max) {
            ::close(static_cast<int>(descriptor));
            return;
        }
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        ++m_open;
        connect(socket, &QObject::destroyed, this, [this] { --m_open; });
        // The HTTP server deletes a socket once it disconnects; one that is
        // never handed on (closed below before) goes too.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
        idle->start(m_idleMs);
        auto received = std::make_shared<qint64>(0);
        // A client that asked for the connection to end (HTTP/1.0, or
        // "Connection: close") gets its end once the answer has left.
        auto closeAfterAnswer = std::make_shared<bool>(false);
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket, closeAfterAnswer] {
            if (*closeAfterAnswer && socket->bytesToWrite() == 0) socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::readyRead, socket, [socket, idle, received, closeAfterAnswer, this] {
            *received += socket->bytesAvailable();
            idle->start(m_idleMs);
            const QByteArray head = socket->peek(std::min<qint64>(socket->bytesAvailable(), m_maxBytes)).toLower();
            const qsizetype lineEnd = head.indexOf("\r\n");
            if (head.contains("\r\nconnection: close") ||
                (lineEnd > 0 && head.left(lineEnd).endsWith("http/1.0") && !head.contains("connection: keep-alive")))
                *closeAfterAnswer = true;
            if (*received > m_maxBytes) {
                // The HTTP server's reader, connected after this one, must
                // not see the socket it would read from closed.
                QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
                socket->abort();
            }
        });
        addPendingConnection(socket);
    }

private:
    int m_max;
    qint64 m_maxBytes;
    int m_idleMs;
    int m_open = 0;
};

CMetricsEndpoint::CMetricsEndpoint(TextSource text, int maxConnections, qint64 maxRequestBytes, int idleMs)
    : m_text(std::move(text)), m_maxConnections(maxConnections), m_maxRequestBytes(maxRequestBytes), m_idleMs(idleMs) {}

int CMetricsEndpoint::Listen(const QString& address, int port) {
    m_http = new QHttpServer(this);
    m_http->route(QStringLiteral("/metrics"), QHttpServerRequest::Method::Get, [this](const QHttpServerRequest&) {
        const std::shared_ptr<const std::string> text = m_text();
        return QHttpServerResponse(QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"),
                                   text ? QByteArray::fromStdString(*text) : QByteArray());
    });
    m_tcp = new CBoundedTcpServer(m_maxConnections, m_maxRequestBytes, m_idleMs, this);
    if (!m_tcp->listen(QHostAddress(address), static_cast<quint16>(port))) {
        m_error = m_tcp->errorString();
        return 0;
    }
    m_http->bind(m_tcp);
    return m_tcp->serverPort();
}
