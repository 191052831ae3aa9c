// The hwmon chips under a sysfs root: found by name and device, whatever
// their number, with the driver bound to them and whether Kelvane reads them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "accesslib/hwmon/CHwmonScanner.h"
#include "accesslib/hwmon/HwmonDrivers.h"
#include "support/CTempDir.h"
#include "tests/accesslib/CHwmonFixture.h"

TEST(HwmonScanner, ListsEveryChipWithItsDeviceDriverAndSupport) {
  CTempDir dir;
  CHwmonFixture sysfs(dir.Path());
  sysfs.AddChip("coretemp", 0, CHwmonFixture::Layout::kInHwmonDirectory);
  sysfs.AddChip("w83627hf", 3);
  CHwmonScanner scanner(dir.Path() + "/");
  const std::vector<HwmonChipInfo> chips = scanner.Scan();
  ASSERT_EQ(chips.size(), 2u);
  // Ordered by device path: the virtual device after the platform one.
  EXPECT_EQ(chips[0].name, "w83627hf");
  EXPECT_EQ(chips[0].hwmonEntry, "hwmon3");
  EXPECT_EQ(chips[0].devicePath, "/devices/platform/w83627hf.656");
  EXPECT_EQ(chips[0].attributeDirectory, dir.Path() + "/class/hwmon/hwmon3/device");
  EXPECT_EQ(chips[0].driver, "w83627hf");
  ASSERT_TRUE(chips[0].Supported());
  EXPECT_EQ(chips[0].model->part, "W83627HF");
  EXPECT_EQ(chips[0].model->chipId, 0x21);
  EXPECT_EQ(chips[1].name, "coretemp");
  EXPECT_EQ(chips[1].attributeDirectory, dir.Path() + "/class/hwmon/hwmon0");
  EXPECT_FALSE(chips[1].Supported());
}

TEST(HwmonScanner, EveryDriverModelIsSupportedAndFoundByNameAndDeviceAcrossRenumbering) {
  for (const HwmonDriverModel& model : HwmonDriverModels()) {
    SCOPED_TRACE(std::string(model.hwmonName));
    CTempDir dir;
    CHwmonFixture sysfs(dir.Path());
    const std::string name(model.hwmonName);
    sysfs.AddChip(name, 1);
    const std::string device = CHwmonFixture::DevicePath(name);
    CHwmonScanner scanner(dir.Path());
    auto found = scanner.Find(name, device);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->driver, model.driver);
    EXPECT_EQ(found->model, &model);
    EXPECT_EQ(found->hwmonEntry, "hwmon1");

    sysfs.UnloadDriver(name);
    EXPECT_FALSE(scanner.Find(name, device));
    EXPECT_FALSE(scanner.FirstSupported());
    sysfs.LoadDriver(name, 7);
    found = scanner.Find(name, device);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->hwmonEntry, "hwmon7");
    EXPECT_EQ(scanner.FirstSupported()->hwmonEntry, "hwmon7");
  }
}

TEST(HwmonScanner, SkipsEntriesWithoutAReadableNameAndChipsOfAnotherDriver) {
  CTempDir dir;
  CHwmonFixture sysfs(dir.Path());
  sysfs.AddChip("w83791d", 0);
  // A name a supported driver uses, bound to another driver: not that chip.
  std::filesystem::remove(dir.Path() + "/devices/pci0000:00/0000:00:1f.3/i2c-0/0-002c/driver");
  std::filesystem::create_directories(dir.Path() + "/bus/i2c/drivers/other");
  std::filesystem::create_symlink("../../../../../bus/i2c/drivers/other",
                                  dir.Path() + "/devices/pci0000:00/0000:00:1f.3/i2c-0/0-002c/driver");
  std::filesystem::create_directories(dir.Path() + "/class/hwmon/hwmon5");
  CTempDir::Write(dir.Path() + "/class/hwmon/hwmon5/name", std::string(200, 'x'));
  std::filesystem::create_directories(dir.Path() + "/class/hwmon/hwmonX");
  CTempDir::Write(dir.Path() + "/class/hwmon/hwmonX/name", "w83627hf\n");
  const auto chips = CHwmonScanner(dir.Path()).Scan();
  ASSERT_EQ(chips.size(), 1u);
  EXPECT_EQ(chips[0].driver, "other");
  EXPECT_FALSE(chips[0].Supported());
  EXPECT_TRUE(CHwmonScanner(dir.Path() + "/missing").Scan().empty());
}

TEST(HwmonScanner, RootComesFromTheEnvironment) {
  ::unsetenv(CHwmonScanner::kRootVariable);
  EXPECT_EQ(CHwmonScanner::RootFromEnvironment(), "/sys");
  ::setenv(CHwmonScanner::kRootVariable, "/tmp/recorded", 1);
  EXPECT_EQ(CHwmonScanner::RootFromEnvironment(), "/tmp/recorded");
  ::unsetenv(CHwmonScanner::kRootVariable);
}
