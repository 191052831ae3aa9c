#include "app/CAutomationClients.h"

void CAutomationClients::Attach(const std::string& client) { ++m_holds[client]; }

bool CAutomationClients::Release(const std::string& client)
{
    const auto hold = m_holds.find(client);
    if (hold == m_holds.end()) return false;
    if (--hold->second == 0) m_holds.erase(hold);
    return true;
}

bool CAutomationClients::Vanished(const std::string& client) { return m_holds.erase(client) != 0; }

bool CAutomationClients::CanExit(const std::function<void()>& hideWindow) const
{
    if (!IsProxyAttached()) return true;
    if (hideWindow) hideWindow();
    return false;
}
