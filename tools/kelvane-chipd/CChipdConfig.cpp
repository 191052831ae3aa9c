#include "tools/kelvane-chipd/CChipdConfig.h"

#include <cstdlib>

#include "platform/CPrivateProfile.h"

namespace {

// A number in decimal or with 0x; false when the text is not entirely one.
bool ParseNumber(const std::string& text, long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 0);
    return end && *end == '\0';
}

}  // namespace

std::string CChipdConfig::UnderRoot(const std::string& absolute) const {
    if (root.empty() || root == "/") return absolute;
    return root + absolute;
}

bool CChipdConfig::Load(const std::string& path, std::string& problem) {
    CPrivateProfile profile;
    if (!profile.CanOpen(path)) return true;
    auto text = [&](const char* section, const char* key, const std::string& fallback) {
        return profile.GetString(path, section, key, fallback, 4096);
    };
    socketPath = text("Service", "Socket", socketPath);
    group = text("Service", "Group", group);
    root = text("Service", "Root", root);
    libraryDirectory = text("Chip", "LibraryDirectory", libraryDirectory);

    const std::string backendName = text("Chip", "Backend", "auto");
    if (backendName == "auto") backend = Backend::kAuto;
    else if (backendName == "isa") backend = Backend::kIsa;
    else if (backendName == "smbus") backend = Backend::kSmbus;
    else if (backendName == "library") backend = Backend::kLibrary;
    else if (backendName == "hwmon") backend = Backend::kHwmon;
    else {
        problem = "Backend must be auto, isa, smbus, hwmon or library";
        return false;
    }
    const std::string access = text("Chip", "PortAccess", "ioperm");
    if (access == "ioperm") portAccess = PortAccess::kIoperm;
    else if (access == "devport") portAccess = PortAccess::kDevPort;
    else {
        problem = "PortAccess must be ioperm or devport";
        return false;
    }

    long number = 0;
    const std::string base = text("Chip", "PortBase", "");
    if (!base.empty()) {
        if (!ParseNumber(base, number) || number < 0 || number > 0xFFF9) {
            problem = "PortBase must be a port number below 0xFFFA";
            return false;
        }
        portBase = static_cast<uint16_t>(number);
    }
    const std::string bus = text("Chip", "SmbusBus", "");
    if (!bus.empty()) {
        if (!ParseNumber(bus, number) || number < -1 || number > 1023) {
            problem = "SmbusBus must be -1 or an adapter number";
            return false;
        }
        smbusBus = static_cast<int>(number);
    }
    const std::string address = text("Chip", "SmbusAddress", "");
    if (!address.empty()) {
        if (!ParseNumber(address, number) || number < 0x28 || number > 0x2F) {
            problem = "SmbusAddress must lie in 0x28..0x2F";
            return false;
        }
        smbusAddress = static_cast<uint8_t>(number);
    }
    const std::string share = text("Chip", "ShareReadOnly", "0");
    if (share != "0" && share != "1") {
        problem = "ShareReadOnly must be 0 or 1";
        return false;
    }
    shareReadOnly = share == "1";
    if (backend == Backend::kLibrary && libraryDirectory.empty()) {
        problem = "Backend=library needs LibraryDirectory";
        return false;
    }
    return true;
}
