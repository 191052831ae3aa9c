// Hands the chip back as the first of its drivers found it. The as-found
// bits of every register the engine changes are kept in a record that all
// driving processes share (CAsFoundRecord, beside the chip lock file), before
// the first change; the last driver out restores them, and a start after a
// driver died without doing so restores them at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/IAsFoundKeeper.h"
#include "engine/IChipWriteGuard.h"
#include "platform/CAsFoundRecord.h"

class CMonitorChip;

class CChipRestorer : public IAsFoundKeeper, public IChipWriteGuard {
public:
    // recordBase: where the record's files go (beside the chip lock), and
    // the mutex file all records beside that lock share; an empty base keeps
    // the record in memory.
    CChipRestorer(CMonitorChip& chip, const std::string& recordBase, const std::string& mutexPath);
    ~CChipRestorer() override;
    CChipRestorer(const CChipRestorer&) = delete;
    CChipRestorer& operator=(const CChipRestorer&) = delete;

    // Becomes one of the chip's drivers and keeps the bank register as it is
    // now: before detection, which has to select a bank in it. Writes
    // nothing.
    void Join();
    bool IsJoined() const { return m_record.IsJoined(); }
    // For an identified chip: when a driver died without handing the chip
    // back, restores its record first (which stays the baseline).
    void TakeOver();
    // For a chip that was not identified: puts the bank register back as
    // detection found it (when it got as far as reading it) and leaves;
    // nothing else is written.
    void Abandon(std::optional<uint8_t> bankBeforeDetection);

    // Keeps the bits of mask of a register as they are now, unless they were
    // kept before (by this or another driver). The record goes to disk when
    // a kept register is first written (BeforeWrite), so that the registers
    // kept before one change are saved together; a write is refused while
    // that save fails.
    void Keep(uint8_t bank, uint8_t reg, uint8_t mask);
    // The same for every register part of a field.
    void KeepField(const CRegisterField& field) override;
    bool BeforeWrite(uint8_t reg) override;

    // Leaving: true when this was the last driver; every kept register but
    // the bank register is then restored, the caller may write its own last
    // words, and EndRelease restores the bank register and drops the record.
    bool BeginRelease();
    void EndRelease();

    const CAsFoundRecord& Record() const { return m_record; }

private:
    // Every kept register but the bank register, the latest kept first.
    void RestoreAllButBank();
    void RestoreBank();
    void Restore(const CAsFoundRecord::Entry& entry);

    CMonitorChip& m_chip;
    CAsFoundRecord m_record;
    CAsFoundRecord::Role m_role = CAsFoundRecord::Role::kAlone;
};
