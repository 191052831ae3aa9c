// The simulated chip as the program sees it through the real, dlopen'ed
// simulator library: identification, readings, limits and status, faults,
// and one chip shared by several processes.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "accesslib/SimChipState.h"
#include "tests/accesslib/CLoadedSimulator.h"

namespace {

std::string ChipIni(const std::string& model, const std::string& extra = "") {
  return "[Chip]\nModel=" + model + "\n" + extra;
}

}  // namespace

TEST(SimulatedChipPorts, AddressPortReadsTheSelectedRegisterWithBusyClearAndOtherPortsFail) {
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  int16_t error = -1;
  sim.outPort(kChipAddressPort, 0xC0, &error);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(sim.inPort(kChipAddressPort, &error), 0x40);
  EXPECT_EQ(error, 0);
  for (uint16_t port : {uint16_t{0x290}, uint16_t{0x297}, uint16_t{0x80}}) {
    error = 0;
    sim.inPort(port, &error);
    EXPECT_NE(error, 0) << port;
    error = 0;
    sim.outPort(port, 1, &error);
    EXPECT_NE(error, 0) << port;
  }
}

TEST(SimulatedChipIdentification, VendorValueFollowsBit7Of4EOrSitsAt4C4DOnTheAlternatePath) {
  struct Case {
    const char* model;
    bool alternate;
    uint8_t id4E;
  };
  for (const Case& c : {Case{"W83782D", false, 0}, Case{"W83627F", false, 0}, Case{"W83784R", true, 0x50},
                        Case{"W83785R", true, 0x60}}) {
    SCOPED_TRACE(c.model);
    CLoadedSimulator sim(ChipIni(c.model));
    ASSERT_TRUE(sim.Loaded());
    EXPECT_EQ(sim.Read(0x4E), c.alternate ? c.id4E : 0x80);  // power-on 0x80 on the normal path
    sim.Write(0x4E, 0x80);
    const uint8_t high = sim.Read(0x4F);
    sim.Write(0x4E, 0x00);
    const uint8_t low = sim.Read(0x4F);
    if (c.alternate) {
      EXPECT_NE(high * 256 + low, 0x5CA3);
      EXPECT_EQ(sim.Read(0x4C), 0xA3);
      EXPECT_EQ(sim.Read(0x4D), 0x5C);
      // The vendor bytes are read-only: a write (the program saves and restores
      // 0x4C bits 3..4) must not break the next detection.
      sim.Write(0x4C, 0x08);
      EXPECT_EQ(sim.Read(0x4C), 0xA3);
    } else {
      EXPECT_EQ(high, 0x5C);
      EXPECT_EQ(low, 0xA3);
    }
    // Writing 0x4E selects the bank on both paths: temp2 lives at 1:0x50 on
    // the main family; the alternate parts have bank 0 only.
    sim.Write(0x4E, 0x01);
    EXPECT_EQ(sim.Read(0x50), c.alternate ? 0xFF : 45);
    sim.Write(0x4E, 0x00);
    EXPECT_NE(sim.Read(0x50), 45);
  }
}

TEST(SimulatedChipIdentification, EveryModelOfTheDescriptorTableIsDetectedWithItsIdentification) {
  struct Case {
    const char* model;
    int id;
  };
  const Case cases[] = {{"W83781D_B", 0x10}, {"W83781D_C", 0x11}, {"W83627F", 0x21},   {"W83782D", 0x30},
                        {"W83783S", 0x40},   {"W83784R", 0x50},   {"W83784R_B", 0x51}, {"W83697F", 0x60},
                        {"W83785R", 0x61},   {"W83791D_B", 0x70}, {"W83791D_C", 0x71}, {"W83637HF", 0x80}};
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  EXPECT_EQ(sim.DetectChip(), 0x30);  // the reference board without a simchip.ini
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "chip", c.model}), 0);
    EXPECT_EQ(sim.DetectChip(), c.id);
  }
  // Identifications and part names work as well as descriptor names.
  ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "chip", "0x71"}), 0);
  EXPECT_EQ(sim.DetectChip(), 0x71);
  ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "chip", "W83697HF"}), 0);
  EXPECT_EQ(sim.DetectChip(), 0x60);
}

TEST(SimulatedChipIdentification, ModelComesFromSimchipIniByNameOrIdentification) {
  struct Case {
    const char* model;
    int id;
  };
  for (const Case& c : {Case{"W83627HF", 0x21}, Case{"0x61", 0x61}, Case{"w83781d_c.ini", 0x11},
                        Case{"no such part", 0x30}}) {
    SCOPED_TRACE(c.model);
    CLoadedSimulator sim(ChipIni(c.model));
    ASSERT_TRUE(sim.Loaded());
    EXPECT_EQ(sim.DetectChip(), c.id);
  }
}

TEST(SimulatedChipReadings, ReferenceBoardInputsBecomeTheDesignedRegisterValues) {
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  // 16 mV per step, truncated.
  EXPECT_EQ(sim.Read(0x20), 93);   // 1.50 V
  EXPECT_EQ(sim.Read(0x23), 186);  // 2.976 V
  EXPECT_EQ(sim.Read(0x24), 197);  // 3.158 V
  EXPECT_EQ(sim.Read(0x25), 35);   // 0.567 V
  EXPECT_EQ(sim.ReadBanked(5, 0x50), 206);  // in7 3.30 V
  EXPECT_EQ(sim.ReadBanked(5, 0x51), 0);    // in8 (VBAT) unmeasured until 0x5D bit 0 is set
  sim.WriteBanked(0, 0x5D, 0x01);
  EXPECT_EQ(sim.ReadBanked(5, 0x51), 187);  // in8 3.00 V
  // temp1 8-bit; temp2 high byte + half degree in bit 7 of 0x51.
  EXPECT_EQ(sim.ReadBanked(0, 0x27), 38);
  EXPECT_EQ(sim.ReadBanked(1, 0x50), 45);
  EXPECT_EQ(sim.ReadBanked(1, 0x51), 0x80);
  EXPECT_EQ(sim.ReadBanked(2, 0x50), 35);
  // Fan counts at divisor 2: 1350000 / (rpm x 2).
  sim.SelectBank(0);
  EXPECT_EQ(sim.Read(0x28), 150);
  EXPECT_EQ(sim.Read(0x29), 225);
  EXPECT_EQ(sim.Read(0x2A), 250);
}

TEST(SimulatedChipReadings, DutyAndDivisorChangeTheFanCount) {
  struct Step {
    uint8_t reg, value;
    int count;
  };
  // W83782D: pwm1 0x5B drives fan1 (4500 rpm at full duty); fan1's divisor code is 0x47 bits 5..4.
  const Step steps[] = {
      {0x5B, 0x00, 255},  // a quarter speed: 1125 rpm counts 600, more than 8 bits
      {0x5B, 0x80, 239},  // 4500 x (0.25 + 0.75 x 128/255) = 2819 rpm
      {0x5B, 0xFF, 150},
      {0x47, 0x60, 75},   // divisor 4
      {0x47, 0x40, 255},  // divisor 1 would count 300
  };
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  sim.SelectBank(0);
  for (const Step& s : steps) {
    SCOPED_TRACE(int(s.value));
    sim.Write(s.reg, s.value);
    EXPECT_EQ(sim.Read(0x28), s.count);
  }
  // The third divisor bit (0x5D bit 5) with code 01 gives divisor 32.
  sim.Write(0x47, 0x50);
  sim.Write(0x5D, 0x20);
  EXPECT_EQ(sim.Read(0x28), 9);  // 1350000 / (4500 x 32)
}

TEST(SimulatedChipReadings, ModelSpecificLayoutsReadBackAsTheProgramConvertsThem) {
  struct Case {
    const char* model;
    const char* extra;
    uint8_t bank, reg;
    int value;
  };
  const Case cases[] = {
      // The W83784R's counter runs at half the clock (the program halves its speeds).
      {"W83784R", "", 0, 0x28, 75},
      // The alternate parts have bank 0 only, as their descriptors say.
      {"W83785R", "", 1, 0x50, 0xFF},
      {"W83784R", "", 0, 0x5B, 0x00},
      // Two's complement temperatures: -5 C, and -0.5 C as 0xFF/0x80.
      {"W83782D", "[Inputs]\nTEMP1=-5\n", 0, 0x27, 0xFB},
      {"W83782D", "[Inputs]\nTEMP2=-0.5\n", 1, 0x50, 0xFF},
      {"W83782D", "[Inputs]\nTEMP2=-0.5\n", 1, 0x51, 0x80},
      // The W83781D's boards carry -12 V and -5 V through an inverting stage
      // of x-3.477 and x-1.505.
      {"W83781D_B", "", 0, 0x25, 215},  // 12 V / 3.477 / 16 mV
      {"W83781D_B", "", 0, 0x26, 207},  // 5 V / 1.505 / 16 mV
      {"W83781D_B", "[Inputs]\nIN5=0.567\n", 0, 0x25, 35},
      // The W83791D keeps everything in bank 0.
      {"W83791D_C", "", 0, 0xC0, 45},
      {"W83791D_C", "", 0, 0xC1, 0x80},
      {"W83791D_C", "", 0, 0xB0, 206},
      {"W83791D_C", "[Inputs]\nFAN4=2700\n", 0, 0xBA, 250},
      // With the core-voltage offset bit in0 reads the offset below its pin.
      {"W83791D_C", "VCoreOffset=1\n", 0, 0x0C, 1},
      {"W83791D_C", "VCoreOffset=1\n", 0, 0x20, 48},  // (1.50 - 0.718) / 0.016
      {"W83637HF", "VCoreOffset=1\n", 0, 0x20, 163},  // VRM9: (1.50 - 0.70) / 0.00488
      {"W83637HF", "", 0, 0x20, 93},
      // W83697HF: PWM duty registers 0x01 and 0x03 at full duty after power-on.
      {"W83697F", "", 0, 0x01, 0xFF},
      // Banks a part does not have read 0xFF.
      {"W83781D_B", "", 4, 0x59, 0xFF},
      {"W83791D_B", "", 1, 0x50, 0xFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " " + c.extra);
    CLoadedSimulator sim(ChipIni(c.model, c.extra));
    ASSERT_TRUE(sim.Loaded());
    EXPECT_EQ(sim.ReadBanked(c.bank, c.reg), c.value);
  }
}

// A limit is written, the input crosses it (changed through kelvane-simctl
// while the chip is in use), and the status bits follow: the real-time
// register with the reading, the latched one until it has been read.
TEST(SimulatedChipStatus, CrossedLimitsSetRealTimeAndLatchedStatusBits) {
  struct Register {
    uint8_t bank, reg, bit;
  };
  struct Case {
    const char* name;
    const char* model;
    Register limit;
    uint8_t limitValue;
    const char* outOfRange;
    const char* inRange;
    Register realtime;  // reg 0: the part has none
    Register latched;   // reg 0: the bit does not latch
  };
  const Case cases[] = {
      {"in0 above high", "W83782D", {0, 0x2B, 0}, 100, "IN0=1.70", "IN0=1.50", {4, 0x59, 0}, {0, 0x41, 0}},
      {"in3 below low", "W83627F", {0, 0x32, 0}, 180, "IN3=2.5", "IN3=2.976", {4, 0x59, 3}, {0, 0x41, 3}},
      {"fan2 stopped", "W83782D", {0, 0x3C, 0}, 240, "FAN2=0", "FAN2=3000", {4, 0x59, 7}, {0, 0x41, 7}},
      {"in8 below low", "W83791D_C", {0, 0xB7, 0}, 180, "IN8=2.5", "IN8=3.0", {0, 0xAB, 4}, {0, 0, 0}},
      {"in4 high, latched only", "W83781D_C", {0, 0x33, 0}, 210, "IN4=3.5", "IN4=3.0", {0, 0, 0}, {0, 0x42, 0}},
      {"in7 on 0xAB", "W83791D_C", {0, 0xB4, 0}, 220, "IN7=3.9", "IN7=3.3", {0, 0xAB, 3}, {0, 0, 0}},
      {"fan1 on 0xA9", "W83791D_C", {0, 0x3B, 0}, 200, "FAN1=0", "FAN1=4500", {0, 0xA9, 6}, {0, 0x41, 6}},
      {"temp3 shares bit 5", "W83781D_B", {2, 0x55, 0}, 40, "TEMP3=41", "TEMP3=20", {0, 0, 0}, {0, 0x41, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLoadedSimulator sim(ChipIni(c.model));
    ASSERT_TRUE(sim.Loaded());
    sim.WriteBanked(c.limit.bank, c.limit.reg, c.limitValue);
    auto realtimeBit = [&] { return (sim.ReadBanked(c.realtime.bank, c.realtime.reg) >> c.realtime.bit) & 1; };
    auto latchedBit = [&] { return (sim.ReadBanked(c.latched.bank, c.latched.reg) >> c.latched.bit) & 1; };
    if (c.realtime.reg) {
      EXPECT_EQ(realtimeBit(), 0);
    }
    if (c.latched.reg) {
      EXPECT_EQ(latchedBit(), 0);
    }

    ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", c.outOfRange}), 0);
    if (c.realtime.reg) {
      EXPECT_EQ(realtimeBit(), 1);
    }
    if (c.latched.reg) {
      EXPECT_EQ(latchedBit(), 1);
      EXPECT_EQ(latchedBit(), 1) << "a lasting alarm is seen at every read";
    }

    ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", c.inRange}), 0);
    if (c.realtime.reg) {
      EXPECT_EQ(realtimeBit(), 0);
    }
    if (c.latched.reg) {
      EXPECT_EQ(latchedBit(), 0) << "read while it lasted, and nothing since";
      // An alarm that came and went while nobody looked is kept until read.
      ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", c.outOfRange}), 0);
      ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", c.inRange}), 0);
      EXPECT_EQ(latchedBit(), 1);
      EXPECT_EQ(latchedBit(), 0) << "reading clears it";
    }
  }
}

TEST(SimulatedChipStatus, TemperatureAlarmSetsAboveOverAndClearsOnlyBelowHysteresis) {
  struct Step {
    const char* input;
    int alarm;
  };
  // temp1: over 50, hysteresis 45 (8-bit); temp2: over 50.5, hysteresis 45.0 (9-bit).
  const Step temp1[] = {{"TEMP1=50", 0}, {"TEMP1=51", 1}, {"TEMP1=47", 1}, {"TEMP1=45", 1}, {"TEMP1=44", 0}};
  const Step temp2[] = {{"TEMP2=50.5", 0}, {"TEMP2=51", 1}, {"TEMP2=45", 1}, {"TEMP2=44.5", 0}};
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  sim.WriteBanked(0, 0x39, 50);
  sim.WriteBanked(0, 0x3A, 45);
  sim.WriteBanked(1, 0x55, 50);
  sim.WriteBanked(1, 0x56, 0x80);
  sim.WriteBanked(1, 0x53, 45);
  sim.WriteBanked(1, 0x54, 0x00);
  for (const Step& s : temp1) {
    SCOPED_TRACE(s.input);
    ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", s.input}), 0);
    EXPECT_EQ((sim.ReadBanked(4, 0x59) >> 4) & 1, s.alarm);
  }
  for (const Step& s : temp2) {
    SCOPED_TRACE(s.input);
    ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", s.input}), 0);
    EXPECT_EQ((sim.ReadBanked(4, 0x59) >> 5) & 1, s.alarm);
  }
}

TEST(SimulatedChipControl, Writing0x80To0x40ResetsEveryRegisterToItsPowerOnValue) {
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  sim.Write(0x2B, 0x11);
  sim.Write(0x5B, 0x00);
  sim.Write(0x4E, 0x05);
  sim.Write(0x40, 0x80);
  EXPECT_EQ(sim.Read(0x4E), 0x80);
  EXPECT_EQ(sim.Read(0x40), 0x01);
  EXPECT_EQ(sim.Read(0x2B), 0xFF);
  EXPECT_EQ(sim.Read(0x5B), 0xFF);
  // With bit 0 of 0x40 clear the chip stops converting: readings hold.
  sim.Write(0x40, 0x00);
  ASSERT_EQ(sim.Simctl({"--dir", sim.Directory(), "set", "IN0=3.0"}), 0);
  EXPECT_EQ(sim.Read(0x20), 93);
  sim.Write(0x40, 0x01);
  EXPECT_EQ(sim.Read(0x20), 187);
}

TEST(SimulatedChipProcesses, TwoProcessesSeeTheSameRegisters) {
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  sim.Write(0x2B, 0x77);
  const pid_t child = ::fork();
  if (child == 0) {
    // The child reads what the parent wrote and writes a register of its own.
    int16_t error = 1;
    sim.outPort(kChipAddressPort, 0x2B, &error);
    const uint8_t seen = sim.inPort(kChipDataPort, &error);
    sim.outPort(kChipAddressPort, 0x2D, &error);
    sim.outPort(kChipDataPort, 0x42, &error);
    ::_exit(seen == 0x77 && error == 0 ? 0 : 1);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(sim.Read(0x2D), 0x42);
}

TEST(SimulatedChipFaults, BusErrorsFailExactlyTheFirstNAttemptsOfEveryPhase) {
  CLoadedSimulator sim("[Faults]\nBusErrors=3\nBusErrorCode=-7\n");
  ASSERT_TRUE(sim.Loaded());
  auto attempts = [](auto&& transfer) {
    std::vector<int16_t> codes;
    for (int i = 0; i < 5; ++i) {
      int16_t error = 99;
      transfer(&error);
      codes.push_back(error);
      if (error == 0) break;
    }
    return codes;
  };
  const std::vector<int16_t> expected = {-7, -7, -7, 0};
  uint8_t value = 0;
  // A read: the address phase, then the data phase, each failing three times.
  EXPECT_EQ(attempts([&](int16_t* e) { sim.outPort(kChipAddressPort, 0x58, e); }), expected);
  EXPECT_EQ(attempts([&](int16_t* e) { value = sim.inPort(kChipDataPort, e); }), expected);
  EXPECT_EQ(value, 0x30);
  // A write: address phase and data phase.
  EXPECT_EQ(attempts([&](int16_t* e) { sim.outPort(kChipAddressPort, 0x2B, e); }), expected);
  EXPECT_EQ(attempts([&](int16_t* e) { sim.outPort(kChipDataPort, 0x64, e); }), expected);
  // The next phase of the same kind starts counting again.
  EXPECT_EQ(attempts([&](int16_t* e) { sim.outPort(kChipAddressPort, 0x2B, e); }), expected);
  EXPECT_EQ(attempts([&](int16_t* e) { value = sim.inPort(kChipDataPort, e); }), expected);
  EXPECT_EQ(value, 0x64);
}

TEST(SimulatedChipFaults, AbsentChipFailedDriverAndStoppedFan) {
  {
    CLoadedSimulator sim("[Faults]\nNoChip=1\n");
    ASSERT_TRUE(sim.Loaded());
    EXPECT_EQ(sim.Read(0x4F), 0xFF);
    EXPECT_EQ(sim.Read(0x4C), 0xFF);
    EXPECT_EQ(sim.DetectChip(), -1);
  }
  {
    CLoadedSimulator sim("[Faults]\nDriverLoadFails=1\n");
    ASSERT_TRUE(sim.Loaded());
    EXPECT_NE(sim.loadDriver(), 0);
    EXPECT_NE(sim.initialBus(1, 0x5A, 0x92, 0x90), 0);
    int16_t error = 0;
    sim.inPort(kChipDataPort, &error);
    EXPECT_NE(error, 0);
  }
  {
    CLoadedSimulator sim("[Faults]\nStoppedFan=1,3\n");
    ASSERT_TRUE(sim.Loaded());
    EXPECT_EQ(sim.loadDriver(), 0);
    EXPECT_EQ(sim.Read(0x28), 255);
    EXPECT_EQ(sim.Read(0x29), 225);
    EXPECT_EQ(sim.Read(0x2A), 255);
  }
}

TEST(SimulatedChipState, DamagedStateFileIsRebuiltAndAnEditedIniReachesTheRunningChip) {
  CLoadedSimulator sim("[Inputs]\nIN0=1.0\n");
  ASSERT_TRUE(sim.Loaded());
  EXPECT_EQ(sim.Read(0x20), 62);
  for (const std::string& damage : {std::string(), std::string("short"), std::string(100000, '\xFF')}) {
    WriteWholeFile(sim.StatePath(), damage);
    EXPECT_EQ(sim.Read(0x58), 0x30) << damage.size();
    EXPECT_EQ(sim.Read(0x20), 62) << damage.size();
  }
  // A valid header over bytes that are no lock: the lock is built anew.
  {
    std::string state = ReadWholeFile(sim.StatePath());
    ASSERT_EQ(state.size(), sizeof(SimChipState));
    std::memset(state.data() + offsetof(SimChipState, lock), 0xFF, sizeof(SimChipState::lock));
    WriteWholeFile(sim.StatePath(), state);
    EXPECT_EQ(sim.Read(0x58), 0x30);
  }
  WriteWholeFile(sim.Directory() + "/simchip.ini", "[Inputs]\nIN0=2.0 ; edited\n");
  // simchip.ini is looked at a quarter of a second after the last look at
  // most: well within a program's tick.
  int reading = sim.Read(0x20);
  for (int i = 0; i < 20 && reading != 125; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    reading = sim.Read(0x20);
  }
  EXPECT_EQ(reading, 125);
}

TEST(SimulatedChipState, UnreadableOrHostileIniKeepsTheDefaults) {
  const std::string hostile = "[Inputs\nIN0=9999\nIN1=nan\nIN2=1e999\n=\n[Faults]\nNoChip=2\nBusErrors=-1\n" +
                              std::string(200000, 'x') + "\n[Inputs]\nIN3=1.0\n";
  CLoadedSimulator sim(hostile);
  ASSERT_TRUE(sim.Loaded());
  EXPECT_EQ(sim.DetectChip(), 0x30);
  EXPECT_EQ(sim.Read(0x20), 93);
  EXPECT_EQ(sim.Read(0x21), 75);
  EXPECT_EQ(sim.Read(0x22), 206);
  EXPECT_EQ(sim.Read(0x23), 186) << "past the size limit nothing is read";
}

TEST(SimulatedChipBus, BlockReadReachesTheChipAtItsBusAddressOnly) {
  CLoadedSimulator sim;
  ASSERT_TRUE(sim.Loaded());
  uint8_t buffer[3] = {};
  EXPECT_EQ(sim.blockRead(0x5A, 0x20, buffer, 3), 0);
  EXPECT_EQ(buffer[0], 93);
  EXPECT_EQ(buffer[2], 206);
  EXPECT_NE(sim.blockRead(0x5C, 0x20, buffer, 3), 0);
}

TEST(SimulatedChipFiles, AFifoOrDirectoryInPlaceOfItsFilesNeverBlocks) {
  {
    // A FIFO as simchip.ini reads as a missing file: the reference board.
    CLoadedSimulator sim;
    ASSERT_TRUE(sim.Loaded());
    ASSERT_EQ(::mkfifo((sim.Directory() + "/simchip.ini").c_str(), 0666), 0);
    EXPECT_GE(sim.DetectChip(), 0);
  }
  {
    // A directory as simchip.state: every transfer fails with error 2.
    CLoadedSimulator sim;
    ASSERT_TRUE(sim.Loaded());
    ASSERT_EQ(::mkdir(sim.StatePath().c_str(), 0777), 0);
    int16_t error = 0;
    sim.inPort(kChipAddressPort, &error);
    EXPECT_EQ(error, 2);
  }
}
