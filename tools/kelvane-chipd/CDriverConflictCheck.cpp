#include "tools/kelvane-chipd/CDriverConflictCheck.h"

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

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
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

bool CDriverConflictCheck::IsChipDriver(const std::string& name) {
    static const char* const kDrivers[] = {"w83781d", "w83627hf", "w83791d", "w83792d", "w83793",
                                           "w83627ehf", "w83795", "w83l785ts", "w83l786ng"};
    for (const char* driver : kDrivers) {
        if (name == driver) return true;
    }
    return false;
}

std::string CDriverConflictCheck::Path(const std::string& absolute) const {
    if (m_root.empty() || m_root == "/") return absolute;
    return m_root + absolute;
}

CDriverConflictCheck::CConflict CDriverConflictCheck::CheckPorts(uint16_t base) const {
    const unsigned first = base + 5u, last = base + 6u;
    std::ifstream ioports(Path("/proc/ioports"));
    std::string line;
    while (std::getline(ioports, line)) {
        unsigned from = 0, to = 0;
        int consumed = 0;
        if (std::sscanf(line.c_str(), " %x-%x :%n", &from, &to, &consumed) != 2 || consumed == 0) continue;
        const std::string name = Trim(line.substr(static_cast<size_t>(consumed)));
        if (to < first || from > last) continue;
        char where[64];
        std::snprintf(where, sizeof(where), "ports %04x-%04x", from, to);
        if (name.rfind("ACPI", 0) == 0) {
            CConflict conflict;
            conflict.found = true;
            conflict.owner = name;
            conflict.message = "the ACPI firmware claims the chip's ports (" + std::string(where) + " : " + name +
                               "); it may use the chip at any time, so the service does not share it unless "
                               "ShareReadOnly=1 is set";
            return conflict;
        }
        // Regions that only group others (a bus bridge, "pnp 00:0a") do not
        // say that a driver transfers on the ports; a chip driver does.
        if (IsChipDriver(name)) return DriverConflict(name, where);
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
