#include "engine/CChipRestorer.h"

#include "engine/CMonitorChip.h"
#include "engine/CRegisterField.h"

namespace {

// Banks apply to registers 0x50..0x5F only; every other address is one
// register whatever bank is selected.
uint8_t BankOf(uint8_t bank, uint8_t reg) { return reg >= 0x50 && reg <= 0x5F ? static_cast<uint8_t>(bank & 7) : 0; }

uint8_t PartMask(uint8_t bits, uint8_t start) {
    if (start >= 8 || bits == 0) return 0;
    const unsigned mask = bits >= 8 ? 0xFFu : ((1u << bits) - 1u);
    return static_cast<uint8_t>((mask << start) & 0xFFu);
}

}  // namespace

CChipRestorer::CChipRestorer(CMonitorChip& chip, const std::string& recordBase, const std::string& mutexPath)
    : m_chip(chip), m_record(recordBase, recordBase.empty() ? std::string() : mutexPath) {
    m_chip.SetWriteGuard(this);
}

CChipRestorer::~CChipRestorer() { m_chip.SetWriteGuard(nullptr); }

bool CChipRestorer::BeforeWrite(uint8_t reg) {
    // Pending entries are of registers this process has not written yet: a
    // refused write (the record could not be saved) leaves them as found.
    return !m_record.IsPending(reg) || m_record.Flush();
}

void CChipRestorer::Join() {
    if (m_record.IsJoined()) return;
    m_role = m_record.Join();
    // Already kept when another driver (alive or dead) came first.
    Keep(0, CMonitorChip::kBankRegister, 0xFF);
}

void CChipRestorer::TakeOver() {
    if (m_role != CAsFoundRecord::Role::kAfterCrash) return;
    m_role = CAsFoundRecord::Role::kJoined;
    // The chip still holds what a dead driver set (a slowed fan, its beep
    // bits): back to the record first.
    RestoreAllButBank();
    RestoreBank();
}

void CChipRestorer::Abandon(std::optional<uint8_t> bankBeforeDetection) {
    if (!m_record.IsJoined()) return;
    if (bankBeforeDetection) m_chip.WriteRegister(CMonitorChip::kBankRegister, *bankBeforeDetection);
    if (m_record.BeginLeave()) m_record.EndLeave();
}

void CChipRestorer::Keep(uint8_t bank, uint8_t reg, uint8_t mask) {
    if (!m_record.IsJoined() || mask == 0) return;
    bank = BankOf(bank, reg);
    for (const CAsFoundRecord::Entry& e : m_record.Entries()) {
        if (e.bank == bank && e.reg == reg && (mask & ~e.mask) == 0) return;
    }
    if (reg >= 0x50 && reg <= 0x5F) m_chip.SelectBank(bank);
    m_record.Defer(bank, reg, mask, m_chip.ReadRegister(reg));
}

void CChipRestorer::KeepField(const CRegisterField& field) {
    if (field.TotalBits() == 0) return;
    Keep(field.Bank1(), field.Addr1(), PartMask(field.NumOfBits1(), field.StartBit1()));
    if (field.NumOfBits1() < field.TotalBits()) {
        Keep(field.Bank2(), field.Addr2(), PartMask(field.NumOfBits2(), field.StartBit2()));
    }
}

bool CChipRestorer::BeginRelease() {
    if (!m_record.BeginLeave()) return false;
    RestoreAllButBank();
    return true;
}

void CChipRestorer::EndRelease() {
    RestoreBank();
    m_record.EndLeave();
}

void CChipRestorer::Restore(const CAsFoundRecord::Entry& entry) {
    if (entry.reg >= 0x50 && entry.reg <= 0x5F) m_chip.SelectBank(entry.bank);
    const uint8_t current = entry.mask == 0xFF ? 0 : m_chip.ReadRegister(entry.reg);
    m_chip.WriteRegister(entry.reg, static_cast<uint8_t>((current & ~entry.mask) | (entry.value & entry.mask)));
}

void CChipRestorer::RestoreAllButBank() {
    // One critical section: the banks are selected in turn, not per entry.
    const CMonitorChip::LockHold hold(m_chip);
    const auto& entries = m_record.Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->reg != CMonitorChip::kBankRegister) Restore(*it);
    }
}

void CChipRestorer::RestoreBank() {
    for (const CAsFoundRecord::Entry& e : m_record.Entries()) {
        if (e.reg == CMonitorChip::kBankRegister) Restore(e);
    }
}
