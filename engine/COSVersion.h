// The operating-system family and the forced power-off. Kelvane runs on
// Linux: Detect reports the Linux family with the kernel's release text, the
// Windows families are never reported, and ShutDownSystem asks for a
// power-off through the injected power-off seam.
#pragma once

#include <string>

class IPowerOff;

class COSVersion {
public:
    explicit COSVersion(IPowerOff& powerOff) : m_powerOff(powerOff) {}

    // Queries the running system (uname).
    void Detect();
    bool IsDetected() const { return m_detected; }
    bool IsLinux() const { return m_linux; }
    bool IsNT() const { return false; }
    bool IsWin9x() const { return false; }
    bool IsWin32s() const { return false; }
    // The kernel release, for example "6.1.0-18-amd64"; empty before Detect.
    const std::string& Release() const { return m_release; }
    // Empty: there are no service packs here.
    std::string ServicePack() const { return {}; }

    // Detect, then a power-off request on the Linux family. The result is
    // that of the request; the caller does not depend on it.
    bool ShutDownSystem();

private:
    IPowerOff& m_powerOff;
    bool m_detected = false;
    bool m_linux = false;
    std::string m_release;
};
