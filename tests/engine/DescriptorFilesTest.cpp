// The chip descriptor files and the simulated board's defaults laid out beside
// the program: every register a descriptor names must belong to its chip, and
// the board defaults must start the simulated board inside its own limits.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path ProgramDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// A private-profile file as the program reads it: names without case, the first
// of two equal keys wins (so a repeated key is a silent copy-paste error).
struct Profile {
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::vector<std::string> duplicates;

  bool Has(const std::string& s) const { return sections.count(Lower(s)) != 0; }
  const std::map<std::string, std::string>& Section(const std::string& s) const {
    static const std::map<std::string, std::string> kEmpty;
    const auto it = sections.find(Lower(s));
    return it == sections.end() ? kEmpty : it->second;
  }
  // Missing keys read as 0, exactly as the profile integer reader gives them.
  int Int(const std::string& s, const std::string& key) const {
    const auto& sec = Section(s);
    const auto it = sec.find(Lower(key));
    return it == sec.end() ? 0 : std::stoi(it->second);
  }
};

bool Load(const fs::path& path, Profile& out) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line, section;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = Lower(line.substr(1, line.find(']') - 1));
      out.sections[section];
      continue;
    }
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const auto key = Lower(Trim(line.substr(0, eq)));
    if (!out.sections[section].emplace(key, Trim(line.substr(eq + 1))).second)
      out.duplicates.push_back(section + "/" + key);
  }
  return true;
}

using Regs = std::set<std::pair<int, int>>;  // (bank, register)

Regs Range(int bank, int first, int last) {
  Regs r;
  for (int a = first; a <= last; ++a) r.insert({bank, a});
  return r;
}
Regs operator+(Regs a, const Regs& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// What a chip has, by the family's register map: the items that exist and the
// registers each role may use ('V' voltages, 'T' temperatures, 'F' fans).
struct Chip {
  std::string file;
  std::set<std::string> items;
  std::map<char, Regs> values, limits;
  Regs beeps, status, divisors, duties;
};

std::set<std::string> Items(const std::vector<int>& volts, int temps, int fans) {
  std::set<std::string> s;
  for (int v : volts) s.insert("VOLT" + std::to_string(v));
  for (int t = 1; t <= temps; ++t) s.insert("TEMP" + std::to_string(t));
  for (int f = 1; f <= fans; ++f) s.insert("FAN" + std::to_string(f));
  return s;
}

const Regs kLatched = Range(0, 0x41, 0x42);
const Regs kRealTime = Range(4, 0x59, 0x5B);

Chip Family(std::string file, std::set<std::string> items, Regs status, Regs duties,
            Regs beeps = Regs{{0, 0x56}, {0, 0x57}, {4, 0x53}}) {
  Chip c{std::move(file), std::move(items), {}, {}, std::move(beeps), std::move(status),
         Regs{{0, 0x47}, {0, 0x4B}, {0, 0x5D}}, std::move(duties)};
  c.values['V'] = Range(0, 0x20, 0x26) + Range(5, 0x50, 0x51);
  c.limits['V'] = Range(0, 0x2B, 0x38) + Range(5, 0x54, 0x57);
  c.values['T'] = Regs{{0, 0x27}} + Range(1, 0x50, 0x51) + Range(2, 0x50, 0x51);
  c.limits['T'] = Range(0, 0x39, 0x3A) + Range(1, 0x53, 0x56) + Range(2, 0x53, 0x56);
  c.values['F'] = Range(0, 0x28, 0x2A);
  c.limits['F'] = Range(0, 0x3B, 0x3D);
  return c;
}

Chip W83791D(std::string file) {
  Chip c{std::move(file), Items({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 3, 5), {}, {},
         Regs{{0, 0x56}, {0, 0x57}, {0, 0xA3}}, Range(0, 0xA9, 0xAB),
         Regs{{0, 0x47}, {0, 0x4B}, {0, 0x5D}, {0, 0x5C}},
         Regs{{0, 0x81}, {0, 0x83}, {0, 0x94}, {0, 0xA0}, {0, 0xA1}}};
  c.values['V'] = Range(0, 0x20, 0x26) + Range(0, 0xB0, 0xB2);
  c.limits['V'] = Range(0, 0x2B, 0x38) + Range(0, 0xB4, 0xB9);
  // temp2/temp3 are 9-bit in bank 0: the whole degrees and the half-degree bit.
  c.values['T'] = Regs{{0, 0x27}, {0, 0xC0}, {0, 0xC1}, {0, 0xC8}, {0, 0xC9}};
  c.limits['T'] = Range(0, 0xC3, 0xC6) + Range(0, 0xCB, 0xCE) + Regs{{0, 0x39}, {0, 0x3A}};
  c.values['F'] = Range(0, 0x28, 0x2A) + Range(0, 0xBA, 0xBB);
  c.limits['F'] = Range(0, 0x3B, 0x3D) + Range(0, 0xBC, 0xBD);
  return c;
}

std::vector<Chip> AllChips() {
  const auto all = Items({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3, 3);
  const auto w781 = Items({1, 2, 3, 4, 5, 6, 7}, 3, 3);
  const auto lpart = Items({1, 2, 3, 4, 5, 6, 7}, 1, 3);
  return {
      Family("W83781D_B.ini", w781, kLatched, {}),
      Family("W83781D_C.ini", w781, kLatched, {}),
      Family("W83627F.ini", all, kRealTime, Regs{{0, 0x5A}, {0, 0x5B}}),
      Family("W83782D.ini", all, kRealTime, Regs{{0, 0x5A}, {0, 0x5B}, {0, 0x5E}, {0, 0x5F}}),
      Family("W83783S.ini", Items({1, 3, 4, 5, 6, 7}, 2, 3), kRealTime, Regs{{0, 0x5A}, {0, 0x5B}}),
      Family("W83784R.ini", lpart, kLatched, {}, {}),
      Family("W83784R_B.ini", lpart, kLatched, {}, {}),
      Family("W83697F.ini", Items({1, 3, 4, 5, 6, 7, 8, 9}, 2, 2), kRealTime, Regs{{0, 0x01}, {0, 0x03}}),
      Family("W83785R.ini", lpart, kLatched, {}, {}),
      W83791D("W83791D_B.ini"),
      W83791D("W83791D_C.ini"),
      Family("W83637HF.ini", Items({1, 2, 3, 4, 5, 8, 9}, 3, 3), kRealTime,
             Regs{{0, 0x01}, {0, 0x03}, {0, 0x11}}),
  };
}

const std::vector<std::string> kItemNames = {
    "VOLT1", "VOLT2", "VOLT3", "VOLT4", "VOLT5", "VOLT6", "VOLT7", "VOLT8", "VOLT9",
    "VOLT10", "TEMP1", "TEMP2", "TEMP3", "FAN1", "FAN2", "FAN3", "FAN4", "FAN5"};

const char* kFieldSuffixes[] = {"TotalBits", "Bank1", "Addr1", "NumOfBits1", "StartBit1",
                                "Bank2",     "Addr2", "NumOfBits2", "StartBit2"};

// Checks one multi-part field (value, divisor, duty) and returns the registers it uses.
Regs CheckField(const Profile& p, const std::string& sec, const std::string& prefix) {
  Regs used;
  const int total = p.Int(sec, prefix + "TotalBits");
  if (total == 0) return used;
  const int n1 = p.Int(sec, prefix + "NumOfBits1");
  const int n2 = p.Int(sec, prefix + "NumOfBits2");
  EXPECT_EQ(total, n1 + n2) << sec << " " << prefix << ": the parts must add up to TotalBits";
  EXPECT_LE(p.Int(sec, prefix + "StartBit1") + n1, 8) << sec << " " << prefix;
  EXPECT_LE(p.Int(sec, prefix + "StartBit2") + n2, 8) << sec << " " << prefix;
  used.insert({p.Int(sec, prefix + "Bank1"), p.Int(sec, prefix + "Addr1")});
  if (n2 > 0) used.insert({p.Int(sec, prefix + "Bank2"), p.Int(sec, prefix + "Addr2")});
  return used;
}

void ExpectWithin(const Regs& used, const Regs& allowed, const std::string& what) {
  for (const auto& [bank, addr] : used) {
    EXPECT_TRUE(allowed.count({bank, addr})) << what << " uses " << bank << ":0x" << std::hex << addr
                                             << ", which is not such a register of this chip";
  }
}

TEST(DescriptorFiles, EveryRegisterBelongsToTheChip) {
  for (const Chip& chip : AllChips()) {
    SCOPED_TRACE(chip.file);
    Profile p;
    ASSERT_TRUE(Load(ProgramDir() / chip.file, p)) << "missing beside the program";
    EXPECT_TRUE(p.duplicates.empty()) << "repeated key " << p.duplicates.front();

    Regs valueRegs;
    for (const auto& item : kItemNames) {
      SCOPED_TRACE(item);
      EXPECT_EQ(p.Has(item), chip.items.count(item) == 1) << "section present iff the chip has the input";
      if (!p.Has(item)) continue;
      // The profile reader parses decimal only: "0x20" would silently read 0.
      for (const auto& [key, text] : p.Section(item)) {
        const bool decimal = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        EXPECT_TRUE(decimal && std::stoi(text) <= 255) << key << "=" << text;
      }
      const char kind = item[0];
      const int bank1 = p.Int(item, "Bank1");
      const int bank2 = p.Int(item, "Bank2");
      const Regs value = CheckField(p, item, "");
      ASSERT_FALSE(value.empty()) << "an existing input needs its value register";
      ExpectWithin(value, chip.values.at(kind), "value");
      for (const auto& r : value) {
        EXPECT_TRUE(valueRegs.insert(r).second) << "value register shared";
      }

      Regs limits;
      for (const char* side : {"HiLimit", "LoLimit"}) {
        if (const int a = p.Int(item, std::string(side) + "Addr1")) limits.insert({bank1, a});
        if (const int a = p.Int(item, std::string(side) + "Addr2")) limits.insert({bank2, a});
      }
      ExpectWithin(limits, chip.limits.at(kind), "limit");
      if (kind == 'F') {
        EXPECT_NE(p.Int(item, "LoLimitAddr1"), 0) << "fan low limit";
      }

      if (const int a = p.Int(item, "BeepAddr")) {
        ExpectWithin({{p.Int(item, "BeepBank"), a}}, chip.beeps, "beep bit");
        EXPECT_LE(p.Int(item, "BeepStartBit"), 7);
      }
      // A status field is always one bit wide: left at address 0 it would read
      // register 0 and report nonsense alarms, so every input needs one.
      ASSERT_NE(p.Int(item, "StatusAddr"), 0) << "status bit";
      ExpectWithin({{p.Int(item, "StatusBank"), p.Int(item, "StatusAddr")}}, chip.status, "status bit");
      EXPECT_LE(p.Int(item, "StatusStartBit"), 7);
      // The latching interrupt status registers say so, the real-time ones not.
      const bool latched = p.Int(item, "StatusBank") == 0 && kLatched.count({0, p.Int(item, "StatusAddr")}) == 1;
      EXPECT_EQ(p.Int(item, "StatusLatched"), latched ? 1 : 0);
      // The W83791D's core offset (0x0C bit 0) belongs to in0 alone.
      const bool coreOffset = chip.file.starts_with("W83791D") && item == "VOLT1";
      EXPECT_EQ(p.Int(item, "VCoreOffsetAddr1"), coreOffset ? 0x0C : 0);
      if (coreOffset) {
        EXPECT_EQ(p.Int(item, "VCoreOffsetTotalBits"), 1);
      }

      if (kind == 'T') {
        if (p.Int(item, "TotalBits") != 8) {  // halved by the engine: must be the half-degree layout
          EXPECT_EQ(p.Int(item, "TotalBits"), 9);
          EXPECT_EQ(p.Int(item, "NumOfBits1"), 1);
          EXPECT_EQ(p.Int(item, "StartBit1"), 7);
          EXPECT_EQ(bank2, bank1);
        } else {
          EXPECT_EQ(bank1, 0) << "an 8-bit temperature lies in bank 0";
        }
        EXPECT_EQ(p.Int(item, "TempOffsetAddr1"), 0) << "no chip of the family has an offset register";
      }
      if (kind == 'F') {
        const Regs divisor = CheckField(p, item, "FanDivisor");
        ASSERT_FALSE(divisor.empty()) << "fan divisor";
        ExpectWithin(divisor, chip.divisors, "divisor");
        ExpectWithin(CheckField(p, item, "FanDutyCycle"), chip.duties, "PWM duty");
        // The divisor code is copied into FanPWMOut before each duty write.
        if (p.Int(item, "FanPWMOutTotalBits") != 0) {
          for (const char* s : kFieldSuffixes) {
            EXPECT_EQ(p.Int(item, std::string("FanPWMOut") + s), p.Int(item, std::string("FanDivisor") + s))
                << "FanPWMOut may only name the divisor bits themselves";
          }
        }
      }
    }
  }
}

// The simulated board: pin voltages, temperatures and full-duty fan speeds.
struct SimInput {
  const char* item;
  double value;
};
const SimInput kBoard[] = {
    {"VOLT1", 1.50},  {"VOLT2", 1.20},  {"VOLT3", 3.30},   {"VOLT4", 2.976}, {"VOLT5", 3.158},
    {"VOLT6", 0.567}, {"VOLT7", 0.8635}, {"VOLT8", 3.30},  {"VOLT9", 3.00},  {"TEMP1", 38.0},
    {"TEMP2", 45.5},  {"TEMP3", 35.0},  {"FAN1", 4500},    {"FAN2", 3000},   {"FAN3", 2700}};

TEST(BoardDefaults, EveryItemCompleteAndLimitsWithinBounds) {
  Profile p;
  ASSERT_TRUE(Load(ProgramDir() / "def.ini", p));
  EXPECT_TRUE(p.duplicates.empty());
  const std::vector<std::string> common = {"Name",    "Enable",  "BeepEnable", "ShutDownEnable", "ShutDownTime",
                                           "HiLimit", "LoLimit", "HiBound",    "LoBound"};
  const std::map<char, std::vector<std::string>> own = {
      {'V', {"Negative", "R1", "R2", "VCore"}},
      {'T', {"AddOffset"}},
      {'F', {"FanDivisor", "FanFactor", "EnableSmartFan", "ReferenceTempItem", "SmartFanRateHi",
             "SmartFanRateMid", "SmartFanRateLo", "SmartFanTempHi", "SmartFanTempLo", "TempTolerance"}}};
  for (const auto& item : kItemNames) {
    SCOPED_TRACE(item);
    auto keys = common;
    keys.insert(keys.end(), own.at(item[0]).begin(), own.at(item[0]).end());
    for (const auto& k : keys) {
      EXPECT_TRUE(p.Section(item).count(Lower(k))) << "missing " << k;
    }
    if (p.Int(item, "Enable") != 1) continue;
    EXPECT_LE(p.Int(item, "LoBound"), p.Int(item, "LoLimit"));
    EXPECT_LE(p.Int(item, "LoLimit"), p.Int(item, "HiLimit"));
    EXPECT_LE(p.Int(item, "HiLimit"), p.Int(item, "HiBound"));
  }
  EXPECT_EQ(p.Int("FAN1", "ReferenceTempItem"), 2);
}

TEST(BoardDefaults, SimulatedBoardStartsInsideItsLimits) {
  Profile p;
  ASSERT_TRUE(Load(ProgramDir() / "def.ini", p));
  for (const auto& [item, input] : kBoard) {
    SCOPED_TRACE(item);
    ASSERT_EQ(p.Int(item, "Enable"), 1);
    const double hi = p.Int(item, "HiLimit") * 0.01;
    const double lo = p.Int(item, "LoLimit") * 0.01;
    if (item[0] == 'V') {
      const double pin = std::floor(input / 0.016) * 0.016;  // what the 8-bit converter keeps
      const double r1 = p.Int(item, "R1"), r2 = p.Int(item, "R2");
      double v;
      if (p.Int(item, "Negative") == 1) {
        const double d = r1 / (r1 + r2);
        v = (pin - 3.6 * d) / (1 - d);
      } else {
        v = (r1 + r2) / r2 * pin;
      }
      EXPECT_GE(v, lo);
      EXPECT_LE(v, hi);
    } else if (item[0] == 'T') {
      EXPECT_LT(input, hi);
    } else {
      const int divisor = p.Int(item, "FanDivisor");
      EXPECT_TRUE(divisor >= 1 && divisor <= 128 && (divisor & (divisor - 1)) == 0) << divisor;
      const int count = static_cast<int>(1350000 / (input * divisor));
      EXPECT_LE(count, 255 - static_cast<int>(lo)) << "full speed would already be below the low limit";
    }
  }
}

}  // namespace
