#include "app/CAutomationService.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

CAutomationService::CAutomationService(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{
}

CAutomationService::~CAutomationService()
{
    if (!m_registered) return;
    m_bus.unregisterObject(kObjectPath);
    m_bus.unregisterService(kServiceName);
}

bool CAutomationService::Register()
{
    if (m_registered) return true;
    if (!m_bus.isConnected()) return false;
    if (!m_bus.registerService(kServiceName)) return false;
    if (!m_bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots)) {
        m_bus.unregisterService(kServiceName);
        return false;
    }
    m_watcher = new QDBusServiceWatcher(this);
    m_watcher->setConnection(m_bus);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &CAutomationService::OnClientVanished);
    m_registered = true;
    return true;
}

void CAutomationService::Attach()
{
    if (!calledFromDBus()) return;
    const QString client = message().service();
    const bool wasAttached = m_clients.IsProxyAttached();
    m_clients.Attach(client.toStdString());
    m_watcher->addWatchedService(client);
    NotifyIfChanged(wasAttached);
}

void CAutomationService::Release()
{
    if (!calledFromDBus()) return;
    const QString client = message().service();
    const bool wasAttached = m_clients.IsProxyAttached();
    m_clients.Release(client.toStdString());
    NotifyIfChanged(wasAttached);
}

void CAutomationService::OnClientVanished(const QString& client)
{
    const bool wasAttached = m_clients.IsProxyAttached();
    m_clients.Vanished(client.toStdString());
    m_watcher->removeWatchedService(client);
    NotifyIfChanged(wasAttached);
}

void CAutomationService::NotifyIfChanged(bool wasAttached)
{
    const bool attached = m_clients.IsProxyAttached();
    if (attached != wasAttached) Q_EMIT proxyAttachmentChanged(attached);
}
