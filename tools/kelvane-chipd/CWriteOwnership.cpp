#include "tools/kelvane-chipd/CWriteOwnership.h"

#include <algorithm>

ChipFrame::CRegisterAddress CWriteOwnership::Key(const ChipFrame::CRegisterAddress& address) {
    return {static_cast<uint8_t>(ChipFrame::BankMatters(address.reg) ? address.bank & 0x07 : 0), address.reg};
}

CWriteOwnership::CEntry* CWriteOwnership::Find(const ChipFrame::CRegisterAddress& key) {
    for (CEntry& entry : m_entries) {
        if (entry.key == key) return &entry;
    }
    return nullptr;
}

bool CWriteOwnership::Known(const ChipFrame::CRegisterAddress& address) const {
    const ChipFrame::CRegisterAddress key = Key(address);
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const CEntry& e) { return e.key == key; });
}

void CWriteOwnership::Found(const ChipFrame::CRegisterAddress& address, uint8_t value) {
    if (!Known(address)) m_entries.push_back({Key(address), value, {}});
}

void CWriteOwnership::Forget(const ChipFrame::CRegisterAddress& address) {
    const ChipFrame::CRegisterAddress key = Key(address);
    std::erase_if(m_entries, [&](const CEntry& e) { return e.key == key && e.writers.empty(); });
}

void CWriteOwnership::Wrote(int client, const ChipFrame::CRegisterAddress& address, uint8_t value) {
    CEntry* entry = Find(Key(address));
    if (!entry) return;
    std::erase_if(entry->writers, [&](const CWriter& w) { return w.client == client; });
    entry->writers.push_back({client, value});
}

std::vector<CWriteOwnership::CValue> CWriteOwnership::Leave(int client) {
    std::vector<CValue> restore;
    for (CEntry& entry : m_entries) {
        if (entry.writers.empty()) continue;
        const bool latest = entry.writers.back().client == client;
        std::erase_if(entry.writers, [&](const CWriter& w) { return w.client == client; });
        if (!latest) continue;
        restore.push_back({entry.key, entry.writers.empty() ? entry.asFound : entry.writers.back().value});
    }
    std::erase_if(m_entries, [](const CEntry& e) { return e.writers.empty(); });
    return restore;
}

std::vector<CWriteOwnership::CValue> CWriteOwnership::TakeAll() {
    std::vector<CValue> all = AsFound();
    m_entries.clear();
    return all;
}

std::vector<CWriteOwnership::CValue> CWriteOwnership::AsFound() const {
    std::vector<CValue> values;
    for (const CEntry& entry : m_entries) values.push_back({entry.key, entry.asFound});
    return values;
}
