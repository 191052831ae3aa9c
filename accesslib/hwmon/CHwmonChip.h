// A chip owned by its kernel hwmon driver, presented as the chip's registers
// so that the engine drives it as it drives the chip itself.
//
// Registers with a driver attribute (readings, limits, divisors, status,
// beep, duty) read and write that attribute, converted between the driver's
// units and the register's; registers the driver does not expose (0x40, the
// bank register, 0x4B, 0x4C and the like) live in a shadow that never
// reaches the chip. A transfer that needs an attribute that is missing,
// unreadable or refused fails; nothing is made up.
//
// Read-only (the attributes refuse this process's writes, as they do a plain
// user): limits, divisors and beep bits written are kept in the shadow, and
// the status bits are computed from the readings against those limits, so
// the program's alarms follow its own limits; duty writes fail, since the
// fans cannot be driven.
//
// Each attribute is read from sysfs at most once per kAttributeLifetimeMs (the
// drivers refresh their readings every 1.5 to 3 s and the program ticks every
// 2.5 s), however many register transfers of one tick need it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "accesslib/ChipModel.h"
#include "accesslib/hwmon/CHwmonScanner.h"

class CHwmonChip {
 public:
  using MillisecondClock = std::function<int64_t()>;

  static constexpr int64_t kAttributeLifetimeMs = 1000;
  static constexpr uint16_t kAddressPort = 0x295;
  static constexpr uint16_t kDataPort = 0x296;

  enum class State {
    kNoChip,        // no supported chip bound to its driver was found
    kDriven,        // the driver's writable attributes take the writes
    kReadOnly,      // the attributes refuse writes: limits kept here
    kDriverGone,    // the chip's driver went away; transfers fail until it is back
  };

  explicit CHwmonChip(std::string sysfsRoot, MillisecondClock clock = {});

  // Attaches the first supported chip bound to its driver; false when none.
  bool Attach();
  bool Attach(const HwmonChipInfo& chip);
  bool IsAttached() const { return m_model != nullptr; }

  State CurrentState();
  const HwmonChipInfo& Chip() const { return m_chip; }
  const ChipModel* Model() const { return m_model; }

  // Register access in the bank selected through 0x4E; false is a failed
  // transfer.
  bool ReadRegister(uint8_t address, uint8_t& value);
  bool WriteRegister(uint8_t address, uint8_t value);
  // The chip's two ports: the address port selects the register the data
  // port transfers.
  bool PortRead(uint16_t port, uint8_t& value);
  bool PortWrite(uint16_t port, uint8_t value);

  // Every attribute this object wrote, with its text before the first write
  // (what a restore puts back), in the order first written.
  struct AsFound {
    std::string attribute;
    int64_t value;
  };
  const std::vector<AsFound>& ChangedAttributes() const { return m_asFound; }
  // After a restore: the next write records its attribute afresh.
  void ForgetChanges() { m_asFound.clear(); }
  // Writes one attribute of the attached chip in the driver's units (the
  // restore of ChangedAttributes); false when refused.
  bool WriteAttribute(const std::string& attribute, int64_t value);

 private:
  enum class Role : uint8_t {
    kShadow, kBank, kVendor, kId,
    kVoltValue, kVoltHigh, kVoltLow,
    kTempValue, kTempValueLow, kTempOver, kTempOverLow, kTempHyst, kTempHystLow,
    kFanCount, kFanLimit, kDivisor, kStatus, kBeep, kPwm, kVrm9Config, kPinSelect,
  };
  struct RoleEntry {
    Role role = Role::kShadow;
    uint8_t index = 0;
  };
  struct CachedAttribute {
    bool ok = false;
    int64_t value = 0;
    int64_t readAt = 0;
  };

  static size_t Key(uint8_t bank, uint8_t address) { return size_t{bank} * 256 + address; }
  static size_t Key(SimRegister reg);
  size_t CurrentKey(uint8_t address) const;
  uint8_t& Shadow(size_t key) { return m_shadow[key]; }
  uint8_t& Shadow(SimRegister reg) { return m_shadow[Key(reg)]; }

  void BuildRoles();
  void InitialiseShadow();
  int64_t Now() const;

  bool Has(const std::string& attribute);
  bool Read(const std::string& attribute, int64_t& value);
  bool Write(const std::string& attribute, int64_t value);
  void CheckDriverPresent();

  bool ReadRole(const RoleEntry& entry, size_t key, uint8_t& value);
  bool WriteRole(const RoleEntry& entry, size_t key, uint8_t value);

  // Limits as registers: the driver's in read-write mode, the shadow's in
  // read-only mode.
  bool ReadLimit(size_t key, const std::string& attribute, Role role, uint8_t input, uint8_t& value);
  bool VoltRegister(uint8_t input, const std::string& attribute, uint8_t& value);
  bool TempRegisters(const SimTemperatureChannel& t, const std::string& attribute, uint8_t& high, uint8_t& low);
  unsigned FanDivisor(const SimFanChannel& fan);
  bool ReadDivisorRegister(size_t key, uint8_t& value);
  bool WriteDivisorRegister(size_t key, uint8_t value);
  bool StatusWord(uint32_t& word);
  bool ComputedStatusWord(uint32_t& word);
  bool BeepWord(uint32_t& word);
  bool WriteBeepWord(uint32_t word);
  bool InVrm9Mode() const { return m_vrm9; }

  std::string m_root;
  MillisecondClock m_clock;
  HwmonChipInfo m_chip;
  const ChipModel* m_model = nullptr;
  bool m_readOnly = false;
  bool m_gone = false;
  int64_t m_lastSearch = 0;
  bool m_vrm9 = false;
  uint8_t m_address = 0;
  uint8_t m_temperatureAlarms = 0;
  std::array<RoleEntry, 8 * 256> m_roles{};
  std::array<uint8_t, 8 * 256> m_shadow{};
  // Divisors presented in read-only mode, per fan.
  std::array<unsigned, 5> m_shadowDivisor{};
  uint32_t m_shadowBeep = 0;
  std::map<std::string, CachedAttribute> m_cache;
  std::map<std::string, bool> m_present;
  std::vector<AsFound> m_asFound;
};
