// The automation server "Kelvane.Application" on the D-Bus session bus. A
// client attaches to the application's proxy by calling Attach and lets go
// with Release; a client that leaves the bus without releasing is released
// then. The service has no other methods: holding the proxy only keeps the
// program running.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

#include "app/CAutomationClients.h"
#include "app/CCommandLine.h"

class QDBusServiceWatcher;

class CAutomationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "Kelvane.Application")

public:
    static constexpr const char* kServiceName = "Kelvane.Application";
    static constexpr const char* kObjectPath = "/Kelvane/Application";

    // bus: the session bus in production (QDBusConnection::sessionBus());
    // a disconnected bus leaves the service without clients.
    explicit CAutomationService(QDBusConnection bus, QObject* parent = nullptr);
    ~CAutomationService() override;

    // Only a start by the automation system ("-Embedding" or "-Automation")
    // offers the service.
    static bool ShouldRegister(const CCommandLine& commandLine) { return commandLine.IsAutomation(); }

    // Claims the service name and publishes the proxy object. False with no
    // bus or when the name is taken.
    bool Register();
    bool IsRegistered() const { return m_registered; }

    const CAutomationClients& Clients() const { return m_clients; }
    bool IsProxyAttached() const { return m_clients.IsProxyAttached(); }
    bool CanExit(const std::function<void()>& hideWindow) const { return m_clients.CanExit(hideWindow); }

public Q_SLOTS:
    Q_SCRIPTABLE void Attach();
    Q_SCRIPTABLE void Release();

Q_SIGNALS:
    // Emitted when the first client attaches and when the last one leaves;
    // the main window, when hidden by a refused close, may end then.
    void proxyAttachmentChanged(bool attached);

private:
    void OnClientVanished(const QString& client);
    void NotifyIfChanged(bool wasAttached);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    CAutomationClients m_clients;
    bool m_registered = false;
};
