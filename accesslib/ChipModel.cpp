#include "accesslib/ChipModel.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace {

constexpr SimRegister R(uint8_t address) { return {0, address}; }
constexpr SimRegister R(uint8_t bank, uint8_t address) { return {bank, address}; }
constexpr SimRegister kNone{};

// ---- The common layout (W83782D / W83627HF family) ------------------------
// Alarm and beep bits: in0..in3 0..3, temp1 4, temp2 5, fan1 6, fan2 7,
// in4..in6 8..10, fan3 11, chassis 12, temp3 13, in7 16, in8 17.

constexpr SimVoltageChannel Volt(uint8_t in, SimRegister value, SimRegister high, SimRegister low, int8_t bit) {
  return {in, value, high, low, bit, bit};
}

constexpr SimVoltageChannel kIn0 = Volt(0, R(0x20), R(0x2B), R(0x2C), 0);
constexpr SimVoltageChannel kIn1 = Volt(1, R(0x21), R(0x2D), R(0x2E), 1);
constexpr SimVoltageChannel kIn2 = Volt(2, R(0x22), R(0x2F), R(0x30), 2);
constexpr SimVoltageChannel kIn3 = Volt(3, R(0x23), R(0x31), R(0x32), 3);
constexpr SimVoltageChannel kIn4 = Volt(4, R(0x24), R(0x33), R(0x34), 8);
constexpr SimVoltageChannel kIn5 = Volt(5, R(0x25), R(0x35), R(0x36), 9);
constexpr SimVoltageChannel kIn6 = Volt(6, R(0x26), R(0x37), R(0x38), 10);
constexpr SimVoltageChannel kIn7 = Volt(7, R(5, 0x50), R(5, 0x54), R(5, 0x55), 16);
constexpr SimVoltageChannel kIn8 = Volt(8, R(5, 0x51), R(5, 0x56), R(5, 0x57), 17);

constexpr SimTemperatureChannel kTemp1 = {0, SimTemperatureFormat::Whole8, R(0x27), kNone, R(0x39), kNone,
                                          R(0x3A), kNone, kNone, 4, 4};

constexpr SimTemperatureChannel Banked9(uint8_t sensor, uint8_t bank, int8_t bit) {
  return {sensor, SimTemperatureFormat::Half9, R(bank, 0x50), R(bank, 0x51), R(bank, 0x55), R(bank, 0x56),
          R(bank, 0x53), R(bank, 0x54), R(bank, 0x52), bit, bit};
}

constexpr SimTemperatureChannel kTemp2 = Banked9(1, 1, 5);
constexpr SimTemperatureChannel kTemp3 = Banked9(2, 2, 13);

// Fan k: count 0x28+k-1, limit 0x3B+k-1; divisor code fan1 0x47 bits 5..4,
// fan2 0x47 bits 7..6, fan3 0x4B bits 7..6, with the third bit in 0x5D bit 5/6/7.
constexpr SimFanChannel Fan(uint8_t fan, SimRegister pwm, bool threeBitDivisor = true) {
  constexpr uint8_t kDivisorRegister[3] = {0x47, 0x47, 0x4B};
  constexpr uint8_t kDivisorShift[3] = {4, 6, 6};
  constexpr int8_t kBit[3] = {6, 7, 11};
  return {fan,
          R(static_cast<uint8_t>(0x28 + fan)),
          R(static_cast<uint8_t>(0x3B + fan)),
          R(kDivisorRegister[fan]),
          kDivisorShift[fan],
          2,
          threeBitDivisor ? R(0x5D) : kNone,
          threeBitDivisor ? static_cast<int8_t>(5 + fan) : kNoBit,
          pwm,
          kBit[fan],
          kBit[fan]};
}

constexpr SimRegister kRealtime[3] = {R(4, 0x59), R(4, 0x5A), R(4, 0x5B)};
constexpr SimRegister kBeep[3] = {R(0x56), R(0x57), R(4, 0x53)};

constexpr uint8_t Banks(std::initializer_list<int> banks) {
  uint8_t mask = 0;
  for (int b : banks) mask = static_cast<uint8_t>(mask | (1 << b));
  return mask;
}

// ---- W83781D: in0..in6, three fans with 2-bit divisors, no PWM, latched
// alarms only; temp2 and temp3 share alarm and beep bit 5.
constexpr SimVoltageChannel k781Volts[] = {kIn0, kIn1, kIn2, kIn3, kIn4, kIn5, kIn6};
constexpr SimTemperatureChannel k781Temps[] = {kTemp1, kTemp2, Banked9(2, 2, 5)};
constexpr SimFanChannel k781Fans[] = {Fan(0, kNone, false), Fan(1, kNone, false), Fan(2, kNone, false)};

// ---- W83782D: the whole common layout; pwm1 0x5B, pwm2 0x5A (on the pin it
// shares with fan3). pwm3 (0x5E) and pwm4 (0x5F) drive nothing on the ISA
// interface the program uses: they stay plain registers.
constexpr SimVoltageChannel k782Volts[] = {kIn0, kIn1, kIn2, kIn3, kIn4, kIn5, kIn6, kIn7, kIn8};
constexpr SimTemperatureChannel k782Temps[] = {kTemp1, kTemp2, kTemp3};
constexpr SimFanChannel k782Fans[] = {Fan(0, R(0x5B)), Fan(1, R(0x5A)), Fan(2, kNone)};
constexpr SimPowerOnValue k782PowerOn[] = {{R(0x5C), 0x11}, {R(0x5F), 0xFF}, {R(4, 0x5C), 0x11}};

// ---- W83627HF/F: the common layout; pwm1 0x5A, pwm2 0x5B; PWM frequency 0x5C.
constexpr SimFanChannel k627Fans[] = {Fan(0, R(0x5A)), Fan(1, R(0x5B)), Fan(2, kNone)};
constexpr SimPowerOnValue k627PowerOn[] = {{R(0x5C), 0x11}};

// ---- W83783S: in0, in2..in6; temp1, temp2; three fans (3-bit divisors);
// pwm1 0x5B, pwm2 0x5A; real-time status 4:0x59/0x5A only.
constexpr SimVoltageChannel k783Volts[] = {kIn0, kIn2, kIn3, kIn4, kIn5, kIn6};
constexpr SimTemperatureChannel k783Temps[] = {kTemp1, kTemp2};
constexpr SimFanChannel k783Fans[] = {Fan(0, R(0x5B)), Fan(1, R(0x5A)), Fan(2, kNone)};

// ---- W83697HF/F: in0, in2..in8; temp1, temp2; fans 1..2; pwm1 0x01, pwm2 0x03.
constexpr SimVoltageChannel k697Volts[] = {kIn0, kIn2, kIn3, kIn4, kIn5, kIn6, kIn7, kIn8};
constexpr SimFanChannel k697Fans[] = {Fan(0, R(0x01)), Fan(1, R(0x03))};

// ---- W83637HF: in0..in4, in7, in8; three fans, three temperatures; PWM duty
// 0x01, 0x03, 0x11; core-voltage offset 0.7 V with 0x18 bit 0.
constexpr SimVoltageChannel k637Volts[] = {kIn0, kIn1, kIn2, kIn3, kIn4, kIn7, kIn8};
constexpr SimFanChannel k637Fans[] = {Fan(0, R(0x01)), Fan(1, R(0x03)), Fan(2, R(0x11))};

// ---- W83791D: everything in bank 0, with its own alarm/beep bit map;
// core-voltage offset 0.718 V with 0x0C bit 0.
constexpr SimVoltageChannel k791Volts[] = {
    {0, R(0x20), R(0x2B), R(0x2C), 0, 0},   {1, R(0x21), R(0x2D), R(0x2E), 1, 13},
    {2, R(0x22), R(0x2F), R(0x30), 2, 2},   {3, R(0x23), R(0x31), R(0x32), 3, 3},
    {4, R(0x24), R(0x33), R(0x34), 8, 8},   {5, R(0x25), R(0x35), R(0x36), 9, 9},
    {6, R(0x26), R(0x37), R(0x38), 10, 10}, {7, R(0xB0), R(0xB4), R(0xB5), 19, 16},
    {8, R(0xB1), R(0xB6), R(0xB7), 20, 17}, {9, R(0xB2), R(0xB8), R(0xB9), 14, 14},
};
constexpr SimTemperatureChannel k791Temps[] = {
    kTemp1,
    {1, SimTemperatureFormat::Half9, R(0xC0), R(0xC1), R(0xC5), R(0xC6), R(0xC3), R(0xC4), kNone, 5, 5},
    {2, SimTemperatureFormat::Half9, R(0xC8), R(0xC9), R(0xCD), R(0xCE), R(0xCB), R(0xCC), kNone, 13, 1},
};
constexpr SimFanChannel k791Fans[] = {
    Fan(0, R(0x81)),
    Fan(1, R(0x83)),
    Fan(2, R(0x94)),
    {3, R(0xBA), R(0xBC), R(0x5C), 0, 3, kNone, kNoBit, R(0xA0), 21, 21},
    {4, R(0xBB), R(0xBD), R(0x5C), 4, 3, kNone, kNoBit, R(0xA1), 22, 22},
};
constexpr SimPowerOnValue k791PowerOn[] = {{R(0x5C), 0x11}};

// ---- The alternate-identification parts. No facts about their registers are
// public; they are modelled exactly as their descriptors describe them: the
// family's bank-0 core (in0..in6, temp1, fans 1..3 with two-bit divisors, no
// PWM, latched status only, no beeper), 0x4E being no bank selector. The
// W83784R's fan counter runs at half the clock (the program halves its
// speeds).
constexpr SimTemperatureChannel kAlternateTemps[] = {kTemp1};

constexpr SimRegister kNoRegisters[3] = {};

constexpr ChipModel Model(std::string_view name, uint8_t id, uint8_t reportedId, bool alternate, uint8_t banks,
                          std::span<const SimVoltageChannel> volts, std::span<const SimTemperatureChannel> temps,
                          std::span<const SimFanChannel> fans, const SimRegister (&realtime)[3],
                          const SimRegister (&beep)[3], uint8_t fanClockDivider, SimRegister offsetRegister,
                          double offsetVolts, std::span<const SimPowerOnValue> powerOn) {
  return {name,
          id,
          reportedId,
          alternate,
          banks,
          volts,
          temps,
          fans,
          {realtime[0], realtime[1], realtime[2]},
          {beep[0], beep[1], beep[2]},
          fanClockDivider,
          offsetRegister,
          offsetVolts,
          powerOn};
}

// 0x5D bit 0: VBAT monitoring on the parts of the common layout with in8.
constexpr ChipModel WithVbatEnable(ChipModel model) {
  model.vbatEnableRegister = R(0x5D);
  return model;
}

constexpr ChipModel WithSharedPwm2Pin(ChipModel model) {
  model.pwm2SharesFan3Pin = true;
  return model;
}

constexpr ChipModel WithVrm9Core(ChipModel model) {
  model.vcoreStepVolts = 0.00488;
  return model;
}

constexpr ChipModel WithInvertingNegativeInputs(ChipModel model) {
  model.invertingNegativeInputs = true;
  return model;
}

constexpr SimRegister k781Beep[3] = {R(0x56), R(0x57), kNone};
constexpr SimRegister k783Realtime[3] = {R(4, 0x59), R(4, 0x5A), kNone};
constexpr SimRegister k783Beep[3] = {R(0x56), R(0x57), kNone};
constexpr SimRegister k791Realtime[3] = {R(0xA9), R(0xAA), R(0xAB)};
constexpr SimRegister k791Beep[3] = {R(0x56), R(0x57), R(0xA3)};

const std::array<ChipModel, 12> kModels = {
    WithInvertingNegativeInputs(Model("W83781D_B", 0x10, 0x10, false, Banks({0, 1, 2}), k781Volts, k781Temps,
                                      k781Fans, kNoRegisters, k781Beep, 1, kNone, 0.0, {})),
    WithInvertingNegativeInputs(Model("W83781D_C", 0x11, 0x11, false, Banks({0, 1, 2}), k781Volts, k781Temps,
                                      k781Fans, kNoRegisters, k781Beep, 1, kNone, 0.0, {})),
    WithVbatEnable(Model("W83627F", 0x21, 0x21, false, Banks({0, 1, 2, 4, 5}), k782Volts, k782Temps, k627Fans,
                         kRealtime, kBeep, 1, kNone, 0.0, k627PowerOn)),
    WithSharedPwm2Pin(WithVbatEnable(Model("W83782D", 0x30, 0x30, false, Banks({0, 1, 2, 4, 5}), k782Volts,
                                           k782Temps, k782Fans, kRealtime, kBeep, 1, kNone, 0.0, k782PowerOn))),
    WithSharedPwm2Pin(Model("W83783S", 0x40, 0x40, false, Banks({0, 1, 4}), k783Volts, k783Temps, k783Fans,
                            k783Realtime, k783Beep, 1, kNone, 0.0, {})),
    Model("W83784R", 0x50, 0x50, true, Banks({0}), k781Volts, kAlternateTemps, k781Fans, kNoRegisters, kNoRegisters,
          2, kNone, 0.0, {}),
    Model("W83784R_B", 0x51, 0x51, true, Banks({0}), k781Volts, kAlternateTemps, k781Fans, kNoRegisters,
          kNoRegisters, 2, kNone, 0.0, {}),
    WithVbatEnable(Model("W83697F", 0x60, 0x60, false, Banks({0, 1, 4, 5}), k697Volts, k783Temps, k697Fans,
                         kRealtime, kBeep, 1, kNone, 0.0, {})),
    // Reports 0x60 on the alternate path; the program records it as 0x61.
    Model("W83785R", 0x61, 0x60, true, Banks({0}), k781Volts, kAlternateTemps, k781Fans, kNoRegisters, kNoRegisters,
          1, kNone, 0.0, {}),
    Model("W83791D_B", 0x70, 0x70, false, Banks({0}), k791Volts, k791Temps, k791Fans, k791Realtime, k791Beep, 1,
          R(0x0C), 0.718, k791PowerOn),
    Model("W83791D_C", 0x71, 0x71, false, Banks({0}), k791Volts, k791Temps, k791Fans, k791Realtime, k791Beep, 1,
          R(0x0C), 0.718, k791PowerOn),
    // In VRM9 mode (0x18 bit 0) the core reads 4.88 mV per step above 0.70 V.
    WithVrm9Core(WithVbatEnable(Model("W83637HF", 0x80, 0x80, false, Banks({0, 1, 2, 4, 5}), k637Volts, k782Temps,
                                      k637Fans, kRealtime, kBeep, 1, R(0x18), 0.7, {}))),
};

constexpr uint8_t kDefaultModel = 3;  // W83782D, the reference board's chip

// Part names that stand for exactly one identification.
struct Alias {
  std::string_view name;
  uint8_t id;
};
constexpr Alias kAliases[] = {{"W83627HF", 0x21}, {"W83697HF", 0x60}};

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::optional<uint8_t> FindById(unsigned id) {
  for (size_t i = 0; i < kModels.size(); ++i) {
    if (kModels[i].id == id) return static_cast<uint8_t>(i);
  }
  return std::nullopt;
}

std::optional<unsigned> ParseHexId(std::string_view text) {
  if (text.size() < 3 || text.size() > 4 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  unsigned value = 0;
  for (char c : text.substr(2)) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10);
  }
  return value;
}

}  // namespace

std::span<const ChipModel> ChipModels() { return kModels; }

uint8_t DefaultChipModel() { return kDefaultModel; }

std::optional<uint8_t> FindChipModel(std::string_view text) {
  if (auto id = ParseHexId(text)) return FindById(*id);
  if (text.size() > 4 && SameText(text.substr(text.size() - 4), ".ini")) text.remove_suffix(4);
  for (size_t i = 0; i < kModels.size(); ++i) {
    if (SameText(kModels[i].descriptorName, text)) return static_cast<uint8_t>(i);
  }
  for (const Alias& alias : kAliases) {
    if (SameText(alias.name, text)) return FindById(alias.id);
  }
  return std::nullopt;
}

const ChipModel& ChipModelAt(uint8_t index) { return index < kModels.size() ? kModels[index] : kModels[kDefaultModel]; }
