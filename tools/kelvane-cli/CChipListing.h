// kelvane-cli --list-chips: what a bug report about a real board needs. Every
// hardware-monitor device under the sysfs root (name, device path, driver,
// whether Kelvane supports it and the path it would take), the candidates
// kelvane-chipd would probe (its ISA ports and the SMBus adapters at its
// address, from its configuration), what claims the chip's ports in
// /proc/ioports (a driver, or ACPI firmware), and the path Kelvane chose.
#pragma once

#include <string>
#include <vector>

#include "platform/CAccessPathChooser.h"

class CChipListing {
public:
    struct CSmbusCandidate {
        std::string adapter;  // "i2c-0"
        std::string name;     // the adapter's name file
        int address = 0;
        std::string client;   // the name of a client bound at the address
        std::string driver;   // its driver
    };
    struct CIsaCandidate {
        int base = 0x290;
        std::vector<CPortClaim> claims;
    };

    CAccessPathChooser::CChoice choice;
    std::vector<CHwmonChipFact> hwmon;
    std::vector<CIsaCandidate> isa;
    std::vector<CSmbusCandidate> smbus;
    // Whether i2c-dev is loaded (the service reaches SMBus only through it).
    bool i2cDev = false;
    std::string chipdConfig;
    std::string chipdConfigProblem;

    // The facts under the roots, with kelvane-chipd's configuration at its
    // installed path.
    static CChipListing Gather(const CAccessPathChooser::CChoice& choice, const std::string& sysfsRoot,
                               const std::string& procRoot, const std::string& chipdConfigPath = {});

    std::string Text() const;
    // One line: one JSON object.
    std::string Json() const;

    // The path Kelvane would use for one hwmon device: the chosen one when it
    // reaches this device, "hwmon" for another supported one, "none" for one
    // it does not support.
    std::string PathFor(const CHwmonChipFact& chip) const;
};
