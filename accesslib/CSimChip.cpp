#include "accesslib/CSimChip.h"

#include <cmath>
#include <cstring>

#include "accesslib/SimChipConversions.h"

namespace {

constexpr uint8_t kConfigRegister = 0x40;
constexpr uint8_t kBankRegister = 0x4E;
constexpr uint8_t kVendorRegister = 0x4F;
constexpr uint8_t kIdRegister = 0x58;
constexpr uint8_t kAltVendorLow = 0x4C;
constexpr uint8_t kAltVendorHigh = 0x4D;
constexpr uint8_t kVendorLow = 0xA3;
constexpr uint8_t kVendorHigh = 0x5C;

// 0x40: bit 0 starts monitoring; writing bit 7 resets the chip, and bit 7 reads 0.
constexpr uint8_t kStartBit = 0x01;
constexpr uint8_t kResetBit = 0x80;
// 0x57 bit 7 (beep bit 15): the global beep enable.
constexpr int kGlobalBeepBit = 15;

// Power-on limits that keep a healthy board quiet until the program writes its own.
constexpr uint8_t kPowerOnTempOver = 60;
constexpr uint8_t kPowerOnTempHysteresis = 55;

bool AlarmBitValid(int8_t bit) { return bit >= 0 && bit < 24; }

constexpr SimRegister R0(uint8_t address) { return {0, address}; }

// in8, the battery input.
constexpr uint8_t kVbatInput = 8;

}  // namespace

CSimChip::CSimChip(SimChipState& state) : m_state(state), m_model(ChipModelAt(state.settings.model)) {}

uint8_t CSimChip::SelectedBank() const { return m_state.regs[0][kBankRegister] & 0x07; }

bool CSimChip::BankExists(uint8_t bank) const { return bank < kSimBanks && (m_model.banks >> bank) & 1; }

uint8_t& CSimChip::Reg(SimRegister reg) {
  return m_state.regs[IsBanked(reg.address) ? (reg.bank & 0x07) : 0][reg.address];
}

uint8_t CSimChip::Reg(SimRegister reg) const { return Peek(reg.bank, reg.address); }

uint8_t CSimChip::Peek(uint8_t bank, uint8_t address) const {
  return m_state.regs[IsBanked(address) ? (bank & 0x07) : 0][address];
}

double CSimChip::Input(int index) const {
  const double value = m_state.settings.inputs[index];
  return std::isfinite(value) ? value : 0.0;
}

unsigned CSimChip::FanDivisor(const SimFanChannel& fan) const {
  unsigned code = (Reg(fan.divisorRegister) >> fan.divisorShift) & ((1u << fan.divisorWidth) - 1);
  if (fan.topRegister.Present() && fan.topBit >= 0) {
    code |= ((Reg(fan.topRegister) >> fan.topBit) & 1u) << fan.divisorWidth;
  }
  return 1u << code;
}

void CSimChip::PowerOn() {
  std::memset(m_state.regs, 0, sizeof(m_state.regs));
  m_state.regs[0][kConfigRegister] = kStartBit;
  m_state.regs[0][kBankRegister] = 0x80;
  // Fan divisors 2 (code 1) for fans 1..3; the serial bus address 0x2D.
  m_state.regs[0][0x47] = 0x50;
  m_state.regs[0][0x48] = 0x2D;
  m_state.regs[0][0x4B] = 0x44;
  // Read-only identification bytes are kept in the register file too, so that
  // a dump of the registers shows what a read gives.
  m_state.regs[0][kIdRegister] = m_model.reportedId;
  if (m_model.alternateId) {
    m_state.regs[0][kAltVendorLow] = kVendorLow;
    m_state.regs[0][kAltVendorHigh] = kVendorHigh;
  }
  if (m_model.beep[1].Present()) Reg(m_model.beep[1]) = 0x80;

  for (const SimVoltageChannel& v : m_model.voltages) {
    Reg(v.high) = 0xFF;
    Reg(v.low) = 0x00;
  }
  for (const SimTemperatureChannel& t : m_model.temperatures) {
    Reg(t.over) = kPowerOnTempOver;
    Reg(t.hysteresis) = kPowerOnTempHysteresis;
  }
  for (const SimFanChannel& f : m_model.fans) {
    Reg(f.limit) = 0xFF;
    if (f.pwm.Present()) Reg(f.pwm) = 0xFF;
  }
  for (const SimPowerOnValue& p : m_model.powerOn) Reg(p.reg) = p.value;
  if (m_state.settings.vcoreOffset && m_model.vcoreOffsetRegister.Present()) {
    Reg(m_model.vcoreOffsetRegister) |= 0x01;
  }
  m_state.temperatureAlarms = 0;
  m_state.status = 0;
  m_state.beeping = 0;
  Refresh();
}

bool CSimChip::BeepBitSet(int8_t bit) const {
  if (!AlarmBitValid(bit)) return false;
  const SimRegister reg = m_model.beep[bit / 8];
  return reg.Present() && ((Reg(reg) >> (bit % 8)) & 1);
}

void CSimChip::Refresh() {
  if (!(m_state.regs[0][kConfigRegister] & kStartBit)) return;

  uint32_t status = 0;
  bool beep = false;
  auto raise = [&](int8_t alarmBit, int8_t beepBit) {
    if (AlarmBitValid(alarmBit)) status |= 1u << alarmBit;
    if (beepBit != kGlobalBeepBit && BeepBitSet(beepBit)) beep = true;
  };

  for (const SimVoltageChannel& v : m_model.voltages) {
    double pin = Input(v.input);
    double step = kVoltsPerStep;
    if (v.input == 0 && m_model.vcoreOffsetRegister.Present() && (Reg(m_model.vcoreOffsetRegister) & 0x01)) {
      pin -= m_model.vcoreOffsetVolts;
      step = m_model.vcoreStepVolts;
    }
    // A VBAT input whose monitoring is off is not measured.
    if (v.input == kVbatInput && m_model.vbatEnableRegister.Present() && !(Reg(m_model.vbatEnableRegister) & 0x01)) {
      pin = 0.0;
    }
    const uint8_t raw = VoltageToRegister(pin, step);
    Reg(v.value) = raw;
    if (raw > Reg(v.high) || raw < Reg(v.low)) raise(v.alarmBit, v.beepBit);
  }

  for (const SimTemperatureChannel& t : m_model.temperatures) {
    const double celsius = Input(kSimFirstTemperatureInput + t.sensor);
    const bool stopped = t.config.Present() && (Reg(t.config) & 0x01);
    int reading, over, hysteresis;
    if (t.format == SimTemperatureFormat::Whole8) {
      if (!stopped) Reg(t.value) = TemperatureToRegister8(celsius);
      reading = DegreesFromRegister(Reg(t.value));
      over = DegreesFromRegister(Reg(t.over));
      hysteresis = DegreesFromRegister(Reg(t.hysteresis));
    } else {
      if (!stopped) {
        const uint16_t halves = TemperatureToHalfDegrees9(celsius);
        Reg(t.value) = HalfDegreesHighByte(halves);
        Reg(t.valueLow) = HalfDegreesLowByte(halves);
      }
      reading = HalfDegreesFromRegisters(Reg(t.value), Reg(t.valueLow));
      over = HalfDegreesFromRegisters(Reg(t.over), Reg(t.overLow));
      hysteresis = HalfDegreesFromRegisters(Reg(t.hysteresis), Reg(t.hysteresisLow));
    }
    const uint8_t mask = static_cast<uint8_t>(1u << t.sensor);
    if (reading > over) {
      m_state.temperatureAlarms |= mask;
    } else if (reading < hysteresis) {
      m_state.temperatureAlarms &= static_cast<uint8_t>(~mask);
    }
    if (m_state.temperatureAlarms & mask) raise(t.alarmBit, t.beepBit);
  }

  const bool pwm2Pin = Pwm2PinDrives();
  for (const SimFanChannel& f : m_model.fans) {
    double rpm = (m_state.settings.faults.stoppedFans >> f.fan) & 1 ? 0.0 : Input(kSimFirstFanInput + f.fan);
    const bool sharedPwm = m_model.pwm2SharesFan3Pin && f.fan == 1;
    if (f.pwm.Present() && (!sharedPwm || pwm2Pin)) rpm = FanRpmAtDuty(rpm, Reg(f.pwm));
    // The pin that drives pwm2 is no fan3 input meanwhile.
    if (m_model.pwm2SharesFan3Pin && f.fan == 2 && pwm2Pin) rpm = 0.0;
    const uint8_t count = FanCount(rpm, FanDivisor(f), m_model.fanClockDivider);
    Reg(f.count) = count;
    if (count > Reg(f.limit)) raise(f.alarmBit, f.beepBit);
  }

  for (int i = 0; i < 3; ++i) {
    if (m_model.realtime[i].Present()) Reg(m_model.realtime[i]) = static_cast<uint8_t>(status >> (8 * i));
  }
  // The latched registers keep every alarm seen since they were last read.
  for (int i = 0; i < 2; ++i) Reg(kLatchedAlarm[i]) |= static_cast<uint8_t>(status >> (8 * i));
  m_state.status = status;
  m_state.beeping = beep && BeepBitSet(kGlobalBeepBit);
}

bool CSimChip::Pwm2PinDrives() const {
  // 0x5C bit 3 set and 0x4D bit 4 clear give the shared pin to pwm2.
  return m_model.pwm2SharesFan3Pin && (Reg(R0(0x5C)) & 0x08) && !(Reg(R0(0x4D)) & 0x10);
}

bool CSimChip::IsReadOnly(uint8_t bank, uint8_t address) const {
  auto is = [&](SimRegister r) {
    return r.Present() && r.address == address && (!IsBanked(address) || (r.bank & 0x07) == bank);
  };
  for (const SimVoltageChannel& v : m_model.voltages) {
    if (is(v.value)) return true;
  }
  for (const SimTemperatureChannel& t : m_model.temperatures) {
    if (is(t.value) || is(t.valueLow)) return true;
  }
  for (const SimFanChannel& f : m_model.fans) {
    if (is(f.count)) return true;
  }
  for (const SimRegister& r : m_model.realtime) {
    if (is(r)) return true;
  }
  return is(kLatchedAlarm[0]) || is(kLatchedAlarm[1]);
}

uint8_t CSimChip::ReadRegister(uint8_t address) {
  const uint8_t bankRegister = m_state.regs[0][kBankRegister];
  if (address == kBankRegister) return m_model.alternateId ? m_model.reportedId : bankRegister;
  if (m_model.alternateId) {
    if (address == kAltVendorLow) return kVendorLow;
    if (address == kAltVendorHigh) return kVendorHigh;
  } else if (address == kVendorRegister) {
    // The high byte of the vendor value appears while bit 7 of 0x4E is set.
    return (bankRegister & 0x80) ? kVendorHigh : kVendorLow;
  }
  const uint8_t bank = IsBanked(address) ? SelectedBank() : 0;
  if (IsBanked(address) && !BankExists(bank)) return 0xFF;
  if (bank == 0 && address == kIdRegister) return m_model.reportedId;

  Refresh();
  uint8_t& reg = m_state.regs[bank][address];
  const uint8_t value = reg;
  if (bank == 0 && (address == kLatchedAlarm[0].address || address == kLatchedAlarm[1].address)) reg = 0;
  return value;
}

void CSimChip::WriteRegister(uint8_t address, uint8_t value) {
  if (address == kBankRegister) {
    m_state.regs[0][kBankRegister] = value;
    return;
  }
  if (m_model.alternateId ? (address == kAltVendorLow || address == kAltVendorHigh) : address == kVendorRegister) {
    return;
  }
  const uint8_t bank = IsBanked(address) ? SelectedBank() : 0;
  if (IsBanked(address) && !BankExists(bank)) return;
  if (bank == 0 && address == kIdRegister) return;
  if (bank == 0 && address == kConfigRegister) {
    if (value & kResetBit) {
      PowerOn();
      return;
    }
    m_state.regs[0][kConfigRegister] = value;
    Refresh();
    return;
  }
  if (IsReadOnly(bank, address)) return;
  m_state.regs[bank][address] = value;
  // A new limit, divisor or duty takes effect at once.
  Refresh();
}

bool CSimChip::InjectBusError(uint16_t port, bool write, uint8_t value, int32_t pid) {
  // One phase is a run of identical calls (same process, port, direction and,
  // for writes, byte) that ends with its first successful attempt.
  const bool samePhase = !m_state.phaseSucceeded && m_state.phasePid == pid && m_state.phasePort == port &&
                         m_state.phaseWrite == (write ? 1 : 0) && (!write || m_state.phaseValue == value);
  if (!samePhase) {
    m_state.phasePid = pid;
    m_state.phasePort = port;
    m_state.phaseWrite = write ? 1 : 0;
    m_state.phaseValue = value;
    m_state.phaseAttempts = 0;
    m_state.phaseSucceeded = 0;
  }
  if (m_state.phaseAttempts < UINT32_MAX) ++m_state.phaseAttempts;
  if (m_state.phaseAttempts <= m_state.settings.faults.busErrors) return true;
  m_state.phaseSucceeded = 1;
  return false;
}

uint8_t CSimChip::PortRead(uint16_t port, int16_t& error, int32_t pid) {
  const SimFaults& faults = m_state.settings.faults;
  if (faults.driverLoadFails) {
    error = kSimErrorNoDriver;
    return 0xFF;
  }
  if (port != kSimAddressPort && port != kSimDataPort) {
    error = kSimErrorNoSuchPort;
    return 0xFF;
  }
  if (InjectBusError(port, false, 0, pid)) {
    error = faults.busErrorCode != 0 ? faults.busErrorCode : kSimDefaultBusErrorCode;
    return 0xFF;
  }
  error = 0;
  // Nothing drives a bus without a chip: it floats high.
  if (faults.noChip) return 0xFF;
  // The address port reads back the selected register, with bit 7 (busy) clear.
  if (port == kSimAddressPort) return m_state.address & 0x7F;
  return ReadRegister(m_state.address);
}

void CSimChip::PortWrite(uint16_t port, uint8_t value, int16_t& error, int32_t pid) {
  const SimFaults& faults = m_state.settings.faults;
  if (faults.driverLoadFails) {
    error = kSimErrorNoDriver;
    return;
  }
  if (port != kSimAddressPort && port != kSimDataPort) {
    error = kSimErrorNoSuchPort;
    return;
  }
  if (InjectBusError(port, true, value, pid)) {
    error = faults.busErrorCode != 0 ? faults.busErrorCode : kSimDefaultBusErrorCode;
    return;
  }
  error = 0;
  if (faults.noChip) return;
  if (port == kSimAddressPort) {
    m_state.address = value;
  } else {
    WriteRegister(m_state.address, value);
  }
}
