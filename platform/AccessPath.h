// The ways the programs reach the monitor chip, and their names on the
// command line (--access) and in Root.ini ([Chip] Access=).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "accesslib/hwmon/CHwmonScanner.h"

enum class AccessPath {
    kAuto,       // the first that works, in the order below
    kService,    // kelvane-chipd over its socket (client/libWbcdflsh.so)
    kHwmon,      // the kernel driver's files (hwmon/libWbcdflsh.so)
    kPorts,      // port I/O as root (portio/libWbcdflsh.so)
    kSimulator,  // the chip simulator (libWbcdflsh.so itself)
};

const char* AccessPathName(AccessPath path);
// "auto", "service", "hwmon", "ports" or "simulator"; none for anything else.
std::optional<AccessPath> ParseAccessPath(std::string_view word);
// The folder beside the simulator build that holds a path's build; empty for
// the simulator itself.
const char* AccessPathFolder(AccessPath path);

inline constexpr const char* kAccessPathWords = "auto, service, hwmon, ports or simulator";
// The environment variable the hwmon build takes its sysfs root from.
inline constexpr const char* kSysfsRootVariable = CHwmonScanner::kRootVariable;
