#include "engine/COSVersion.h"

#include <sys/utsname.h>

#include <cstring>

#include "platform/IPowerOff.h"

void COSVersion::Detect() {
    struct utsname name {};
    m_detected = true;
    if (::uname(&name) != 0) {
        m_linux = false;
        m_release.clear();
        return;
    }
    m_linux = std::strcmp(name.sysname, "Linux") == 0;
    m_release = name.release;
}

bool COSVersion::ShutDownSystem() {
    Detect();
    if (!m_linux) return false;
    return m_powerOff.PowerOff();
}
