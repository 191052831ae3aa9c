// Which automation clients hold the application's proxy. While one does, a
// close request only hides the main window and the program keeps running.
#pragma once

#include <functional>
#include <map>
#include <string>

class CAutomationClients {
public:
    // A client takes the proxy; a client may take it more than once and must
    // release it as often.
    void Attach(const std::string& client);
    // False when the client held no proxy.
    bool Release(const std::string& client);
    // The client is gone (ended or lost its connection): all it held is
    // released. False when it held nothing.
    bool Vanished(const std::string& client);

    bool IsProxyAttached() const { return !m_holds.empty(); }

    // True when no client holds the proxy. Otherwise hides the main window
    // through hideWindow and refuses the close (false).
    bool CanExit(const std::function<void()>& hideWindow) const;

private:
    std::map<std::string, int> m_holds;
};
