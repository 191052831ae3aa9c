// The behaviour of the simulated monitor chip, working on its live state
// (SimChipState, shared by every process through the state file): the address
// and data ports, banked registers, the identification paths, conversion of
// the inputs into readings, comparison with the limit registers, status, beep
// and PWM, and the injected faults.
//
// A CSimChip is a short-lived view: the caller holds the simulator's lock on
// the state for as long as the object is used.
#pragma once

#include <cstdint>

#include "accesslib/ChipModel.h"
#include "accesslib/SimChipState.h"

// Error codes of the access library's entry points (0 is success).
inline constexpr int16_t kSimErrorNoSuchPort = 1;    // a port other than the chip's two
inline constexpr int16_t kSimErrorNoState = 2;       // the state file beside the library is unusable
inline constexpr int16_t kSimErrorNoDriver = 3;      // the driver did not load
inline constexpr int16_t kSimErrorNoDevice = 4;      // no device answers at that bus address
inline constexpr int16_t kSimDefaultBusErrorCode = 5;  // injected bus error without its own code

inline constexpr uint16_t kSimAddressPort = 0x295;
inline constexpr uint16_t kSimDataPort = 0x296;

class CSimChip {
 public:
  explicit CSimChip(SimChipState& state);

  const ChipModel& Model() const { return m_model; }

  // Every register to its power-on value (also what writing 0x80 to 0x40 does).
  void PowerOn();
  // Converts the inputs into readings and compares them with the limits, as
  // the chip does continuously while bit 0 of register 0x40 is set.
  void Refresh();

  // Register access through the bank selected in 0x4E, as the data port sees it.
  uint8_t ReadRegister(uint8_t address);
  void WriteRegister(uint8_t address, uint8_t value);

  // One port transfer, with the injected faults; error is 0 on success.
  uint8_t PortRead(uint16_t port, int16_t& error, int32_t pid);
  void PortWrite(uint16_t port, uint8_t value, int16_t& error, int32_t pid);

  // The stored byte of a register in a given bank, without side effects.
  uint8_t Peek(uint8_t bank, uint8_t address) const;
  bool BankExists(uint8_t bank) const;
  static bool IsBanked(uint8_t address) { return address >= 0x50 && address <= 0x5F; }

  // The selected bank and the divisor the chip applies to fan k (0-based).
  uint8_t SelectedBank() const;
  unsigned FanDivisor(const SimFanChannel& fan) const;

 private:
  uint8_t& Reg(SimRegister reg);
  uint8_t Reg(SimRegister reg) const;
  bool IsReadOnly(uint8_t bank, uint8_t address) const;
  bool BeepBitSet(int8_t bit) const;
  bool Pwm2PinDrives() const;
  bool InjectBusError(uint16_t port, bool write, uint8_t value, int32_t pid);
  double Input(int index) const;

  SimChipState& m_state;
  const ChipModel& m_model;
};
