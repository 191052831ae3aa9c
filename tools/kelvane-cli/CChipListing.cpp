#include "tools/kelvane-cli/CChipListing.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/CIoPortClaims.h"
#include "platform/CSystemAccessProbes.h"
#include "tools/kelvane-chipd/CChipdConfig.h"
#include "tools/kelvane-cli/CReadingReport.h"

#ifndef KELVANE_VERSION
#define KELVANE_VERSION "0"
#endif

namespace fs = std::filesystem;

namespace {

std::string FirstLine(const fs::path& path) {
    std::ifstream file(path);
    if (!file) return {};
    char buffer[257] = {};
    file.read(buffer, 256);
    std::string line(buffer, static_cast<size_t>(file.gcount()));
    line.resize(std::min(line.size(), line.find_first_of("\r\n")));
    return line;
}

std::string Hex(int value, int digits = 0) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%0*x", digits, static_cast<unsigned>(value));
    return text;
}

std::string Quoted(const std::string& text) { return CReadingReport::JsonString(text); }

// Every adapter under the sysfs root, in number order.
std::vector<int> Adapters(const fs::path& sysfs) {
    std::vector<int> buses;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysfs / "bus" / "i2c" / "devices", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("i2c-", 0) != 0) continue;
        char* end = nullptr;
        const long bus = std::strtol(name.c_str() + 4, &end, 10);
        if (end && *end == '\0' && bus >= 0 && bus <= 1023) buses.push_back(static_cast<int>(bus));
    }
    std::sort(buses.begin(), buses.end());
    return buses;
}

// Firmware that reads the chip through ACPI shows as its own hwmon device.
bool ReadsThroughAcpi(const CHwmonChipFact& chip) { return chip.name == "atk0110"; }

}  // namespace

CChipListing CChipListing::Gather(const CAccessPathChooser::CChoice& choice, const std::string& sysfsRoot,
                                  const std::string& procRoot, const std::string& chipdConfigPath) {
    CChipListing listing;
    listing.choice = choice;
    listing.hwmon = CSystemAccessProbes::ListHwmonChips(sysfsRoot);

    CChipdConfig config;
    listing.chipdConfig = chipdConfigPath.empty() ? CChipdConfig::kDefaultPath : chipdConfigPath;
    if (!config.Load(listing.chipdConfig, listing.chipdConfigProblem)) config = CChipdConfig{};

    using Backend = CChipdConfig::Backend;
    if (config.backend == Backend::kAuto || config.backend == Backend::kIsa) {
        CIsaCandidate isa;
        isa.base = config.portBase;
        isa.claims = CIoPortClaims::Over(procRoot + "/ioports", static_cast<uint16_t>(config.portBase + 5),
                                         static_cast<uint16_t>(config.portBase + 6));
        listing.isa.push_back(isa);
    }
    const fs::path sysfs(sysfsRoot);
    std::error_code ec;
    listing.i2cDev = fs::is_directory(sysfs / "class" / "i2c-dev", ec);
    if (config.backend == Backend::kAuto || config.backend == Backend::kSmbus) {
        for (const int bus : Adapters(sysfs)) {
            if (config.smbusBus >= 0 && bus != config.smbusBus) continue;
            CSmbusCandidate candidate;
            candidate.adapter = "i2c-" + std::to_string(bus);
            candidate.address = config.smbusAddress;
            const fs::path adapter = sysfs / "bus" / "i2c" / "devices" / candidate.adapter;
            candidate.name = FirstLine(adapter / "name");
            char client[32];
            std::snprintf(client, sizeof(client), "%d-%04x", bus, config.smbusAddress);
            const fs::path device = sysfs / "bus" / "i2c" / "devices" / client;
            if (fs::exists(device, ec)) {
                candidate.client = FirstLine(device / "name");
                candidate.driver = fs::read_symlink(device / "driver", ec).filename().string();
            }
            listing.smbus.push_back(candidate);
        }
    }
    return listing;
}

std::string CChipListing::PathFor(const CHwmonChipFact& chip) const {
    if (!chip.supported) return "none";
    if (choice.ok && choice.path == AccessPath::kService) return AccessPathName(AccessPath::kService);
    return AccessPathName(AccessPath::kHwmon);
}

std::string CChipListing::Text() const {
    std::string text = "Kelvane " KELVANE_VERSION " chip report\n\nChip access: ";
    if (choice.ok) {
        text += std::string(AccessPathName(choice.path)) + ": " + choice.description + "\n";
    } else {
        text += "none: " + choice.problem + "\n";
    }
    for (const std::string& note : choice.notes) text += "  " + note + "\n";

    text += "\nHardware monitors (sysfs class hwmon):\n";
    if (hwmon.empty()) text += "  none\n";
    for (const CHwmonChipFact& chip : hwmon) {
        text += "  " + chip.hwmon + "  " + (chip.name.empty() ? "(no name)" : chip.name) + "  " +
                (chip.devicePath.empty() ? "(no device)" : chip.devicePath) + "  driver " +
                (chip.driver.empty() ? "(none)" : chip.driver) + "  " +
                (chip.supported ? "supported, path " + PathFor(chip) : std::string("not supported"));
        if (ReadsThroughAcpi(chip)) text += "  (the firmware reads the chip through ACPI)";
        text += "\n";
    }

    text += "\nPort-I/O candidates of kelvane-chipd:\n";
    if (isa.empty()) text += "  none (Backend in " + chipdConfig + ")\n";
    for (const CIsaCandidate& candidate : isa) {
        char ports[32];
        std::snprintf(ports, sizeof(ports), "%04x-%04x", candidate.base + 5, candidate.base + 6);
        text += "  ISA base " + Hex(candidate.base, 3) + " (ports " + ports + "): ";
        if (candidate.claims.empty()) text += "not claimed";
        for (std::size_t i = 0; i < candidate.claims.size(); ++i) {
            const CPortClaim& claim = candidate.claims[i];
            text += std::string(i ? "; " : "claimed by ") + (claim.firmware ? "the firmware " : "the kernel driver ") +
                    claim.owner + " (" + claim.range + ")";
        }
        text += "\n";
    }

    text += "\nSMBus candidates of kelvane-chipd:\n";
    if (smbus.empty()) text += "  none\n";
    for (const CSmbusCandidate& candidate : smbus) {
        text += "  " + candidate.adapter + " \"" + candidate.name + "\" at " + Hex(candidate.address, 2) + ": ";
        text += candidate.client.empty()
                    ? std::string("no client bound")
                    : "client " + candidate.client + " bound" + (candidate.driver.empty() ? "" : " (driver " + candidate.driver + ")");
        text += "\n";
    }
    if (!smbus.empty() && !i2cDev) text += "  i2c-dev is not loaded: kelvane-chipd reaches SMBus only through it\n";
    if (!chipdConfigProblem.empty()) text += "\n" + chipdConfig + ": " + chipdConfigProblem + " (defaults shown)\n";
    return text;
}

std::string CChipListing::Json() const {
    std::string text = "{\"version\":" + Quoted(KELVANE_VERSION);
    text += ",\"access\":{\"ok\":" + std::string(choice.ok ? "true" : "false");
    text += ",\"path\":" + (choice.ok ? Quoted(AccessPathName(choice.path)) : std::string("null"));
    text += ",\"description\":" + Quoted(choice.description);
    text += ",\"problem\":" + Quoted(choice.problem) + ",\"notes\":[";
    for (std::size_t i = 0; i < choice.notes.size(); ++i) text += (i ? "," : "") + Quoted(choice.notes[i]);
    text += "]},\"hwmon\":[";
    for (std::size_t i = 0; i < hwmon.size(); ++i) {
        const CHwmonChipFact& chip = hwmon[i];
        text += std::string(i ? "," : "") + "{\"hwmon\":" + Quoted(chip.hwmon) + ",\"name\":" + Quoted(chip.name) +
                ",\"device\":" + Quoted(chip.devicePath) + ",\"driver\":" + Quoted(chip.driver) +
                ",\"supported\":" + (chip.supported ? "true" : "false") + ",\"path\":" + Quoted(PathFor(chip)) +
                ",\"acpi\":" + (ReadsThroughAcpi(chip) ? "true" : "false") + "}";
    }
    text += "],\"isa\":[";
    for (std::size_t i = 0; i < isa.size(); ++i) {
        text += std::string(i ? "," : "") + "{\"base\":" + Quoted(Hex(isa[i].base, 3)) + ",\"claims\":[";
        for (std::size_t k = 0; k < isa[i].claims.size(); ++k) {
            const CPortClaim& claim = isa[i].claims[k];
            text += std::string(k ? "," : "") + "{\"range\":" + Quoted(claim.range) + ",\"owner\":" + Quoted(claim.owner) +
                    ",\"firmware\":" + (claim.firmware ? "true" : "false") + "}";
        }
        text += "]}";
    }
    text += "],\"smbus\":[";
    for (std::size_t i = 0; i < smbus.size(); ++i) {
        const CSmbusCandidate& candidate = smbus[i];
        text += std::string(i ? "," : "") + "{\"adapter\":" + Quoted(candidate.adapter) + ",\"name\":" +
                Quoted(candidate.name) + ",\"address\":" + Quoted(Hex(candidate.address, 2)) +
                ",\"client\":" + Quoted(candidate.client) + ",\"driver\":" + Quoted(candidate.driver) + "}";
    }
    text += "],\"i2c_dev\":" + std::string(i2cDev ? "true" : "false") + "}\n";
    return text;
}
