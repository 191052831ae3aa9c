// GET /metrics over HTTP for a Prometheus server to scrape, on a thread of
// its own so that no client, however slow, ever holds up a reading: the
// reading loop only hands over the text of its latest exposition. Every
// other path and method is answered 404. A request may be at most
// kMaxRequestBytes, at most kMaxConnections are served at once (more are
// closed at once) and a connection idle for kIdleMs is closed.
#pragma once

#include <QtGlobal>

#include <memory>
#include <mutex>
#include <string>

class QThread;
class CMetricsEndpoint;

class CMetricsServer {
public:
    static constexpr int kMaxConnections = 8;
    static constexpr qint64 kMaxRequestBytes = 8 * 1024;
    static constexpr int kIdleMs = 5000;

    CMetricsServer();
    ~CMetricsServer();
    CMetricsServer(const CMetricsServer&) = delete;
    CMetricsServer& operator=(const CMetricsServer&) = delete;

    // Listens on address:port (port 0: any free port). False with a reason.
    bool Start(const std::string& address, int port, std::string& error);
    int Port() const { return m_port; }
    // The text /metrics answers from now on; callable from any thread.
    void Publish(std::string text);
    std::shared_ptr<const std::string> Text() const;

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const std::string> m_text;
    std::unique_ptr<QThread> m_thread;
    CMetricsEndpoint* m_endpoint = nullptr;  // lives on m_thread
    int m_port = 0;
};
