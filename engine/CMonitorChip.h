// Register access to the hardware-monitor chip through the access library:
// an address port and a data port (port base + 1), banks selected through
// register 0x4E, every transfer under the cross-process chip lock. A bank
// selection and the transfers in that bank form one critical section: a peer
// that selects another bank in between would make us read its bank.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/IChipLock.h"

class CAccessLibrary;
class IChipWriteGuard;
class IMessageBox;

class CMonitorChip {
public:
    // Holds the chip lock from construction to destruction, so that the
    // transfers in between (a bank selection, a read-modify-write) are one
    // critical section. Holds nest; the outermost one takes and frees the
    // lock. Bus-error boxes of the transfers inside wait until it is freed.
    class LockHold {
    public:
        explicit LockHold(CMonitorChip& chip) : m_chip(chip) { m_chip.EnterLock(); }
        ~LockHold() { m_chip.LeaveLock(); }
        LockHold(const LockHold&) = delete;
        LockHold& operator=(const LockHold&) = delete;

    private:
        CMonitorChip& m_chip;
    };

    // The lock and the message box are the process's seams; both outlive the
    // chip accessor.
    CMonitorChip(IChipLock& lock, IMessageBox& messageBox);

    void AttachLibrary(CAccessLibrary* library);
    // Told before every register write (nullptr: no one); a write it refuses
    // is not made and counts as a failed transfer. It outlives the writes or
    // is taken away first.
    void SetWriteGuard(IChipWriteGuard* guard) { m_writeGuard = guard; }
    IChipWriteGuard* WriteGuard() const { return m_writeGuard; }
    bool IsAttached() const { return m_attached; }

    // A failed transfer reads 0 (and writes nothing); without a usable
    // library every transfer is a no-op. Either way it counts as a failed
    // transfer (FailedTransfers), so that a reader can tell a 0 read from
    // the chip from one that never reached it.
    uint8_t ReadRegister(uint8_t reg);
    void WriteRegister(uint8_t reg, uint8_t value);
    // Puts bank into register 0x4E, keeping its bit 7. While the lock is
    // held, 0x4E as this accessor last read or wrote it stands for the chip's
    // (no peer can change it then): it is not read again, nor written again
    // with the value it holds. Releasing the lock forgets it.
    void SelectBank(uint8_t bank);
    // SelectBank and the transfer under one hold of the lock.
    uint8_t ReadBankedRegister(uint8_t bank, uint8_t reg);
    void WriteBankedRegister(uint8_t bank, uint8_t reg, uint8_t value);

    // Status registers: while a status pass is open, each status register is
    // read from the chip once and every later read in the pass gets the same
    // byte. Some chips latch their status bits and clear them when read; read
    // once per item, the first item would take the other items' bits with
    // it. Outside a pass every read goes to the chip.
    // False (value 0) when the transfer failed; a failed read is kept for the
    // pass as well, so a failing bus is not asked again by every item.
    bool ReadStatusRegister(uint8_t bank, uint8_t reg, uint8_t& value);
    // Opens a new pass, forgetting the bytes of the previous one.
    void BeginStatusPass();
    void EndStatusPass();
    bool IsStatusPassOpen() const { return m_statusPassOpen; }

    // Initialises the bus and checks the vendor value; sets ChipId, the port
    // base and the alternate-ID flag on success. ChipId keeps its previous
    // value (kUnknownChipId at first) on failure.
    bool DetectChip();
    uint8_t ChipId() const { return m_chipId; }
    // The bank register as detection found it, before detection selected
    // bank 0 and toggled its bit 7; valid once the bus was initialised.
    uint8_t BankRegisterAsFound() const { return m_bankAsFound; }
    bool IsBankRegisterAsFoundKnown() const { return m_bankAsFoundKnown; }
    bool IsAlternateId() const { return m_alternateId; }
    uint16_t PortBase() const { return m_portBase; }
    uint16_t BusNumber() const { return m_busNumber; }

    // Transfers that failed since the accessor was built (bus errors, a lock
    // held by a peer beyond the wait, a library that cannot transfer). A
    // reading is true only when this did not move while it was taken.
    uint32_t FailedTransfers() const { return m_failedTransfers; }

    bool ShowBusErrors() const { return m_showBusErrors; }
    void SetShowBusErrors(bool show) { m_showBusErrors = show; }

    // The descriptor file of a chip identification, or "" for one that no
    // descriptor describes.
    static const char* DescriptorFileForChipId(uint8_t chipId);
    // The name a board's defaults file takes for a chip whose reference
    // wiring differs from the other parts' (the first-generation parts'
    // negative rails pass an inverting stage with dividers of their own), or
    // "" for the board's one defaults file.
    static const char* BoardDefaultsFileForChipId(uint8_t chipId);

    static constexpr uint8_t kUnknownChipId = 0xFF;
    static constexpr uint16_t kVendorValue = 0x5CA3;
    static constexpr uint8_t kBankRegister = 0x4E;
    static constexpr int kAddressAttempts = 30;
    static constexpr int kDataReadAttempts = 10;
    static constexpr int kDataWriteAttempts = 30;
    // The error a transfer reports when a peer kept the chip lock beyond the
    // wait's bound; the port is not touched.
    static constexpr int16_t kLockBusyError = -1;

private:
    bool CanTransfer() const;
    void EnterLock();
    void LeaveLock();
    // Shows the bus error box when ShowBusErrors is set, once the lock is
    // free again.
    void ReportBusError(int16_t error);
    // Writes reg to the address port; the last error code (0 on success).
    int16_t SendAddress(uint8_t reg);

    IChipLock& m_lock;
    IMessageBox& m_messageBox;
    CAccessLibrary* m_library = nullptr;
    bool m_attached = false;
    IChipWriteGuard* m_writeGuard = nullptr;
    bool m_alternateId = false;
    uint16_t m_busNumber = 1;
    uint16_t m_portBase = 0x295;
    uint8_t m_chipId = kUnknownChipId;
    uint8_t m_busAddresses[3] = {0x5A, 0x92, 0x90};
    bool m_showBusErrors = false;
    uint8_t m_bankAsFound = 0;
    bool m_bankAsFoundKnown = false;
    // Sets or forgets the bank register as it is known under the held lock.
    void NoteBankRegister(bool known, uint8_t value = 0);

    int m_lockDepth = 0;
    bool m_bankKnown = false;
    uint8_t m_bankValue = 0;
    ChipLockResult m_lockResult = ChipLockResult::kUnguarded;
    std::vector<int16_t> m_pendingErrors;
    uint32_t m_failedTransfers = 0;

    struct LatchedStatus {
        uint8_t bank;
        uint8_t reg;
        uint8_t value;
        bool read;
    };
    bool m_statusPassOpen = false;
    std::vector<LatchedStatus> m_statusBytes;
};
