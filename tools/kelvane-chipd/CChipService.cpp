#include "tools/kelvane-chipd/CChipService.h"

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

bool CChipService::Start() {
    m_hasChip = false;
    uint8_t found = 0;
    if (!m_backend.ReadRegister(kBankRegister, found)) return false;
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
    if (m_clients.Remove(client)) RestoreAsFound();
}

void CChipService::RestoreAsFound() {
    for (const CClientRegistry::CAsFound& entry : m_clients.TakeAsFound()) Write(entry.address, entry.value);
    m_backend.RestoreAsFound();
}

CResponse CChipService::Serve(const CRequest& request) {
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
                                              (m_policy.ReadOnly() ? kFlagReadOnly : 0)),
                         m_resting};
        break;
    case kRead: {
        uint8_t value = 0;
        response.status = m_policy.CheckRead(request.address);
        if (response.status == kOk && !Read(request.address, value)) response.status = kTransferFailed;
        if (response.status == kOk) response.data.push_back(value);
        break;
    }
    case kWrite: {
        response.status = m_policy.CheckWrite(request.address, request.value);
        if (response.status != kOk) break;
        if (!m_clients.Recorded(request.address)) {
            // Without the value as found, the write could not be undone.
            uint8_t asFound = 0;
            if (!Read(CClientRegistry::Key(request.address), asFound)) {
                response.status = kTransferFailed;
                break;
            }
            m_clients.Record(request.address, asFound);
        }
        if (!Write(request.address, request.value)) response.status = kTransferFailed;
        break;
    }
    case kReadBatch: {
        for (const CRegisterAddress& address : request.batch) {
            response.status = m_policy.CheckRead(address);
            if (response.status != kOk) break;
        }
        if (response.status != kOk) break;
        // One bank selection per run of reads in the same bank, and the
        // resting bank restored once at the end.
        uint8_t selected = m_resting;
        bool ok = true;
        for (const CRegisterAddress& address : request.batch) {
            const bool banked = CRequestPolicy::IsBanked(address.reg);
            if (banked && address.bank != selected) {
                ok = SelectBank(address.bank);
                selected = address.bank;
            }
            uint8_t value = 0;
            ok = ok && m_backend.ReadRegister(address.reg, value);
            if (!ok) break;
            response.data.push_back(value);
        }
        if (selected != m_resting) ok = SelectBank(m_resting) && ok;
        if (!ok) {
            response.status = kTransferFailed;
            response.data.clear();
        }
        break;
    }
    case kStats:
        break;
    }
    return response;
}
