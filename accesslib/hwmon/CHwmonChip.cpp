#include "accesslib/hwmon/CHwmonChip.h"

#include <sys/stat.h>

#include <chrono>

#include "accesslib/hwmon/CSysfsFile.h"
#include "accesslib/hwmon/HwmonConversions.h"
#include "accesslib/hwmon/HwmonDrivers.h"

namespace {

constexpr uint8_t kConfigRegister = 0x40;
constexpr uint8_t kBankRegister = 0x4E;
constexpr uint8_t kVendorRegister = 0x4F;
constexpr uint8_t kIdRegister = 0x58;
constexpr uint32_t kGlobalBeepBit = 0x8000;

bool IsBanked(uint8_t address) { return address >= 0x50 && address <= 0x5F; }

std::string VoltName(uint8_t input) { return "in" + std::to_string(input); }
std::string TempName(const SimTemperatureChannel& t) { return "temp" + std::to_string(t.sensor + 1); }
std::string FanName(const SimFanChannel& f) { return "fan" + std::to_string(f.fan + 1); }
std::string PwmName(const SimFanChannel& f) { return "pwm" + std::to_string(f.fan + 1); }

}  // namespace

CHwmonChip::CHwmonChip(std::string sysfsRoot, MillisecondClock clock)
    : m_root(std::move(sysfsRoot)), m_clock(std::move(clock)) {}

int64_t CHwmonChip::Now() const {
  if (m_clock) return m_clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

size_t CHwmonChip::Key(SimRegister reg) { return IsBanked(reg.address) ? Key(reg.bank, reg.address) : reg.address; }

size_t CHwmonChip::CurrentKey(uint8_t address) const {
  return IsBanked(address) ? Key(static_cast<uint8_t>(m_shadow[kBankRegister] & 0x07), address) : address;
}

bool CHwmonChip::Attach() {
  const auto chip = CHwmonScanner(m_root).FirstSupported();
  return chip && Attach(*chip);
}

bool CHwmonChip::Attach(const HwmonChipInfo& chip) {
  if (!chip.model) return false;
  const auto index = FindChipModel(chip.model->descriptor);
  if (!index) return false;
  m_chip = chip;
  m_model = &ChipModelAt(*index);
  m_gone = false;
  m_cache.clear();
  m_present.clear();
  BuildRoles();
  m_readOnly = true;
  auto writable = [&](const std::string& attribute) {
    if (CSysfsFile::IsWritable(m_chip.attributeDirectory + "/" + attribute)) m_readOnly = false;
  };
  for (const SimVoltageChannel& v : m_model->voltages) {
    writable(VoltName(v.input) + "_min");
    writable(VoltName(v.input) + "_max");
  }
  for (const SimTemperatureChannel& t : m_model->temperatures) writable(TempName(t) + "_max");
  for (const SimFanChannel& f : m_model->fans) writable(FanName(f) + "_min");
  InitialiseShadow();
  return true;
}

void CHwmonChip::BuildRoles() {
  m_roles.fill({});
  auto set = [&](SimRegister reg, Role role, size_t index) {
    if (reg.Present()) m_roles[Key(reg)] = {role, static_cast<uint8_t>(index)};
  };
  set({0, kBankRegister}, Role::kBank, 0);
  set({0, kVendorRegister}, Role::kVendor, 0);
  set({0, kIdRegister}, Role::kId, 0);
  for (size_t i = 0; i < m_model->voltages.size(); ++i) {
    const SimVoltageChannel& v = m_model->voltages[i];
    set(v.value, Role::kVoltValue, i);
    set(v.high, Role::kVoltHigh, i);
    set(v.low, Role::kVoltLow, i);
  }
  for (size_t i = 0; i < m_model->temperatures.size(); ++i) {
    const SimTemperatureChannel& t = m_model->temperatures[i];
    set(t.value, Role::kTempValue, i);
    set(t.valueLow, Role::kTempValueLow, i);
    set(t.over, Role::kTempOver, i);
    set(t.overLow, Role::kTempOverLow, i);
    set(t.hysteresis, Role::kTempHyst, i);
    set(t.hysteresisLow, Role::kTempHystLow, i);
  }
  for (size_t i = 0; i < m_model->fans.size(); ++i) {
    const SimFanChannel& f = m_model->fans[i];
    set(f.count, Role::kFanCount, i);
    set(f.limit, Role::kFanLimit, i);
    set(f.divisorRegister, Role::kDivisor, i);
    set(f.topRegister, Role::kDivisor, i);
    set(f.pwm, Role::kPwm, i);
  }
  const bool realtime = m_model->realtime[0].Present();
  for (size_t k = 0; k < 3; ++k) {
    // Parts without real-time status registers report through the latched ones.
    set(realtime ? m_model->realtime[k] : (k < 2 ? kLatchedAlarm[k] : SimRegister{}), Role::kStatus, k);
    set(m_model->beep[k], Role::kBeep, k);
  }
  if (m_model->vcoreOffsetRegister.Present() && m_model->vcoreStepVolts != 0.016) {
    set(m_model->vcoreOffsetRegister, Role::kVrm9Config, 0);
  }
  if (m_model->pwm2SharesFan3Pin) {
    set({0, 0x5C}, Role::kPinSelect, 0);
    set({0, 0x4D}, Role::kPinSelect, 1);
  }
}

void CHwmonChip::InitialiseShadow() {
  m_shadow.fill(0);
  m_shadow[kConfigRegister] = 0x01;
  m_shadow[kBankRegister] = 0x80;
  for (const SimPowerOnValue& value : m_model->powerOn) Shadow(value.reg) = value.value;
  // The drivers switch VBAT monitoring on at load.
  if (m_model->vbatEnableRegister.Present()) Shadow(m_model->vbatEnableRegister) |= 0x01;
  m_temperatureAlarms = 0;
  m_shadowBeep = 0;
  m_vrm9 = false;
  int64_t core = 0;
  if (m_roles[Key(m_model->vcoreOffsetRegister)].role == Role::kVrm9Config && Read("in0_input", core)) {
    m_vrm9 = IsVrm9Reading(core);
  }
  if (!m_readOnly) return;
  // Kelvane's own limits start from the chip's.
  m_readOnly = false;
  for (size_t key = 0; key < m_roles.size(); ++key) {
    const RoleEntry& entry = m_roles[key];
    uint8_t value = 0;
    switch (entry.role) {
      case Role::kVoltHigh: case Role::kVoltLow: case Role::kTempOver: case Role::kTempOverLow:
      case Role::kTempHyst: case Role::kTempHystLow: case Role::kFanLimit:
        if (ReadRole(entry, key, value)) m_shadow[key] = value;
        break;
      default:
        break;
    }
  }
  for (size_t i = 0; i < m_model->fans.size() && i < m_shadowDivisor.size(); ++i) {
    const unsigned divisor = FanDivisor(m_model->fans[i]);
    m_shadowDivisor[i] = divisor ? divisor : 2;
  }
  uint32_t beep = 0;
  if (BeepWord(beep)) m_shadowBeep = beep;
  m_readOnly = true;
}

CHwmonChip::State CHwmonChip::CurrentState() {
  if (!m_model) return State::kNoChip;
  if (m_gone) CheckDriverPresent();
  if (m_gone) return State::kDriverGone;
  return m_readOnly ? State::kReadOnly : State::kDriven;
}

// ---- Attributes ------------------------------------------------------------

bool CHwmonChip::Has(const std::string& attribute) {
  // Which attributes a driver creates does not change while it is loaded.
  auto known = m_present.find(attribute);
  if (known != m_present.end()) return known->second;
  struct stat info {};
  const bool present = ::stat((m_chip.attributeDirectory + "/" + attribute).c_str(), &info) == 0;
  m_present[attribute] = present;
  return present;
}

void CHwmonChip::CheckDriverPresent() {
  std::string name;
  if (CSysfsFile::ReadText(m_chip.attributeDirectory + "/name", name) && name == m_chip.name) {
    m_gone = false;
    return;
  }
  if (!m_gone) {
    m_gone = true;
    m_lastSearch = Now();
  } else if (Now() - m_lastSearch < kAttributeLifetimeMs) {
    return;
  }
  m_lastSearch = Now();
  // The driver loaded again numbers its hwmon entry anew.
  if (auto found = CHwmonScanner(m_root).Find(m_chip.name, m_chip.devicePath)) {
    m_chip = *found;
    m_gone = false;
    m_cache.clear();
    m_present.clear();
  }
}

bool CHwmonChip::Read(const std::string& attribute, int64_t& value) {
  if (m_gone) CheckDriverPresent();
  if (m_gone) return false;
  const int64_t now = Now();
  auto cached = m_cache.find(attribute);
  if (cached != m_cache.end() && now - cached->second.readAt < kAttributeLifetimeMs) {
    value = cached->second.value;
    return cached->second.ok;
  }
  CachedAttribute entry;
  entry.ok = CSysfsFile::ReadInteger(m_chip.attributeDirectory + "/" + attribute, entry.value);
  entry.readAt = now;
  if (!entry.ok) {
    const std::string directory = m_chip.attributeDirectory;
    CheckDriverPresent();
    if (m_gone) return false;
    // Found again under another number: read it there.
    if (m_chip.attributeDirectory != directory) {
      entry.ok = CSysfsFile::ReadInteger(m_chip.attributeDirectory + "/" + attribute, entry.value);
    }
  }
  m_cache[attribute] = entry;
  value = entry.value;
  return entry.ok;
}

bool CHwmonChip::Write(const std::string& attribute, int64_t value) {
  if (m_gone) CheckDriverPresent();
  if (m_gone) return false;
  const std::string path = m_chip.attributeDirectory + "/" + attribute;
  if (!CSysfsFile::IsWritable(path)) return false;
  bool recorded = false;
  for (const AsFound& found : m_asFound) recorded = recorded || found.attribute == attribute;
  int64_t before = 0;
  if (!recorded && Read(attribute, before)) m_asFound.push_back({attribute, before});
  if (!CSysfsFile::WriteInteger(path, value)) {
    m_cache.erase(attribute);
    CheckDriverPresent();
    return false;
  }
  m_cache[attribute] = {true, value, Now()};
  return true;
}

bool CHwmonChip::WriteAttribute(const std::string& attribute, int64_t value) {
  return m_model && Write(attribute, value);
}

// ---- Registers ---------------------------------------------------------------

bool CHwmonChip::ReadRegister(uint8_t address, uint8_t& value) {
  if (!m_model) return false;
  const size_t key = CurrentKey(address);
  return ReadRole(m_roles[key], key, value);
}

bool CHwmonChip::WriteRegister(uint8_t address, uint8_t value) {
  if (!m_model) return false;
  const size_t key = CurrentKey(address);
  return WriteRole(m_roles[key], key, value);
}

bool CHwmonChip::PortRead(uint16_t port, uint8_t& value) {
  if (port == kAddressPort) {
    // Bit 7 of the address port is the busy flag, never set here.
    value = static_cast<uint8_t>(m_address & 0x7F);
    return true;
  }
  return port == kDataPort && ReadRegister(m_address, value);
}

bool CHwmonChip::PortWrite(uint16_t port, uint8_t value) {
  if (port == kAddressPort) {
    m_address = value;
    return true;
  }
  return port == kDataPort && WriteRegister(m_address, value);
}

bool CHwmonChip::VoltRegister(uint8_t input, const std::string& attribute, uint8_t& value) {
  int64_t millivolts = 0;
  if (!Read(VoltName(input) + attribute, millivolts)) return false;
  if (input == 0 && attribute == "_input" && !m_vrm9 &&
      m_roles[Key(m_model->vcoreOffsetRegister)].role == Role::kVrm9Config && IsVrm9Reading(millivolts)) {
    m_vrm9 = true;
  }
  value = input == 0 && m_vrm9 ? Vrm9RegisterFromMillivolts(millivolts) : RegisterFromMillivolts(millivolts);
  return true;
}

bool CHwmonChip::TempRegisters(const SimTemperatureChannel& t, const std::string& attribute, uint8_t& high,
                               uint8_t& low) {
  int64_t millidegrees = 0;
  if (!Read(TempName(t) + attribute, millidegrees)) return false;
  if (t.format == SimTemperatureFormat::Whole8) {
    high = Register8FromMillidegrees(millidegrees);
    low = 0;
  } else {
    high = High9FromMillidegrees(millidegrees);
    low = Low9FromMillidegrees(millidegrees);
  }
  return true;
}

unsigned CHwmonChip::FanDivisor(const SimFanChannel& fan) {
  if (m_readOnly && fan.fan < m_shadowDivisor.size()) return m_shadowDivisor[fan.fan];
  int64_t divisor = 0;
  if (!Read(FanName(fan) + "_div", divisor) || DivisorCode(divisor) < 0) return 0;
  return static_cast<unsigned>(divisor);
}

bool CHwmonChip::ReadDivisorRegister(size_t key, uint8_t& value) {
  uint8_t result = m_shadow[key];
  for (const SimFanChannel& f : m_model->fans) {
    const bool inMain = Key(f.divisorRegister) == key;
    const bool inTop = f.topRegister.Present() && f.topBit >= 0 && Key(f.topRegister) == key;
    if (!inMain && !inTop) continue;
    const unsigned divisor = FanDivisor(f);
    if (divisor == 0) return false;
    const unsigned code = static_cast<unsigned>(DivisorCode(divisor));
    if (inMain) {
      const unsigned mask = ((1u << f.divisorWidth) - 1) << f.divisorShift;
      result = static_cast<uint8_t>((result & ~mask) | ((code << f.divisorShift) & mask));
    }
    if (inTop) {
      const unsigned bit = 1u << f.topBit;
      result = static_cast<uint8_t>(((code >> f.divisorWidth) & 1) ? (result | bit) : (result & ~bit));
    }
  }
  value = result;
  return true;
}

bool CHwmonChip::WriteDivisorRegister(size_t key, uint8_t value) {
  for (const SimFanChannel& f : m_model->fans) {
    const bool inMain = Key(f.divisorRegister) == key;
    const bool inTop = f.topRegister.Present() && f.topBit >= 0 && Key(f.topRegister) == key;
    if (!inMain && !inTop) continue;
    const unsigned divisor = FanDivisor(f);
    if (divisor == 0) return false;
    unsigned code = static_cast<unsigned>(DivisorCode(divisor));
    if (inMain) {
      const unsigned mask = (1u << f.divisorWidth) - 1;
      code = (code & ~mask) | ((value >> f.divisorShift) & mask);
    }
    if (inTop) {
      const unsigned bit = 1u << f.divisorWidth;
      code = ((value >> f.topBit) & 1) ? (code | bit) : (code & ~bit);
    }
    if ((1u << code) == divisor) continue;
    if (m_readOnly) {
      m_shadowDivisor[f.fan] = 1u << code;
    } else if (!Write(FanName(f) + "_div", int64_t{1} << code)) {
      return false;
    }
  }
  m_shadow[key] = value;
  return true;
}

bool CHwmonChip::StatusWord(uint32_t& word) {
  if (m_readOnly) return ComputedStatusWord(word);
  int64_t value = 0;
  if (Has("alarms")) {
    if (!Read("alarms", value)) return false;
    word = static_cast<uint32_t>(value);
    return true;
  }
  // Drivers that offer one alarm file per input.
  word = 0;
  auto add = [&](const std::string& name, int8_t bit) {
    if (bit < 0 || !Has(name + "_alarm")) return true;
    if (!Read(name + "_alarm", value)) return false;
    if (value) word |= 1u << bit;
    return true;
  };
  for (const SimVoltageChannel& v : m_model->voltages) {
    if (!add(VoltName(v.input), v.alarmBit)) return false;
  }
  for (const SimTemperatureChannel& t : m_model->temperatures) {
    if (!add(TempName(t), t.alarmBit)) return false;
  }
  for (const SimFanChannel& f : m_model->fans) {
    if (!add(FanName(f), f.alarmBit)) return false;
  }
  return true;
}

bool CHwmonChip::ComputedStatusWord(uint32_t& word) {
  word = 0;
  bool anyReading = false;
  for (const SimVoltageChannel& v : m_model->voltages) {
    uint8_t value = 0;
    if (!VoltRegister(v.input, "_input", value)) continue;
    anyReading = true;
    if (v.alarmBit >= 0 && (value > Shadow(v.high) || value < Shadow(v.low))) word |= 1u << v.alarmBit;
  }
  for (const SimTemperatureChannel& t : m_model->temperatures) {
    uint8_t high = 0, low = 0;
    if (!TempRegisters(t, "_input", high, low)) continue;
    anyReading = true;
    const bool whole = t.format == SimTemperatureFormat::Whole8;
    auto degrees = [&](SimRegister hi, SimRegister lo) {
      return whole ? MillidegreesFromRegister8(Shadow(hi)) : MillidegreesFromRegisters9(Shadow(hi), Shadow(lo));
    };
    const int64_t reading = whole ? MillidegreesFromRegister8(high) : MillidegreesFromRegisters9(high, low);
    // Above the over limit the alarm rises; it falls only below the hysteresis.
    const uint8_t mask = static_cast<uint8_t>(1u << t.sensor);
    if (reading > degrees(t.over, t.overLow)) {
      m_temperatureAlarms |= mask;
    } else if (reading < degrees(t.hysteresis, t.hysteresisLow)) {
      m_temperatureAlarms &= static_cast<uint8_t>(~mask);
    }
    if ((m_temperatureAlarms & mask) && t.alarmBit >= 0) word |= 1u << t.alarmBit;
  }
  for (const SimFanChannel& f : m_model->fans) {
    int64_t rpm = 0;
    if (!Read(FanName(f) + "_input", rpm)) continue;
    anyReading = true;
    const uint8_t count = FanCountFromRpm(rpm, FanDivisor(f));
    if (f.alarmBit >= 0 && count > Shadow(f.limit)) word |= 1u << f.alarmBit;
  }
  return anyReading;
}

bool CHwmonChip::BeepWord(uint32_t& word) {
  if (m_readOnly) {
    word = m_shadowBeep;
    return true;
  }
  int64_t value = 0;
  const bool hasEnable = Has("beep_enable");
  int64_t enable = 0;
  if (hasEnable && !Read("beep_enable", enable)) return false;
  if (Has("beep_mask")) {
    if (!Read("beep_mask", value)) return false;
    word = static_cast<uint32_t>(value);
    // Without beep_enable, bit 15 of the mask is the global enable itself.
    if (hasEnable) word = (word & ~kGlobalBeepBit) | (enable ? kGlobalBeepBit : 0);
    return true;
  }
  word = enable ? kGlobalBeepBit : 0;
  auto add = [&](const std::string& name, int8_t bit) {
    if (bit < 0 || !Has(name + "_beep")) return true;
    if (!Read(name + "_beep", value)) return false;
    if (value) word |= 1u << bit;
    return true;
  };
  for (const SimVoltageChannel& v : m_model->voltages) {
    if (!add(VoltName(v.input), v.beepBit)) return false;
  }
  for (const SimTemperatureChannel& t : m_model->temperatures) {
    if (!add(TempName(t), t.beepBit)) return false;
  }
  for (const SimFanChannel& f : m_model->fans) {
    if (!add(FanName(f), f.beepBit)) return false;
  }
  return true;
}

bool CHwmonChip::WriteBeepWord(uint32_t word) {
  if (m_readOnly) {
    m_shadowBeep = word;
    return true;
  }
  uint32_t old = 0;
  if (!BeepWord(old)) return false;
  const bool hasEnable = Has("beep_enable");
  if (hasEnable && ((old ^ word) & kGlobalBeepBit) && !Write("beep_enable", (word & kGlobalBeepBit) ? 1 : 0)) {
    return false;
  }
  const uint32_t maskBits = hasEnable ? ~kGlobalBeepBit : ~0u;
  if (Has("beep_mask")) {
    if (((old ^ word) & maskBits) == 0) return true;
    return Write("beep_mask", word & maskBits);
  }
  auto put = [&](const std::string& name, int8_t bit) {
    if (bit < 0 || !(((old ^ word) >> bit) & 1)) return true;
    return Write(name + "_beep", (word >> bit) & 1);
  };
  for (const SimVoltageChannel& v : m_model->voltages) {
    if (!put(VoltName(v.input), v.beepBit)) return false;
  }
  for (const SimTemperatureChannel& t : m_model->temperatures) {
    if (!put(TempName(t), t.beepBit)) return false;
  }
  for (const SimFanChannel& f : m_model->fans) {
    if (!put(FanName(f), f.beepBit)) return false;
  }
  return true;
}

bool CHwmonChip::ReadRole(const RoleEntry& entry, size_t key, uint8_t& value) {
  const auto& volts = m_model->voltages;
  const auto& temps = m_model->temperatures;
  const auto& fans = m_model->fans;
  uint8_t high = 0, low = 0;
  switch (entry.role) {
    case Role::kShadow:
      value = m_shadow[key];
      // Bit 7 of the configuration register (reset) reads 0.
      if (key == kConfigRegister) value &= 0x7F;
      return true;
    case Role::kBank:
      value = m_shadow[key];
      return true;
    case Role::kVendor:
      // The high byte of the vendor value while bit 7 of 0x4E is set.
      value = (m_shadow[kBankRegister] & 0x80) ? 0x5C : 0xA3;
      return true;
    case Role::kId:
      value = m_chip.model->chipId;
      return true;
    case Role::kVoltValue:
      return VoltRegister(volts[entry.index].input, "_input", value);
    case Role::kVoltHigh:
    case Role::kVoltLow:
      if (m_readOnly) {
        value = m_shadow[key];
        return true;
      }
      return VoltRegister(volts[entry.index].input, entry.role == Role::kVoltHigh ? "_max" : "_min", value);
    case Role::kTempValue:
    case Role::kTempValueLow:
      if (!TempRegisters(temps[entry.index], "_input", high, low)) return false;
      value = entry.role == Role::kTempValue ? high : static_cast<uint8_t>((m_shadow[key] & 0x7F) | low);
      return true;
    case Role::kTempOver:
    case Role::kTempOverLow:
    case Role::kTempHyst:
    case Role::kTempHystLow: {
      if (m_readOnly) {
        value = m_shadow[key];
        return true;
      }
      const bool over = entry.role == Role::kTempOver || entry.role == Role::kTempOverLow;
      if (!TempRegisters(temps[entry.index], over ? "_max" : "_max_hyst", high, low)) return false;
      value = (entry.role == Role::kTempOver || entry.role == Role::kTempHyst)
                  ? high
                  : static_cast<uint8_t>((m_shadow[key] & 0x7F) | low);
      return true;
    }
    case Role::kFanCount:
    case Role::kFanLimit: {
      const SimFanChannel& f = fans[entry.index];
      if (entry.role == Role::kFanLimit && m_readOnly) {
        value = m_shadow[key];
        return true;
      }
      int64_t rpm = 0;
      const unsigned divisor = FanDivisor(f);
      if (divisor == 0 || !Read(FanName(f) + (entry.role == Role::kFanCount ? "_input" : "_min"), rpm)) return false;
      value = FanCountFromRpm(rpm, divisor);
      return true;
    }
    case Role::kDivisor:
      return ReadDivisorRegister(key, value);
    case Role::kStatus:
    case Role::kBeep: {
      uint32_t word = 0;
      if (!(entry.role == Role::kStatus ? StatusWord(word) : BeepWord(word))) return false;
      value = static_cast<uint8_t>(word >> (8 * entry.index));
      return true;
    }
    case Role::kPwm: {
      int64_t duty = 0;
      if (!Read(PwmName(fans[entry.index]), duty) || duty < 0 || duty > 255) return false;
      value = static_cast<uint8_t>(duty);
      return true;
    }
    case Role::kVrm9Config:
      value = static_cast<uint8_t>((m_shadow[key] & 0xFE) | (m_vrm9 ? 1 : 0));
      return true;
    case Role::kPinSelect: {
      value = m_shadow[key];
      int64_t enable = 0;
      if (!Has("pwm2_enable")) return true;
      if (!Read("pwm2_enable", enable)) return false;
      // The driver's pwm2_enable tells whether the shared pin drives pwm2
      // (0x5C bit 3 set, 0x4D bit 4 clear) or reads fan3.
      if (entry.index == 0) {
        value = static_cast<uint8_t>(enable == 1 ? (value | 0x08) : (value & ~0x08));
      } else {
        value = static_cast<uint8_t>(enable == 1 ? (value & ~0x10) : (value | 0x10));
      }
      return true;
    }
  }
  return false;
}

bool CHwmonChip::WriteRole(const RoleEntry& entry, size_t key, uint8_t value) {
  const auto& volts = m_model->voltages;
  const auto& temps = m_model->temperatures;
  const auto& fans = m_model->fans;
  switch (entry.role) {
    case Role::kShadow:
    case Role::kBank:
    case Role::kPinSelect:
      // The shared pin's function is the firmware's choice: the write stays here.
      m_shadow[key] = value;
      return true;
    case Role::kVrm9Config:
      // The core's mode is the driver's; the other bits stay here.
      m_shadow[key] = static_cast<uint8_t>(value & 0xFE);
      return true;
    case Role::kVendor:
    case Role::kId:
    case Role::kVoltValue:
    case Role::kTempValue:
    case Role::kTempValueLow:
    case Role::kFanCount:
    case Role::kStatus:
      return false;
    case Role::kVoltHigh:
    case Role::kVoltLow: {
      if (m_readOnly) {
        m_shadow[key] = value;
        return true;
      }
      const uint8_t input = volts[entry.index].input;
      const int64_t millivolts = input == 0 && m_vrm9 ? Vrm9MillivoltsFromRegister(value) : MillivoltsFromRegister(value);
      if (!Write(VoltName(input) + (entry.role == Role::kVoltHigh ? "_max" : "_min"), millivolts)) return false;
      m_shadow[key] = value;
      return true;
    }
    case Role::kTempOver:
    case Role::kTempOverLow:
    case Role::kTempHyst:
    case Role::kTempHystLow: {
      if (m_readOnly) {
        m_shadow[key] = value;
        return true;
      }
      const SimTemperatureChannel& t = temps[entry.index];
      const bool over = entry.role == Role::kTempOver || entry.role == Role::kTempOverLow;
      const bool highByte = entry.role == Role::kTempOver || entry.role == Role::kTempHyst;
      uint8_t high = 0, low = 0;
      if (!TempRegisters(t, over ? "_max" : "_max_hyst", high, low)) return false;
      if (highByte) {
        high = value;
      } else {
        low = value;
      }
      const int64_t millidegrees = t.format == SimTemperatureFormat::Whole8 ? MillidegreesFromRegister8(high)
                                                                            : MillidegreesFromRegisters9(high, low);
      if (!Write(TempName(t) + (over ? "_max" : "_max_hyst"), millidegrees)) return false;
      m_shadow[key] = value;
      return true;
    }
    case Role::kFanLimit: {
      if (m_readOnly) {
        m_shadow[key] = value;
        return true;
      }
      const SimFanChannel& f = fans[entry.index];
      const unsigned divisor = FanDivisor(f);
      if (divisor == 0 || !Write(FanName(f) + "_min", RpmFromFanCount(value, divisor))) return false;
      m_shadow[key] = value;
      return true;
    }
    case Role::kDivisor:
      return WriteDivisorRegister(key, value);
    case Role::kBeep: {
      uint32_t word = 0;
      if (!BeepWord(word)) return false;
      const uint32_t mask = 0xFFu << (8 * entry.index);
      return WriteBeepWord((word & ~mask) | (uint32_t{value} << (8 * entry.index)));
    }
    case Role::kPwm: {
      // The fans are the driver's to drive when this process may not write.
      if (m_readOnly) return false;
      const SimFanChannel& f = fans[entry.index];
      const std::string enable = PwmName(f) + "_enable";
      int64_t mode = 0;
      // A duty takes effect only in manual mode (1).
      if (!m_model->pwm2SharesFan3Pin && Has(enable) && (!Read(enable, mode) || (mode != 1 && !Write(enable, 1)))) return false;
      return Write(PwmName(f), value);
    }
  }
  return false;
}
