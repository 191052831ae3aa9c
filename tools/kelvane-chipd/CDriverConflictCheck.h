// Whether a kernel driver or the firmware already owns the chip, read from
// the /proc and /sys trees under a root prefix ("/" on a real system, a
// fixture tree in tests):
// - /proc/ioports: a region that overlaps the chip's two ports ("0295-0296 :
//   w83627hf"); a region named by ACPI is the firmware's claim;
// - /sys/class/hwmon/*/name: a bound hardware-monitor driver of this chip
//   family;
// - /sys/bus/i2c/devices/N-00AA/name: a client bound at the chip's SMBus
//   address on its adapter.
// Port access beside a bound driver races with it: bank switches interleave.
#pragma once

#include <cstdint>
#include <string>

class CDriverConflictCheck {
public:
    struct CConflict {
        bool found = false;
        std::string owner;    // the driver's or region's name
        std::string message;  // what to tell the administrator
    };

    // sysfsRoot: where /sys is, when not under root (--sysfs-root).
    explicit CDriverConflictCheck(std::string root, std::string sysfsRoot = {})
        : m_root(std::move(root)), m_sysfsRoot(std::move(sysfsRoot)) {}

    // The ISA chip with its ports at base + 5 and base + 6.
    CConflict CheckPorts(uint16_t base) const;
    // The SMBus chip at address on adapter bus (/dev/i2c-bus).
    CConflict CheckSmbus(int bus, uint8_t address) const;

    // Drivers of this chip family (the names their hwmon devices carry).
    static bool IsChipDriver(const std::string& name);

private:
    CConflict CheckHwmon() const;
    std::string Path(const std::string& absolute) const;

    std::string m_root;
    std::string m_sysfsRoot;
};
