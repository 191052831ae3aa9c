// The engine over the hwmon build of the access library, on a sysfs tree
// laid out as each driver lays it out, against the engine over the chip
// simulator given the same physical inputs: the same readings, limits and
// alarm states, for every supported driver and model.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "SimulatorProgram.h"
#include "accesslib/SimChipConversions.h"
#include "accesslib/Wbcdflsh.h"
#include "accesslib/hwmon/CHwmonChip.h"
#include "accesslib/hwmon/CHwmonScanner.h"
#include "engine/CSmartFanItem.h"
#include "tests/accesslib/CHwmonFixture.h"

namespace fs = std::filesystem;

namespace {

struct ModelCase {
  const char* hwmonName;
  const char* simulatorModel;
  bool vrm9;
};

constexpr ModelCase kModels[] = {
    {"w83781d", "W83781D_C", false}, {"w83782d", "W83782D", false},  {"w83783s", "W83783S", false},
    {"w83627hf", "W83627F", false},  {"w83697hf", "W83697F", false},  {"w83637hf", "W83637HF", false},
    {"w83637hf", "W83637HF", true},  {"w83791d", "W83791D_C", false},
};

// Pin voltages a quarter step above a register step, so that truncation
// and rounding agree; IN1 reads far below any limit.
double PinVolts(int input) { return input == 1 ? 0.004 : (60 + 17 * input + 0.25) * 0.016; }
// TEMP1 above its limit; TEMP2 above Smart Fan's top (the CPU fan runs at
// full duty whatever drives it).
constexpr double kCelsius[3] = {95.2, 75.7, 35.2};
// FAN2 stands still.
constexpr double kFullRpm[5] = {4500, 0, 2700, 3000, 0};

std::string SimulatorInputs() {
  std::string inputs;
  for (int i = 0; i < 10; ++i) inputs += "IN" + std::to_string(i) + "=" + std::to_string(PinVolts(i)) + "\n";
  for (int i = 0; i < 3; ++i) inputs += "TEMP" + std::to_string(i + 1) + "=" + std::to_string(kCelsius[i]) + "\n";
  for (int i = 0; i < 5; ++i) inputs += "FAN" + std::to_string(i + 1) + "=" + std::to_string(kFullRpm[i]) + "\n";
  return inputs;
}

// What the driver reports for the same inputs: whole register steps in its
// units, fans from the count the chip latches at the divisor it has.
void WriteKernelReadings(const CHwmonFixture& sysfs, const ModelCase& model, const std::array<uint8_t, 5>& duty) {
  for (int i = 0; i < 10; ++i) {
    const std::string name = "in" + std::to_string(i) + "_input";
    if (!sysfs.Has(name)) continue;
    if (i == 0 && model.vrm9) {
      const uint8_t reg = VoltageToRegister(PinVolts(0) - 0.7, 0.00488);
      sysfs.Set(name, std::lround(reg * 4.88 + 700));
    } else {
      sysfs.Set(name, VoltageToRegister(PinVolts(i)) * 16);
    }
  }
  for (int i = 0; i < 3; ++i) {
    const std::string name = "temp" + std::to_string(i + 1) + "_input";
    if (!sysfs.Has(name)) continue;
    // temp1 is whole degrees, temp2 and temp3 half degrees.
    sysfs.Set(name, i == 0 ? static_cast<int64_t>(std::floor(kCelsius[i])) * 1000
                           : static_cast<int64_t>(std::floor(kCelsius[i] * 2)) * 500);
  }
  for (int i = 0; i < 5; ++i) {
    const std::string fan = "fan" + std::to_string(i + 1);
    if (!sysfs.Has(fan + "_input")) continue;
    const unsigned divisor = static_cast<unsigned>(std::stoi(sysfs.Get(fan + "_div")));
    const uint8_t count = FanCount(FanRpmAtDuty(kFullRpm[i], duty[i]), divisor, 1);
    sysfs.Set(fan + "_input", count == 255 ? 0 : 1350000 / (count * divisor));
  }
}

class HwmonEngine : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv(CHwmonScanner::kRootVariable, m_root.Path().c_str(), 1); }
  void TearDown() override { ::unsetenv(CHwmonScanner::kRootVariable); }

  // A program directory whose libWbcdflsh.so is the hwmon build.
  static void UseHwmonBuild(SimulatorProgram& program) {
    fs::copy_file(BuildProgramDirectory() + "/hwmon/libWbcdflsh.so", program.Directory() + "/libWbcdflsh.so",
                  fs::copy_options::overwrite_existing);
  }

  CTempDir m_root;
};

// The duty each fan runs at in the simulator (255 where none is written).
std::array<uint8_t, 5> Duties(CHardwareMonitor& engine) {
  std::array<uint8_t, 5> duty{255, 255, 255, 255, 255};
  for (int i = 0; i < 5; ++i) {
    CSmartFanItem* fan = engine.Fan(i);
    if (fan && fan->IsPresent() && fan->IsDutyCycleDefined() && fan->DutyCycleField().IsPresent()) {
      duty[i] = static_cast<uint8_t>(fan->DutyCycleField().Read());
    }
  }
  return duty;
}

void ExpectSameReadings(CHardwareMonitor& simulated, CHardwareMonitor& hwmon) {
  int alarms = 0;
  for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
    const CSensorItem* a = simulated.Item(i);
    const CSensorItem* b = hwmon.Item(i);
    SCOPED_TRACE(a->Name());
    ASSERT_EQ(a->IsPresent(), b->IsPresent());
    if (!a->IsPresent() || !a->IsEnabled()) continue;
    // Within one register step: one fan value, and no step at all for the
    // inputs given a quarter step above one.
    EXPECT_NEAR(a->Value(), b->Value(), i >= 13 ? 1.0 : 1e-6);
    EXPECT_EQ(a->IsOutOfRange(), b->IsOutOfRange());
    alarms += a->IsOutOfRange();
    if (a->HiLimitField().IsPresent()) {
      EXPECT_EQ(a->HiLimitField().Read(), b->HiLimitField().Read());
    }
    if (a->LoLimitField().IsPresent()) {
      EXPECT_EQ(a->LoLimitField().Read(), b->LoLimitField().Read());
    }
  }
  // The inputs put some items out of range on every model.
  EXPECT_GE(alarms, 2);
}

}  // namespace

// Read-only beside the driver (a plain user): the limits are the engine's,
// kept in the library, and the alarms it reports are computed against them.
TEST_F(HwmonEngine, EveryModelReadsAsTheSimulatorDoesWithItsOwnLimitsWhenReadOnly) {
  for (const ModelCase& model : kModels) {
    SCOPED_TRACE(std::string(model.hwmonName) + (model.vrm9 ? " in VRM9 mode" : ""));
    fs::remove_all(m_root.Path() + "/devices");
    fs::remove_all(m_root.Path() + "/class");
    CHwmonFixture sysfs(m_root.Path());
    sysfs.AddChip(model.hwmonName, 4);
    WriteKernelReadings(sysfs, model, {255, 255, 255, 255, 255});
    sysfs.MakeReadOnly();
    const std::string before = sysfs.Get("in0_max") + sysfs.Get("temp1_max") + sysfs.Get("fan1_div");

    SimulatorProgram simulator(model.simulatorModel, model.vrm9 ? "VCoreOffset=1" : "", SimulatorInputs());
    SimulatorProgram program(model.simulatorModel);
    UseHwmonBuild(program);
    bool simulatorStarted = false, hwmonStarted = false;
    auto simulated = simulator.StartEngine(&simulatorStarted);
    auto hwmon = program.StartEngine(&hwmonStarted);
    ASSERT_TRUE(simulatorStarted);
    ASSERT_TRUE(hwmonStarted);
    simulated->UpdateAll();
    hwmon->UpdateAll();
    ExpectSameReadings(*simulated, *hwmon);
    // Nothing reached the chip.
    EXPECT_EQ(sysfs.Get("in0_max") + sysfs.Get("temp1_max") + sysfs.Get("fan1_div"), before);
  }
}

// Beside the driver as root: the limits and divisors the engine sets are
// written to the driver, and the driver's alarms are what it reports.
TEST_F(HwmonEngine, EveryModelReadsAsTheSimulatorDoesThroughTheDriversLimits) {
  for (const ModelCase& model : kModels) {
    SCOPED_TRACE(std::string(model.hwmonName) + (model.vrm9 ? " in VRM9 mode" : ""));
    fs::remove_all(m_root.Path() + "/devices");
    fs::remove_all(m_root.Path() + "/class");
    CHwmonFixture sysfs(m_root.Path());
    sysfs.AddChip(model.hwmonName, 2);
    WriteKernelReadings(sysfs, model, {255, 255, 255, 255, 255});

    SimulatorProgram simulator(model.simulatorModel, model.vrm9 ? "VCoreOffset=1" : "", SimulatorInputs());
    SimulatorProgram program(model.simulatorModel);
    UseHwmonBuild(program);
    auto simulated = simulator.StartEngine();
    auto hwmon = program.StartEngine();
    simulated->UpdateAll();
    // The driver computes its alarms from the limits it was given; here the
    // simulator's status stands for the chip's.
    int64_t alarms = 0;
    const std::array<uint8_t, 5> duty = Duties(*simulated);
    CMonitorChip& chip = simulated->Chip();
    const bool realtime = std::string(model.hwmonName) != "w83781d";
    const bool w83791d = std::string(model.hwmonName) == "w83791d";
    for (int k = 0; k < 3; ++k) {
      const uint8_t byte = w83791d    ? chip.ReadRegister(static_cast<uint8_t>(0xA9 + k))
                           : realtime ? chip.ReadBankedRegister(4, static_cast<uint8_t>(0x59 + k))
                           : k < 2    ? chip.ReadRegister(static_cast<uint8_t>(0x41 + k))
                                      : 0;
      alarms |= int64_t{byte} << (8 * k);
    }
    sysfs.Set("alarms", alarms);
    WriteKernelReadings(sysfs, model, duty);
    // A new tick reads the driver's files again.
    std::this_thread::sleep_for(std::chrono::milliseconds(CHwmonChip::kAttributeLifetimeMs + 50));
    simulated->UpdateAll();
    hwmon->UpdateAll();
    ExpectSameReadings(*simulated, *hwmon);
    // The engine's divisor for the CPU fan (8) reached the driver.
    EXPECT_EQ(sysfs.Get("fan1_div"), "8");
  }
}
