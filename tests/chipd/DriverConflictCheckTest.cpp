// The owner checks on fixture trees of /proc and /sys.
#include <filesystem>

#include <gtest/gtest.h>

#include "support/CTempDir.h"
#include "tools/kelvane-chipd/CDriverConflictCheck.h"

namespace fs = std::filesystem;

namespace {

struct Tree {
    CTempDir dir;
    void File(const std::string& path, const std::string& text) {
        fs::create_directories(fs::path(dir.Path() + path).parent_path());
        CTempDir::Write(dir.Path() + path, text);
    }
};

const char* const kIoports =
    "0000-0cf7 : PCI Bus 0000:00\n"
    "  0290-0297 : pnp 00:0a\n"
    "  03f8-03ff : serial\n";

}  // namespace

TEST(DriverConflictCheck, NamesThePortOwnerAndTheWayAroundIt) {
    struct Case {
        const char* what;
        std::string ioports;
        std::string hwmonName;
        bool conflict;
        std::string owner;
        std::string hint;
    };
    const Case cases[] = {
        {"nothing bound", kIoports, "coretemp", false, "", ""},
        {"driver region on the two ports", std::string(kIoports) + "    0295-0296 : w83627hf\n", "", true,
         "w83627hf", "set Backend=hwmon"},
        {"driver region on the whole block", std::string(kIoports) + "    0290-0297 : w83781d\n", "", true,
         "w83781d", "set Backend=hwmon"},
        // A driver of the family whose files the service cannot read.
        {"unsupported driver region", std::string(kIoports) + "    0295-0296 : w83627ehf\n", "", true,
         "w83627ehf", "modprobe -r w83627ehf"},
        {"driver region elsewhere", std::string(kIoports) + "    0a10-0a11 : w83627hf\n", "", false, "", ""},
        {"ACPI claim", std::string(kIoports) + "    0295-0296 : ACPI OpRegion HWM\n", "", true,
         "ACPI OpRegion HWM", "ACPI firmware"},
        {"bound hwmon driver only", kIoports, "w83791d", true, "w83791d", "set Backend=hwmon"},
        // A model's hwmon name stands for its driver.
        {"bound hwmon model only", kIoports, "w83782d", true, "w83781d", "set Backend=hwmon"},
        {"no /proc/ioports at all", "", "", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree tree;
        if (!c.ioports.empty()) tree.File("/proc/ioports", c.ioports);
        if (!c.hwmonName.empty()) tree.File("/sys/class/hwmon/hwmon3/name", c.hwmonName + "\n");
        const CDriverConflictCheck::CConflict conflict = CDriverConflictCheck(tree.dir.Path()).CheckPorts(0x290);
        EXPECT_EQ(conflict.found, c.conflict);
        EXPECT_EQ(conflict.owner, c.owner);
        EXPECT_NE(conflict.message.find(c.hint), std::string::npos) << conflict.message;
    }
}

TEST(DriverConflictCheck, SmbusClientAtTheChipsAddressOwnsIt) {
    Tree tree;
    tree.File("/sys/bus/i2c/devices/0-002d/name", "w83791d\n");
    tree.File("/sys/bus/i2c/devices/0-0050/name", "eeprom\n");
    const CDriverConflictCheck check(tree.dir.Path());
    const CDriverConflictCheck::CConflict bound = check.CheckSmbus(0, 0x2D);
    EXPECT_TRUE(bound.found);
    EXPECT_NE(bound.message.find("set Backend=hwmon"), std::string::npos) << bound.message;
    EXPECT_FALSE(check.CheckSmbus(0, 0x2E).found);
    EXPECT_FALSE(check.CheckSmbus(1, 0x2D).found);
}

TEST(DriverConflictCheck, ASysfsRootOfItsOwnReplacesTheOneUnderTheRoot) {
    Tree tree;
    Tree sysfs;
    tree.File("/proc/ioports", kIoports);
    tree.File("/sys/class/hwmon/hwmon0/name", "coretemp\n");
    sysfs.File("/class/hwmon/hwmon5/name", "w83627hf\n");
    EXPECT_FALSE(CDriverConflictCheck(tree.dir.Path()).CheckPorts(0x290).found);
    const CDriverConflictCheck::CConflict conflict = CDriverConflictCheck(tree.dir.Path(), sysfs.dir.Path()).CheckPorts(0x290);
    EXPECT_TRUE(conflict.found);
    EXPECT_EQ(conflict.owner, "w83627hf");
}
