#include "tools/kelvane-chipd/CHwmonBackend.h"

#include "accesslib/hwmon/HwmonDrivers.h"

bool CHwmonBackend::Open() {
    if (!m_chip.Attach()) {
        m_problem = "no supported chip bound to its kernel driver under " + m_root + "/class/hwmon";
        return false;
    }
    // The service runs as root; a driver whose files refuse it could only
    // be read, and the service would claim control it does not have.
    if (m_chip.CurrentState() != CHwmonChip::State::kDriven) {
        m_problem = "the kernel driver " + m_chip.Chip().driver + "'s files refuse writes";
        return false;
    }
    return true;
}

void CHwmonBackend::RestoreAsFound() {
    const auto changed = m_chip.ChangedAttributes();
    for (auto it = changed.rbegin(); it != changed.rend(); ++it) m_chip.WriteAttribute(it->attribute, it->value);
    m_chip.ForgetChanges();
}

std::string CHwmonBackend::Describe() const {
    if (!m_chip.IsAttached()) return "kernel hwmon drivers under " + m_root;
    const HwmonChipInfo& chip = m_chip.Chip();
    return "kernel driver " + chip.driver + " (" + chip.name + " at " + chip.devicePath + ")";
}
