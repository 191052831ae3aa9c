#include "tools/kelvane-chipd/CDriverConflictCheck.h"

#include "platform/CIoPortClaims.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "accesslib/hwmon/HwmonDrivers.h"

namespace fs = std::filesystem;

namespace {

// The first line of a small sysfs file, without its line break; at most
// 256 bytes are read.
std::string FirstLine(const fs::path& path) {
    std::ifstream file(path);
    std::string line;
    if (!file) return line;
    char buffer[257] = {};
    file.read(buffer, 256);
    line.assign(buffer, static_cast<size_t>(file.gcount()));
    const size_t end = line.find_first_of("\r\n");
    if (end != std::string::npos) line.resize(end);
    return line;
}

CDriverConflictCheck::CConflict DriverConflict(const std::string& driver, const std::string& where) {
    CDriverConflictCheck::CConflict conflict;
    conflict.found = true;
    conflict.owner = driver;
    // A driver whose files the hwmon backend reads needs no unloading.
    bool throughFiles = false;
    for (const HwmonDriverModel& model : HwmonDriverModels()) throughFiles = throughFiles || model.driver == driver;
    conflict.message = "the kernel driver " + driver + " owns the chip (" + where + "); " +
                       (throughFiles ? "set Backend=hwmon to drive it through the driver's files"
                                     : "free it with `modprobe -r " + driver + "`") +
                       ", or set ShareReadOnly=1 to read beside it";
    return conflict;
}

}  // namespace

bool CDriverConflictCheck::IsChipDriver(const std::string& name) { return CIoPortClaims::IsChipDriver(name); }

std::string CDriverConflictCheck::Path(const std::string& absolute) const {
    if (!m_sysfsRoot.empty() && absolute.rfind("/sys/", 0) == 0) return m_sysfsRoot + absolute.substr(4);
    if (m_root.empty() || m_root == "/") return absolute;
    return m_root + absolute;
}

CDriverConflictCheck::CConflict CDriverConflictCheck::CheckPorts(uint16_t base) const {
    for (const CPortClaim& claim :
         CIoPortClaims::Over(Path("/proc/ioports"), static_cast<uint16_t>(base + 5u), static_cast<uint16_t>(base + 6u))) {
        const std::string where = "ports " + claim.range;
        if (claim.firmware) {
            CConflict conflict;
            conflict.found = true;
            conflict.owner = claim.owner;
            conflict.message = "the ACPI firmware claims the chip's ports (" + where + " : " + claim.owner +
                               "); it may use the chip at any time, so the service does not share it unless "
                               "ShareReadOnly=1 is set";
            return conflict;
        }
        return DriverConflict(claim.owner, where);
    }
    return CheckHwmon();
}

CDriverConflictCheck::CConflict CDriverConflictCheck::CheckHwmon() const {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(Path("/sys/class/hwmon"), ec)) {
        std::string name = FirstLine(entry.path() / "name");
        // Drivers registered the older way keep the name on the device.
        if (name.empty()) name = FirstLine(entry.path() / "device" / "name");
        // A model's name ("w83782d") stands for its driver ("w83781d").
        if (const HwmonDriverModel* model = FindHwmonDriverModel(name)) name = std::string(model->driver);
        if (IsChipDriver(name)) return DriverConflict(name, "hardware monitor " + entry.path().filename().string());
    }
    return {};
}

CDriverConflictCheck::CConflict CDriverConflictCheck::CheckSmbus(int bus, uint8_t address) const {
    char device[32];
    std::snprintf(device, sizeof(device), "%d-%04x", bus, address);
    const fs::path client = fs::path(Path("/sys/bus/i2c/devices")) / device;
    std::error_code ec;
    if (fs::exists(client, ec)) {
        const std::string name = FirstLine(client / "name");
        std::string driver = fs::read_symlink(client / "driver", ec).filename().string();
        if (ec || driver.empty()) driver = name;
        if (!driver.empty()) return DriverConflict(driver, std::string("SMBus client ") + device);
    }
    return CheckHwmon();
}
