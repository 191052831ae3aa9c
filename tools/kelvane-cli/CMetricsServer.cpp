#include "tools/kelvane-cli/CMetricsServer.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include "tools/kelvane-cli/CMetricsEndpoint.h"

namespace {

// Qt's event loops need an application object; kelvane-cli makes one only
// when it serves, and never runs its loop on the main thread.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "kelvane-cli";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

}  // namespace

CMetricsServer::CMetricsServer() = default;

CMetricsServer::~CMetricsServer() {
    if (!m_thread) return;
    m_thread->quit();
    m_thread->wait();
}

bool CMetricsServer::Start(const std::string& address, int port, std::string& error) {
    EnsureApplication();
    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("metrics"));
    m_endpoint = new CMetricsEndpoint([this] { return Text(); }, kMaxConnections, kMaxRequestBytes, kIdleMs);
    m_endpoint->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_endpoint, &QObject::deleteLater);
    m_thread->start();
    int bound = 0;
    QMetaObject::invokeMethod(
        m_endpoint, [&] { bound = m_endpoint->Listen(QString::fromStdString(address), port); },
        Qt::BlockingQueuedConnection);
    if (bound == 0) {
        QString reason;
        QMetaObject::invokeMethod(m_endpoint, [&] { reason = m_endpoint->LastError(); }, Qt::BlockingQueuedConnection);
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + reason.toStdString();
        return false;
    }
    m_port = bound;
    return true;
}

void CMetricsServer::Publish(std::string text) {
    auto shared = std::make_shared<const std::string>(std::move(text));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text = std::move(shared);
}

std::shared_ptr<const std::string> CMetricsServer::Text() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
}
