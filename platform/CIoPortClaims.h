// Who claims a range of I/O ports, from /proc/ioports: a region named by a
// driver of the monitor chips' family means that driver transfers on the
// chip's ports; a region named by ACPI is the firmware's claim (it may use the
// chip at any time). Regions that only group others (a bus bridge,
// "pnp 00:0a") are not claims.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/IAccessProbes.h"

class CIoPortClaims {
public:
    // The claims in the file at ioportsPath over first..last, in file order.
    // At most the first 256 KiB are read; a missing file has none.
    static std::vector<CPortClaim> Over(const std::string& ioportsPath, uint16_t first, uint16_t last);

    // Drivers of the monitor chips' family (the names their regions and
    // hwmon devices carry), supported or not.
    static bool IsChipDriver(const std::string& name);
};
