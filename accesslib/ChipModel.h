// The register maps of the simulated chip models, as data: where each input's
// reading and limits live, which alarm and beep bits it owns, where the fan
// divisors and PWM duty registers are, and how the part identifies itself.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// A register: a bank (meaningful for 0x50..0x5F only) and an address.
// Address 0 means "not present".
struct SimRegister {
  uint8_t bank = 0;
  uint8_t address = 0;
  constexpr bool Present() const { return address != 0; }
};

inline constexpr int8_t kNoBit = -1;

struct SimVoltageChannel {
  uint8_t input;  // index of INk
  SimRegister value, high, low;
  int8_t alarmBit, beepBit;
};

enum class SimTemperatureFormat : uint8_t {
  // 8-bit two's complement, whole degrees; limits in one register each.
  Whole8,
  // 9-bit two's complement, half degrees: high byte + bit 7 of the low register.
  Half9,
};

struct SimTemperatureChannel {
  uint8_t sensor;  // 0 for TEMP1 ...
  SimTemperatureFormat format;
  SimRegister value, valueLow, over, overLow, hysteresis, hysteresisLow;
  // Bit 0 of this register set: the sensor is stopped and its reading frozen.
  SimRegister config;
  int8_t alarmBit, beepBit;
};

struct SimFanChannel {
  uint8_t fan;  // 0 for FAN1 ...
  SimRegister count, limit;
  // Divisor code = (divisorRegister >> divisorShift) & (2^divisorWidth - 1),
  // plus, where present, bit topBit of topRegister as the next higher bit.
  SimRegister divisorRegister;
  uint8_t divisorShift, divisorWidth;
  SimRegister topRegister;
  int8_t topBit;
  // The PWM duty register that drives this fan (not present: always full speed).
  SimRegister pwm;
  int8_t alarmBit, beepBit;
};

struct SimPowerOnValue {
  SimRegister reg;
  uint8_t value;
};

struct ChipModel {
  // The descriptor name the engine picks for this identification
  // ("W83782D" for "W83782D.ini").
  std::string_view descriptorName;
  // The identification as the engine records it.
  uint8_t id;
  // The identification the part reports (0x58, or 0x4E on the alternate path).
  uint8_t reportedId;
  // The alternate identification path: vendor bytes at 0x4C/0x4D, the
  // identification read back from 0x4E, and nothing at 0x4F.
  bool alternateId;
  // Bit k set: bank k exists (registers 0x50..0x5F).
  uint8_t banks;
  std::span<const SimVoltageChannel> voltages;
  std::span<const SimTemperatureChannel> temperatures;
  std::span<const SimFanChannel> fans;
  // Real-time (non-latching) status registers for alarm bits 0-7, 8-15, 16-23.
  SimRegister realtime[3];
  // Beep-enable registers for beep bits 0-7, 8-15 (bit 15: global beep), 16-23.
  SimRegister beep[3];
  // Parts whose counter runs at half the clock count half as much.
  uint8_t fanClockDivider;
  // The core-voltage offset: while bit 0 of this register is set, in0 reads
  // vcoreOffsetVolts below its pin voltage at vcoreStepVolts per step, so
  // that a higher core voltage fits.
  SimRegister vcoreOffsetRegister;
  double vcoreOffsetVolts;
  std::span<const SimPowerOnValue> powerOn;
  double vcoreStepVolts = 0.016;
  // Bit 0 of this register switches the monitoring of in8 (VBAT) on; while
  // it is clear in8 reads 0.
  SimRegister vbatEnableRegister{};
  // pwm2 shares its pin with the fan3 input: it drives fan2 only while bit 3
  // of 0x5C is set and bit 4 of 0x4D is clear, and fan3 then reads no speed;
  // otherwise fan2 turns at its full speed.
  bool pwm2SharesFan3Pin = false;
  // The negative rails (in5, in6) reach the pins through an inverting stage
  // on this part's boards: the pin rises with the rail's magnitude.
  bool invertingNegativeInputs = false;
};

// The latched alarm registers for alarm bits 0-7 and 8-15; every model has them.
inline constexpr SimRegister kLatchedAlarm[2] = {{0, 0x41}, {0, 0x42}};

std::span<const ChipModel> ChipModels();

// The model index of the default board chip (W83782D).
uint8_t DefaultChipModel();

// Finds a model by descriptor name ("W83627F", "w83781d_c.ini"), by the name
// of a part that has a single identification ("W83627HF", "W83697HF") or by
// identification ("0x21"). Empty when nothing matches.
std::optional<uint8_t> FindChipModel(std::string_view text);

// The model of a state file's index, the default model when out of range.
const ChipModel& ChipModelAt(uint8_t index);
