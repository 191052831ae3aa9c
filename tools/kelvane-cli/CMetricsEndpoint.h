// The HTTP side of CMetricsServer, living on the server's thread: the
// route, the listening socket and the limits on connections.
#pragma once

#include <QHostAddress>
#include <QHttpServer>
#include <QObject>
#include <QTcpServer>

#include <functional>
#include <memory>
#include <string>

class CMetricsEndpoint : public QObject {
    Q_OBJECT

public:
    using TextSource = std::function<std::shared_ptr<const std::string>()>;
    CMetricsEndpoint(TextSource text, int maxConnections, qint64 maxRequestBytes, int idleMs);

    // On the endpoint's thread: the port listened on, 0 when it failed.
    Q_INVOKABLE int Listen(const QString& address, int port);
    Q_INVOKABLE QString LastError() const { return m_error; }

private:
    class CBoundedTcpServer;

    TextSource m_text;
    QHttpServer* m_http = nullptr;
    CBoundedTcpServer* m_tcp = nullptr;
    int m_maxConnections;
    qint64 m_maxRequestBytes;
    int m_idleMs;
    QString m_error;
};
