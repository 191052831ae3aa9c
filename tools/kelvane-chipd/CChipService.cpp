#include "tools/kelvane-chipd/CChipService.h"

#include <optional>

using namespace ChipFrame;

namespace {

constexpr uint8_t kBankRegister = 0x4E;

}  // namespace

bool CChipService::SelectBank(uint8_t bank) { return m_backend.WriteRegister(kBankRegister, bank); }

bool CChipService::Read(const CRegisterAddress& address, uint8_t& value) {
    if (!CRequestPolicy::IsBanked(address.reg) || address.bank == m_resting) {
        return m_backend.ReadRegister(address.reg, value);
    }
    // The bank is put back even when the transfer failed.
    const bool ok = SelectBank(address.bank) && m_backend.ReadRegister(address.reg, value);
    return SelectBank(m_resting) && ok;
}

bool CChipService::Write(const CRegisterAddress& address, uint8_t value) {
    if (!CRequestPolicy::IsBanked(address.reg) || address.bank == m_resting) {
        return m_backend.WriteRegister(address.reg, value);
    }
    const bool ok = SelectBank(address.bank) && m_backend.WriteRegister(address.reg, value);
    return SelectBank(m_resting) && ok;
}

bool CChipService::SaveJournal() {
    if (!m_journal) return true;
    const CJournalFile::CContent content{m_backend.Describe(), m_chipId, m_resting, m_writes.AsFound()};
    std::string problem;
    if (m_journal->Save(content, problem)) return true;
    m_journalReport = problem;
    return false;
}

bool CChipService::Start() {
    m_hasChip = false;
    std::optional<CJournalFile::CContent> left;
    if (m_journal) {
        std::string problem;
        left = m_journal->Load(problem);
        if (!problem.empty()) m_journalReport = problem + ": ignored";
        if (left && left->backend != m_backend.Describe()) {
            m_journalReport = m_journal->Path() + " is the record of another chip (" + left->backend + "): ignored";
            left.reset();
        }
        // A service killed in the middle of a banked operation left that
        // bank selected.
        if (left && !SelectBank(left->bank)) return false;
    }
    uint8_t found = 0;
    if (!m_backend.ReadRegister(kBankRegister, found)) return false;
    if (m_journal && !left) {
        // The bank as found is on record before the vendor check switches banks.
        m_resting = found & 0x87;
        m_chipId = 0;
        if (!SaveJournal()) return false;
    }
    if (!Identify(found)) return false;
    m_policy.SetChip(CChipRegisterMap::ForChip(m_chipId, m_alternate));
    if (left) {
        // A record taken before the chip was identified holds no writes.
        if (left->chipId == m_chipId || left->registers.empty()) {
            RestoreJournal(*left);
        } else {
            m_journalReport = m_journal->Path() + " is the record of another chip: ignored";
        }
    }
    return SaveJournal();
}

void CChipService::RestoreJournal(const CJournalFile::CContent& left) {
    size_t restored = 0;
    for (const CWriteOwnership::CValue& entry : left.registers) restored += Write(entry.address, entry.value);
    if (!left.registers.empty()) {
        m_journalReport = "put back " + std::to_string(restored) + " of " + std::to_string(left.registers.size()) +
                          " registers as " + m_journal->Path() + " records them";
    }
}

bool CChipService::Identify(uint8_t found) {
    m_resting = found;
    uint8_t high = 0, low = 0;
    bool ok = SelectBank(0x80) && m_backend.ReadRegister(0x4F, high) && SelectBank(0x00) &&
              m_backend.ReadRegister(0x4F, low);
    if (ok && high * 256 + low == kVendorValue) {
        uint8_t id = 0;
        ok = m_backend.ReadRegister(0x58, id);
        m_chipId = id;
        m_alternate = false;
        // Only the bank and vendor-select bits of the found value are ever
        // written back; the others read as the bank register's own state.
        m_resting = found & 0x87;
        m_hasChip = SelectBank(m_resting) && ok;
        return m_hasChip;
    }
    // The alternate parts: the vendor bytes at 0x4C (low) and 0x4D (high),
    // and 0x4E reads as the identification, so the bank it was in cannot be
    // read back; bank 0 with the vendor-byte select set is the resting state.
    if (m_backend.ReadRegister(0x4C, low) && m_backend.ReadRegister(0x4D, high) && high * 256 + low == kVendorValue) {
        uint8_t id = 0;
        m_resting = 0x80;
        if (!SelectBank(m_resting) || !m_backend.ReadRegister(kBankRegister, id)) return false;
        m_chipId = id;
        m_alternate = true;
        m_hasChip = true;
        return true;
    }
    SelectBank(m_resting & 0x87);
    return false;
}

void CChipService::Disconnect(int client) {
    m_clients.Remove(client);
    const size_t recorded = m_writes.AsFound().size();
    for (const CWriteOwnership::CValue& entry : m_writes.Leave(client)) Write(entry.address, entry.value);
    // Only once the chip is back does the journal forget the registers.
    if (m_writes.AsFound().size() != recorded) SaveJournal();
    // What a backend changed beyond the registers goes back with the last client.
    if (m_clients.Count() == 0) m_backend.RestoreAsFound();
}

void CChipService::RestoreAsFound() {
    bool all = true;
    for (const CWriteOwnership::CValue& entry : m_writes.TakeAll()) all = Write(entry.address, entry.value) && all;
    m_backend.RestoreAsFound();
    if (m_journal && all) m_journal->Remove();
}

Status CChipService::ServeWrite(int client, const CRequest& request) {
    if (m_policy.ReadOnly()) return kReadOnly;
    if (!m_clients.MayWrite(client)) return kNoControl;
    const Status allowed = m_policy.CheckWrite(request.address, request.value);
    if (allowed != kOk) return allowed;
    if (!m_writes.Known(request.address)) {
        // Without the value as found, on record, the write could not be undone.
        uint8_t asFound = 0;
        if (!Read(CWriteOwnership::Key(request.address), asFound)) return kTransferFailed;
        m_writes.Found(request.address, asFound);
        if (!SaveJournal()) {
            m_writes.Forget(request.address);
            return kTransferFailed;
        }
    }
    // A failed write may still have changed the register: it is undone too.
    m_writes.Wrote(client, request.address, request.value);
    return Write(request.address, request.value) ? kOk : kTransferFailed;
}

Status CChipService::ServeBatch(const CRequest& request, std::vector<uint8_t>& values) {
    for (const CRegisterAddress& address : request.batch) {
        const Status status = m_policy.CheckRead(address);
        if (status != kOk) return status;
    }
    // One bank selection per run of reads in the same bank, and the resting
    // bank restored once at the end.
    uint8_t selected = m_resting;
    bool ok = true;
    for (const CRegisterAddress& address : request.batch) {
        if (CRequestPolicy::IsBanked(address.reg) && address.bank != selected) {
            ok = SelectBank(address.bank);
            selected = address.bank;
        }
        uint8_t value = 0;
        ok = ok && m_backend.ReadRegister(address.reg, value);
        if (!ok) break;
        values.push_back(value);
    }
    if (selected != m_resting) ok = SelectBank(m_resting) && ok;
    if (ok) return kOk;
    values.clear();
    return kTransferFailed;
}

CResponse CChipService::Serve(int client, const CRequest& request) {
    ++m_framesServed;
    CResponse response;
    response.op = request.op;
    if (request.op == kStats) {
        for (int shift = 0; shift < 32; shift += 8) response.data.push_back(static_cast<uint8_t>(m_framesServed >> shift));
        return response;
    }
    if (!m_hasChip) {
        response.status = kNoChip;
        return response;
    }
    switch (request.op) {
    case kHello:
        response.data = {m_chipId,
                         static_cast<uint8_t>((m_alternate ? kFlagAlternateId : 0) |
                                              (m_policy.ReadOnly() ? kFlagReadOnly : 0) |
                                              (m_clients.MayWrite(client) ? 0 : kFlagReader)),
                         m_resting};
        break;
    case kRead: {
        uint8_t value = 0;
        response.status = m_policy.CheckRead(request.address);
        if (response.status == kOk && !Read(request.address, value)) response.status = kTransferFailed;
        if (response.status == kOk) response.data.push_back(value);
        break;
    }
    case kWrite:
        response.status = ServeWrite(client, request);
        break;
    case kReadBatch:
        response.status = ServeBatch(request, response.data);
        break;
    case kStats:
        break;
    }
    return response;
}
