#include "engine/CMonitorChip.h"

#include <cstdio>
#include <string>

#include "engine/CAccessLibrary.h"
#include "engine/IChipWriteGuard.h"
#include "platform/IChipLock.h"
#include "platform/IMessageBox.h"

namespace {

struct DescriptorEntry {
    uint8_t chipId;
    const char* file;
};

// The revision suffix of a descriptor comes from the identification value.
// The W83627HF/F answers either 0x20 or 0x21.
constexpr DescriptorEntry kDescriptors[] = {
    {0x10, "W83781D_B.ini"}, {0x11, "W83781D_C.ini"}, {0x20, "W83627F.ini"},   {0x21, "W83627F.ini"},
    {0x30, "W83782D.ini"},
    {0x40, "W83783S.ini"},   {0x50, "W83784R.ini"},   {0x51, "W83784R_B.ini"}, {0x60, "W83697F.ini"},
    {0x61, "W83785R.ini"},   {0x70, "W83791D_B.ini"}, {0x71, "W83791D_C.ini"}, {0x80, "W83637HF.ini"},
};

}  // namespace

CMonitorChip::CMonitorChip(IChipLock& lock, IMessageBox& messageBox) : m_lock(lock), m_messageBox(messageBox) {}

void CMonitorChip::AttachLibrary(CAccessLibrary* library) {
    m_library = library;
    m_attached = library != nullptr;
}

bool CMonitorChip::CanTransfer() const { return m_attached && m_library->IsUsable(); }

void CMonitorChip::EnterLock() {
    if (m_lockDepth++ == 0) m_lockResult = CanTransfer() ? m_lock.Acquire() : ChipLockResult::kUnguarded;
}

void CMonitorChip::NoteBankRegister(bool known, uint8_t value) {
    // Without the lock held a peer may select another bank at any moment.
    m_bankKnown = known && m_lockResult == ChipLockResult::kHeld;
    m_bankValue = value;
}

void CMonitorChip::LeaveLock() {
    if (--m_lockDepth > 0) return;
    // A peer may select another bank as soon as the lock is free.
    NoteBankRegister(false);
    if (m_lockResult == ChipLockResult::kHeld) m_lock.Release();
    m_lockResult = ChipLockResult::kUnguarded;
    // The lock is given back before a modal box can wait for the user, so a
    // failing bus here never stalls the peers' transfers.
    std::vector<int16_t> errors;
    errors.swap(m_pendingErrors);
    if (!m_showBusErrors) return;
    for (int16_t error : errors) {
        char text[80];
        std::snprintf(text, sizeof text, "There are errors between SMBus and HWIC==>ErrNo %d", static_cast<int>(error));
        m_messageBox.Show(text, "", MessageBoxStyle::kOk | MessageBoxStyle::kIconError);
    }
}

void CMonitorChip::ReportBusError(int16_t error) {
    if (m_showBusErrors) m_pendingErrors.push_back(error);
}

int16_t CMonitorChip::SendAddress(uint8_t reg) {
    if (m_lockResult == ChipLockResult::kBusy) return kLockBusyError;
    int16_t error = 0;
    for (int attempt = 0; attempt < kAddressAttempts; ++attempt) {
        m_library->OutPort(m_portBase, reg, error);
        if (error == 0) break;
    }
    return error;
}

uint8_t CMonitorChip::ReadRegister(uint8_t reg) {
    if (!CanTransfer()) {
        ++m_failedTransfers;
        return 0;
    }
    LockHold hold(*this);
    int16_t error = SendAddress(reg);
    uint8_t value = 0;
    if (error == 0) {
        for (int attempt = 0; attempt < kDataReadAttempts; ++attempt) {
            value = m_library->InPort(static_cast<uint16_t>(m_portBase + 1), error);
            if (error == 0) break;
        }
    }
    if (error != 0) {
        ++m_failedTransfers;
        ReportBusError(error);
        if (reg == kBankRegister) NoteBankRegister(false);
        return 0;
    }
    if (reg == kBankRegister) NoteBankRegister(true, value);
    return value;
}

void CMonitorChip::WriteRegister(uint8_t reg, uint8_t value) {
    if (!CanTransfer()) {
        ++m_failedTransfers;
        return;
    }
    LockHold hold(*this);
    if (m_writeGuard && !m_writeGuard->BeforeWrite(reg)) {
        // The register's as-found bits are not on disk: a failed transfer,
        // the chip untouched.
        ++m_failedTransfers;
        return;
    }
    // Half a write (an address sent, the data lost) leaves 0x4E unknown.
    if (reg == kBankRegister) NoteBankRegister(false);
    int16_t error = SendAddress(reg);
    if (error == 0) {
        for (int attempt = 0; attempt < kDataWriteAttempts; ++attempt) {
            m_library->OutPort(static_cast<uint16_t>(m_portBase + 1), value, error);
            if (error == 0) break;
        }
    }
    if (error != 0) {
        ++m_failedTransfers;
        ReportBusError(error);
    } else if (reg == kBankRegister) {
        NoteBankRegister(true, value);
    }
}

void CMonitorChip::SelectBank(uint8_t bank) {
    LockHold hold(*this);
    const uint8_t current = m_bankKnown ? m_bankValue : ReadRegister(kBankRegister);
    const uint8_t wanted = static_cast<uint8_t>(bank | (current & 0x80));
    if (m_bankKnown && current == wanted) return;
    WriteRegister(kBankRegister, wanted);
}

uint8_t CMonitorChip::ReadBankedRegister(uint8_t bank, uint8_t reg) {
    LockHold hold(*this);
    SelectBank(bank);
    return ReadRegister(reg);
}

void CMonitorChip::WriteBankedRegister(uint8_t bank, uint8_t reg, uint8_t value) {
    LockHold hold(*this);
    SelectBank(bank);
    WriteRegister(reg, value);
}

bool CMonitorChip::ReadStatusRegister(uint8_t bank, uint8_t reg, uint8_t& value) {
    if (m_statusPassOpen) {
        for (const LatchedStatus& latched : m_statusBytes) {
            if (latched.bank == bank && latched.reg == reg) {
                value = latched.value;
                return latched.read;
            }
        }
    }
    const uint32_t failures = m_failedTransfers;
    value = ReadBankedRegister(bank, reg);
    const bool read = failures == m_failedTransfers;
    if (!read) value = 0;
    if (m_statusPassOpen) m_statusBytes.push_back({bank, reg, value, read});
    return read;
}

void CMonitorChip::BeginStatusPass() {
    m_statusBytes.clear();
    m_statusPassOpen = true;
}

void CMonitorChip::EndStatusPass() {
    m_statusBytes.clear();
    m_statusPassOpen = false;
}

bool CMonitorChip::DetectChip() {
    if (!m_attached) return false;
    m_portBase = 0x295;
    if (!m_library->InitBus(m_busNumber, m_busAddresses[0], m_busAddresses[1], m_busAddresses[2])) return false;
    // A peer's bank selection between ours and the vendor bytes would
    // make the check read another bank.
    LockHold hold(*this);
    m_bankAsFound = ReadRegister(kBankRegister);
    m_bankAsFoundKnown = true;

    // The high byte of the vendor value appears at 0x4F while bit 7 of 0x4E
    // is set, the low byte while it is clear.
    SelectBank(0);
    WriteRegister(kBankRegister, static_cast<uint8_t>(ReadRegister(kBankRegister) | 0x80));
    unsigned high = ReadRegister(0x4F);
    SelectBank(0);
    WriteRegister(kBankRegister, static_cast<uint8_t>(ReadRegister(kBankRegister) & 0x7F));
    unsigned low = ReadRegister(0x4F);

    bool alternate = false;
    if (high * 256 + low != kVendorValue) {
        // Some chips carry the vendor value at 0x4C (low) and 0x4D (high)
        // and their identification in 0x4E.
        low = ReadRegister(0x4C);
        high = ReadRegister(0x4D);
        if (high * 256 + low != kVendorValue) return false;
        alternate = true;
    }
    m_alternateId = alternate;

    SelectBank(0);
    uint8_t id = ReadRegister(alternate ? kBankRegister : 0x58);
    // The alternate chip answering 0x60 is the one described by the 0x61
    // descriptor; 0x60 itself belongs to a chip of the main family.
    if (alternate && id == 0x60) id = 0x61;
    m_chipId = id;
    return true;
}

const char* CMonitorChip::DescriptorFileForChipId(uint8_t chipId) {
    for (const DescriptorEntry& entry : kDescriptors) {
        if (entry.chipId == chipId) return entry.file;
    }
    return "";
}

const char* CMonitorChip::BoardDefaultsFileForChipId(uint8_t chipId) {
    return chipId == 0x10 || chipId == 0x11 ? "W83781Ddef.ini" : "";
}
