// Register access to the hardware-monitor chip through the access library:
// an address port and a data port (port base + 1), banks selected through
// register 0x4E, every single transfer under the cross-process chip lock.
#pragma once

#include <cstdint>
#include <vector>

class CAccessLibrary;
class IChipLock;
class IMessageBox;

class CMonitorChip {
public:
    // The lock and the message box are the process's seams; both outlive the
    // chip accessor.
    CMonitorChip(IChipLock& lock, IMessageBox& messageBox);

    void AttachLibrary(CAccessLibrary* library);
    bool IsAttached() const { return m_attached; }

    // A failed transfer reads 0 (and writes nothing); without a usable
    // library every transfer is a no-op.
    uint8_t ReadRegister(uint8_t reg);
    void WriteRegister(uint8_t reg, uint8_t value);
    // Puts bank into register 0x4E, keeping its bit 7.
    void SelectBank(uint8_t bank);

    // Status registers: while a status pass is open, each status register is
    // read from the chip once and every later read in the pass gets the same
    // byte. Some chips latch their status bits and clear them when read; read
    // once per item, the first item would take the other items' bits with
    // it. Outside a pass every read goes to the chip.
    uint8_t ReadStatusRegister(uint8_t bank, uint8_t reg);
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

    bool ShowBusErrors() const { return m_showBusErrors; }
    void SetShowBusErrors(bool show) { m_showBusErrors = show; }

    // The descriptor file of a chip identification, or "" for one that no
    // descriptor describes.
    static const char* DescriptorFileForChipId(uint8_t chipId);

    static constexpr uint8_t kUnknownChipId = 0xFF;
    static constexpr uint16_t kVendorValue = 0x5CA3;
    static constexpr uint8_t kBankRegister = 0x4E;
    static constexpr int kAddressAttempts = 30;
    static constexpr int kDataReadAttempts = 10;
    static constexpr int kDataWriteAttempts = 30;

private:
    bool CanTransfer() const;
    // Shows the bus error box when ShowBusErrors is set.
    void ReportBusError(int16_t error);
    // Writes reg to the address port; the last error code (0 on success).
    int16_t SendAddress(uint8_t reg);

    IChipLock& m_lock;
    IMessageBox& m_messageBox;
    CAccessLibrary* m_library = nullptr;
    bool m_attached = false;
    bool m_alternateId = false;
    uint16_t m_busNumber = 1;
    uint16_t m_portBase = 0x295;
    uint8_t m_chipId = kUnknownChipId;
    uint8_t m_busAddresses[3] = {0x5A, 0x92, 0x90};
    bool m_showBusErrors = false;
    uint8_t m_bankAsFound = 0;
    bool m_bankAsFoundKnown = false;

    struct LatchedStatus {
        uint8_t bank;
        uint8_t reg;
        uint8_t value;
    };
    bool m_statusPassOpen = false;
    std::vector<LatchedStatus> m_statusBytes;
};
