// The driver-owned chip as registers: what each register write puts into
// which attribute file and in which unit, what refuses, and how the chip
// copes with a real /sys (a driver going and coming back, garbage files,
// one read per attribute per tick).
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "accesslib/Wbcdflsh.h"
#include "accesslib/hwmon/CHwmonChip.h"
#include "support/CTempDir.h"
#include "tests/accesslib/CHwmonFixture.h"
#include "tests/accesslib/CLoadedSimulator.h"

namespace {

struct ChipOnTree {
  explicit ChipOnTree(const std::string& name, bool readOnly = false) : sysfs(dir.Path()) {
    sysfs.AddChip(name, 3);
    if (readOnly) sysfs.MakeReadOnly();
    EXPECT_TRUE(chip.Attach());
  }
  uint8_t Read(uint8_t bank, uint8_t reg) {
    uint8_t value = 0;
    EXPECT_TRUE(chip.WriteRegister(0x4E, bank));
    EXPECT_TRUE(chip.ReadRegister(reg, value)) << std::hex << int(bank) << ":" << int(reg);
    return value;
  }
  bool Write(uint8_t bank, uint8_t reg, uint8_t value) {
    EXPECT_TRUE(chip.WriteRegister(0x4E, bank));
    return chip.WriteRegister(reg, value);
  }
  // A new tick: every attribute is read again.
  void NextTick() { now += CHwmonChip::kAttributeLifetimeMs; }

  CTempDir dir;
  CHwmonFixture sysfs;
  int64_t now = 1000;
  CHwmonChip chip{dir.Path(), [this] { return now; }};
};

}  // namespace

TEST(HwmonChip, RegisterWritesLandInTheirAttributesInTheDriversUnits) {
  struct Case {
    const char* chip;
    uint8_t bank, reg, value;
    const char* attribute;
    const char* expected;
  };
  const Case cases[] = {
      {"w83627hf", 0, 0x2B, 100, "in0_max", "1600"},       // 16 mV steps
      {"w83627hf", 0, 0x38, 7, "in6_min", "112"},
      {"w83627hf", 5, 0x54, 200, "in7_max", "3200"},       // bank 5
      {"w83627hf", 0, 0x39, 0xFB, "temp1_max", "-5000"},   // 8-bit two's complement
      {"w83627hf", 1, 0x55, 0x50, "temp2_max", "80000"},   // 9-bit high byte
      {"w83627hf", 2, 0x53, 0xFF, "temp3_max_hyst", "-1000"},
      {"w83627hf", 0, 0x3B, 150, "fan1_min", "4500"},      // count at divisor 2
      {"w83627hf", 0, 0x3C, 255, "fan2_min", "0"},         // 255: no limit
      {"w83627hf", 0, 0x47, 0x70, "fan1_div", "8"},        // bits 5..4 = 3
      {"w83627hf", 0, 0x4B, 0x00, "fan3_div", "1"},        // bits 7..6 = 0
      {"w83627hf", 0, 0x5D, 0x21, "fan1_div", "32"},       // third bit in 0x5D bit 5
      {"w83627hf", 0, 0x5A, 100, "pwm1", "100"},
      {"w83627hf", 0, 0x5B, 7, "pwm2", "7"},
      {"w83627hf", 0, 0x56, 0x05, "beep_mask", "5"},
      // No beep_enable file: bit 15 of the mask is the global enable.
      {"w83627hf", 0, 0x57, 0x80, "beep_mask", "32768"},
      {"w83782d", 0, 0x57, 0x81, "beep_mask", "256"},
      {"w83782d", 0, 0x57, 0x80, "beep_enable", "1"},
      {"w83782d", 4, 0x53, 0x02, "beep_mask", "131072"},
      {"w83782d", 0, 0x5B, 33, "pwm1", "33"},
      {"w83697hf", 0, 0x03, 50, "pwm2", "50"},
      {"w83791d", 0, 0xB4, 10, "in7_max", "160"},
      {"w83791d", 0, 0xC5, 0x30, "temp2_max", "48000"},
      {"w83791d", 0, 0xC6, 0x80, "temp2_max", "70500"},    // 9-bit low bit: half degree
      {"w83791d", 0, 0xBC, 100, "fan4_min", "6750"},
      {"w83791d", 0, 0x5C, 0x12, "fan4_div", "4"},         // fan4 bits 2..0
      {"w83791d", 0, 0x5C, 0x32, "fan5_div", "8"},         // fan5 bits 6..4
      {"w83791d", 0, 0xA1, 9, "pwm5", "9"},
      {"w83781d", 0, 0x47, 0xF0, "fan2_div", "8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.chip) + " " + c.attribute);
    ChipOnTree tree(c.chip);
    ASSERT_TRUE(tree.Write(c.bank, c.reg, c.value));
    EXPECT_EQ(tree.sysfs.Get(c.attribute), c.expected);
    // Read back as the register it was written as.
    tree.NextTick();
    EXPECT_EQ(tree.Read(c.bank, c.reg), c.value);
  }
}

TEST(HwmonChip, PresentsIdentificationReadingsAndStatusAsTheChipsRegisters) {
  ChipOnTree tree("w83791d");
  // Vendor value 0x5CA3 through 0x4F with bit 7 of 0x4E, identification 0x71.
  EXPECT_EQ(tree.Read(0x80, 0x4F), 0x5C);
  EXPECT_EQ(tree.Read(0x00, 0x4F), 0xA3);
  EXPECT_EQ(tree.Read(0, 0x58), 0x71);
  tree.sysfs.Set("in7_input", 3305);
  tree.sysfs.Set("temp2_input", -500);
  tree.sysfs.Set("fan4_input", 2700);
  tree.sysfs.Set("fan5_input", 0);
  // Status bits in the driver's order: in7 at alarm bit 19, temp3 at 13.
  tree.sysfs.Set("alarms", (1 << 19) | (1 << 13));
  tree.NextTick();
  EXPECT_EQ(tree.Read(0, 0xB0), 207);            // 3305 mV, 16 mV steps, rounded
  EXPECT_EQ(tree.Read(0, 0xC0), 0xFF);           // -0.5 C: 0xFF / 0x80
  EXPECT_EQ(tree.Read(0, 0xC1) & 0x80, 0x80);
  EXPECT_EQ(tree.Read(0, 0xBA), 250);            // 1350000 / (2700 x 2)
  EXPECT_EQ(tree.Read(0, 0xBB), 255);            // a stopped fan
  EXPECT_EQ(tree.Read(0, 0xAA), 0x20);
  EXPECT_EQ(tree.Read(0, 0xAB), 0x08);
  // Registers without an attribute: kept here, never in a file.
  EXPECT_TRUE(tree.Write(0, 0x40, 0x81));
  EXPECT_EQ(tree.Read(0, 0x40), 0x01);
  EXPECT_TRUE(tree.Write(0, 0x4C, 0x18));
  EXPECT_EQ(tree.Read(0, 0x4C), 0x18);
}

TEST(HwmonChip, TheW83637HFCoreReadsInVrm9StepsWhenItsDriverReportsThem) {
  ChipOnTree tree("w83637hf");
  tree.sysfs.Set("in0_input", 1500);  // no whole number of 16 mV steps
  tree.NextTick();
  EXPECT_EQ(tree.Read(0, 0x20), 164);  // (1500 - 700) / 4.88
  EXPECT_EQ(tree.Read(0, 0x18) & 0x01, 0x01);
  ASSERT_TRUE(tree.Write(0, 0x2B, 200));
  EXPECT_EQ(tree.sysfs.Get("in0_max"), "1676");
}

TEST(HwmonChip, WritesWithoutAnAttributeOrRefusedByTheDriverFail) {
  ChipOnTree tree("w83627hf");
  ::chmod(tree.sysfs.Path("in1_max").c_str(), 0444);
  EXPECT_FALSE(tree.Write(0, 0x2D, 100));           // refused: no write bit
  EXPECT_NE(tree.sysfs.Get("in1_max"), "1600");
  EXPECT_FALSE(tree.Write(0, 0x20, 1));             // a reading
  EXPECT_FALSE(tree.Write(4, 0x59, 0));             // a status register
  EXPECT_FALSE(tree.Write(0, 0x58, 0x30));          // the identification
  std::filesystem::remove(tree.sysfs.Path("pwm2"));
  EXPECT_FALSE(tree.Write(0, 0x5B, 10));            // no attribute
  uint8_t value = 0;
  EXPECT_FALSE(tree.chip.ReadRegister(0x5B, value));
  EXPECT_EQ(tree.chip.CurrentState(), CHwmonChip::State::kDriven);
}

TEST(HwmonChip, DutyWritesSwitchTheFanToManualModeFirst) {
  ChipOnTree tree("w83697hf");
  tree.sysfs.Set("pwm1_enable", 2);  // thermal cruise
  ASSERT_TRUE(tree.Write(0, 0x01, 80));
  EXPECT_EQ(tree.sysfs.Get("pwm1_enable"), "1");
  EXPECT_EQ(tree.sysfs.Get("pwm1"), "80");
  // What a restore puts back: each attribute as first found.
  const auto& changed = tree.chip.ChangedAttributes();
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0].attribute, "pwm1_enable");
  EXPECT_EQ(changed[0].value, 2);
  EXPECT_EQ(changed[1].attribute, "pwm1");
  EXPECT_EQ(changed[1].value, 255);
}

TEST(HwmonChip, ReadOnlyKeepsItsOwnLimitsAndComputesTheStatusFromThem) {
  ChipOnTree tree("w83627hf", true);
  EXPECT_EQ(tree.chip.CurrentState(), CHwmonChip::State::kReadOnly);
  // in0 reads 1200 mV (75); the driver's limits 896..1504 hold it.
  EXPECT_EQ(tree.Read(0, 0x20), 75);
  EXPECT_EQ(tree.Read(0, 0x2B), 94);
  EXPECT_EQ(tree.Read(4, 0x59) & 0x01, 0);
  // The program's limit below the reading: an alarm of its own, no file changed.
  ASSERT_TRUE(tree.Write(0, 0x2B, 70));
  EXPECT_EQ(tree.Read(0, 0x2B), 70);
  EXPECT_EQ(tree.sysfs.Get("in0_max"), "1504");
  EXPECT_EQ(tree.Read(4, 0x59) & 0x01, 0x01);
  // temp1 (34 C) over a 30 C limit raises its alarm, which stays until the
  // reading falls below the hysteresis.
  ASSERT_TRUE(tree.Write(0, 0x39, 30));
  ASSERT_TRUE(tree.Write(0, 0x3A, 20));
  EXPECT_EQ(tree.Read(4, 0x59) & 0x10, 0x10);
  tree.sysfs.Set("temp1_input", 25000);
  tree.NextTick();
  EXPECT_EQ(tree.Read(4, 0x59) & 0x10, 0x10);
  tree.sysfs.Set("temp1_input", 19000);
  tree.NextTick();
  EXPECT_EQ(tree.Read(4, 0x59) & 0x10, 0);
  // A divisor of its own: counts presented at it; beep bits kept here.
  ASSERT_TRUE(tree.Write(0, 0x47, 0x70));
  EXPECT_EQ(tree.Read(0, 0x28), 38);  // 4500 rpm at divisor 8
  EXPECT_EQ(tree.sysfs.Get("fan1_div"), "2");
  ASSERT_TRUE(tree.Write(0, 0x56, 0xFF));
  EXPECT_EQ(tree.Read(0, 0x56), 0xFF);
  EXPECT_EQ(tree.sysfs.Get("beep_mask"), "0");
  // The fans are not driven.
  EXPECT_FALSE(tree.Write(0, 0x5A, 10));
  EXPECT_EQ(tree.sysfs.Get("pwm1"), "255");
  EXPECT_TRUE(tree.chip.ChangedAttributes().empty());
}

TEST(HwmonChip, ReadsEachAttributeOncePerTick) {
  ChipOnTree tree("w83782d");
  EXPECT_EQ(tree.Read(0, 0x20), 75);
  tree.sysfs.Set("in0_input", 1600);
  tree.now += CHwmonChip::kAttributeLifetimeMs - 1;
  EXPECT_EQ(tree.Read(0, 0x20), 75);
  tree.now += 1;
  EXPECT_EQ(tree.Read(0, 0x20), 100);
}

TEST(HwmonChip, GarbageHugeAndSpecialAttributeFilesAreFailedTransfers) {
  ChipOnTree tree("w83782d");
  tree.sysfs.SetText("in0_input", "12abc\n");
  tree.sysfs.SetText("in1_input", std::string(1 << 20, '1'));
  tree.sysfs.SetText("in2_input", "\n");
  tree.sysfs.SetText("in3_input", "99999999999999999999999\n");
  std::filesystem::remove(tree.sysfs.Path("in4_input"));
  ASSERT_EQ(::mkfifo(tree.sysfs.Path("in4_input").c_str(), 0644), 0);
  std::filesystem::remove(tree.sysfs.Path("in5_input"));
  std::filesystem::create_directory(tree.sysfs.Path("in5_input"));
  tree.sysfs.SetText("in6_input", "  1504 \n");
  tree.NextTick();
  for (uint8_t reg = 0x20; reg <= 0x25; ++reg) {
    uint8_t value = 0;
    EXPECT_FALSE(tree.chip.ReadRegister(reg, value)) << std::hex << int(reg);
  }
  EXPECT_EQ(tree.Read(0, 0x26), 94);
  EXPECT_EQ(tree.chip.CurrentState(), CHwmonChip::State::kDriven);
}

TEST(HwmonChip, ADriverUnloadedMidRunFailsTransfersAndRecoversUnderItsNewNumber) {
  ChipOnTree tree("w83627hf");
  EXPECT_EQ(tree.Read(0, 0x20), 75);
  tree.sysfs.UnloadDriver("w83627hf");
  tree.NextTick();
  uint8_t value = 0;
  // No value kept from before the driver went.
  EXPECT_FALSE(tree.chip.ReadRegister(0x20, value));
  EXPECT_FALSE(tree.chip.WriteRegister(0x2B, 1));
  EXPECT_EQ(tree.chip.CurrentState(), CHwmonChip::State::kDriverGone);
  tree.sysfs.LoadDriver("w83627hf", 9);
  tree.sysfs.Set("in0_input", 1600);
  tree.NextTick();
  EXPECT_EQ(tree.chip.CurrentState(), CHwmonChip::State::kDriven);
  EXPECT_EQ(tree.chip.Chip().hwmonEntry, "hwmon9");
  EXPECT_EQ(tree.Read(0, 0x20), 100);
}

TEST(HwmonChip, AttachesOnlyToASupportedChipBoundToItsDriver) {
  CTempDir dir;
  CHwmonFixture sysfs(dir.Path());
  sysfs.AddChip("coretemp", 0, CHwmonFixture::Layout::kInHwmonDirectory);
  CHwmonChip chip(dir.Path());
  EXPECT_FALSE(chip.Attach());
  EXPECT_EQ(chip.CurrentState(), CHwmonChip::State::kNoChip);
  uint8_t value = 0;
  EXPECT_FALSE(chip.ReadRegister(0x58, value));
  // The newer layout: attributes in hwmonN itself.
  sysfs.AddChip("w83627hf", 1, CHwmonFixture::Layout::kInHwmonDirectory);
  ASSERT_TRUE(chip.Attach());
  EXPECT_TRUE(chip.ReadRegister(0x58, value));
  EXPECT_EQ(value, 0x21);
}

// The built library over a tree named by KELVANE_SYSFS_ROOT: the engine's
// detection finds the chip, and ReturnChipSetType tells how it may drive it.
TEST(HwmonChip, TheHwmonBuildTellsTheProgramWhoOwnsTheChip) {
  struct Case {
    bool chip, readOnly;
    int16_t load, type;
  };
  for (const Case c : {Case{true, false, 0, kChipSetDriverOwned}, Case{true, true, 0, kChipSetDriverOwnedReadOnly},
                       Case{false, false, 3, kChipSetNoDriverChip}}) {
    SCOPED_TRACE(c.type);
    CTempDir dir, program;
    CHwmonFixture sysfs(dir.Path());
    if (c.chip) sysfs.AddChip("w83782d", 0);
    if (c.readOnly) sysfs.MakeReadOnly();
    // A private copy: each load gets a fresh library.
    std::filesystem::copy_file(CLoadedSimulator::ProgramDirectory() + "/hwmon/libWbcdflsh.so",
                               program.File("libWbcdflsh.so"));
    ::setenv("KELVANE_SYSFS_ROOT", dir.Path().c_str(), 1);
    void* handle = ::dlopen(program.File("libWbcdflsh.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    auto load = reinterpret_cast<LoadWBCDFlshVxDFn>(::dlsym(handle, "LoadWBCDFlshVxD"));
    auto type = reinterpret_cast<ReturnChipSetTypeFn>(::dlsym(handle, "ReturnChipSetType"));
    auto in = reinterpret_cast<InPortBFn>(::dlsym(handle, "InPortB"));
    auto out = reinterpret_cast<OutPortBFn>(::dlsym(handle, "OutPortB"));
    EXPECT_EQ(load(), c.load);
    ::unsetenv("KELVANE_SYSFS_ROOT");
    EXPECT_EQ(type(), c.type);
    int16_t error = -1;
    out(kChipAddressPort, 0x58, &error);
    const uint8_t id = in(kChipDataPort, &error);
    if (c.chip) {
      EXPECT_EQ(error, 0);
      EXPECT_EQ(id, 0x30);
    } else {
      EXPECT_NE(error, 0);
    }
    in(0x2E, &error);
    EXPECT_NE(error, 0);
    ::dlclose(handle);
  }
}
