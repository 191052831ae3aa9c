#include "tools/kelvane-chipd/CClientRegistry.h"

#include <algorithm>

#include "tools/kelvane-chipd/CRequestPolicy.h"

bool CClientRegistry::Remove(int id) {
    return m_clients.erase(id) != 0 && m_clients.empty();
}

ChipFrame::CRegisterAddress CClientRegistry::Key(const ChipFrame::CRegisterAddress& address) {
    return {static_cast<uint8_t>(CRequestPolicy::IsBanked(address.reg) ? address.bank & 0x07 : 0), address.reg};
}

bool CClientRegistry::Recorded(const ChipFrame::CRegisterAddress& address) const {
    const ChipFrame::CRegisterAddress key = Key(address);
    return std::any_of(m_asFound.begin(), m_asFound.end(), [&](const CAsFound& e) { return e.address == key; });
}

void CClientRegistry::Record(const ChipFrame::CRegisterAddress& address, uint8_t value) {
    if (!Recorded(address)) m_asFound.push_back({Key(address), value});
}

std::vector<CClientRegistry::CAsFound> CClientRegistry::TakeAsFound() {
    std::vector<CAsFound> taken;
    taken.swap(m_asFound);
    return taken;
}
