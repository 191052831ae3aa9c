#include "platform/CSystemAccessProbes.h"

#include <unistd.h>


#include "accesslib/Wbcdflsh.h"
#include "accesslib/client/CClientSettings.h"
#include "accesslib/hwmon/CHwmonScanner.h"
#include "platform/CIoPortClaims.h"
#include "platform/CServiceProbe.h"

CSystemAccessProbes::CSystemAccessProbes(std::string libraryDirectory, std::string sysfsRoot, std::string procRoot,
                                         ILibraryLoader& loader, HwmonLister hwmon)
    : m_libraryDirectory(std::move(libraryDirectory)),
      m_sysfsRoot(std::move(sysfsRoot)),
      m_procRoot(std::move(procRoot)),
      m_loader(loader),
      m_hwmon(std::move(hwmon)) {}

std::string CSystemAccessProbes::BuildPath(const std::string& libraryDirectory, AccessPath path) {
    const std::string folder = AccessPathFolder(path);
    return libraryDirectory + (folder.empty() ? "" : "/" + folder) + "/" + kWbcdflshLibraryName;
}

std::string CSystemAccessProbes::ServiceSocket() const {
    return CClientSettings::SocketPath(m_libraryDirectory + "/" + AccessPathFolder(AccessPath::kService));
}

CServiceAnswer CSystemAccessProbes::AskService() {
    // Without the client build the service cannot be used, whatever answers.
    if (!HasBuild(AccessPath::kService)) return {};
    return CServiceProbe::Ask(ServiceSocket());
}

std::vector<CHwmonChipFact> CSystemAccessProbes::HwmonChips() { return m_hwmon(m_sysfsRoot); }

bool CSystemAccessProbes::IsRoot() { return ::geteuid() == 0; }

std::vector<CPortClaim> CSystemAccessProbes::PortClaims() {
    return CIoPortClaims::Over(m_procRoot + "/ioports", kChipAddressPort, kChipDataPort);
}

bool CSystemAccessProbes::HasBuild(AccessPath path) {
    return ::access(BuildPath(m_libraryDirectory, path).c_str(), R_OK) == 0;
}

bool CSystemAccessProbes::ChipAtPorts(std::string& problem) {
    void* handle = m_loader.Open(BuildPath(m_libraryDirectory, AccessPath::kPorts));
    if (!handle) {
        problem = "the port-I/O build of the access library does not load";
        return false;
    }
    const auto load = reinterpret_cast<LoadWBCDFlshVxDFn>(m_loader.Symbol(handle, "LoadWBCDFlshVxD"));
    const auto unload = reinterpret_cast<UnLoadWBCDFlshVxDFn>(m_loader.Symbol(handle, "UnLoadWBCDFlshVxD"));
    const auto in = reinterpret_cast<InPortBFn>(m_loader.Symbol(handle, "InPortB"));
    const auto out = reinterpret_cast<OutPortBFn>(m_loader.Symbol(handle, "OutPortB"));
    bool answered = false;
    if (load && unload && in && out) {
        if (const int16_t code = load(); code != 0) {
            problem = "the chip's ports could not be opened (error " + std::to_string(code) + ")";
        } else {
            // Reads only, without a bank switch: 0x4F answers the vendor byte
            // of the current vendor-select bit; the alternate parts answer
            // at 0x4C/0x4D.
            const auto read = [&](uint8_t reg) {
                int16_t error = 0;
                out(kChipAddressPort, reg, &error);
                return in(kChipDataPort, &error);
            };
            const uint8_t vendor = read(0x4F);
            answered = vendor == 0xA3 || vendor == 0x5C || read(0x4C) + 256 * read(0x4D) == 0x5CA3;
            if (!answered) problem = "no chip answers the vendor value 0x5CA3 at ports 0x295/0x296";
            unload();
        }
    } else {
        problem = "the port-I/O build of the access library lacks its entry points";
    }
    m_loader.Close(handle);
    return answered;
}

std::vector<CHwmonChipFact> CSystemAccessProbes::ListHwmonChips(const std::string& sysfsRoot) {
    std::vector<CHwmonChipFact> chips;
    for (const HwmonChipInfo& info : CHwmonScanner(sysfsRoot.empty() ? CHwmonScanner::kDefaultRoot : sysfsRoot).Scan()) {
        CHwmonChipFact chip;
        chip.hwmon = info.hwmonEntry;
        chip.name = info.name;
        // As the machine itself names it, whatever root it was read under.
        chip.devicePath = info.devicePath.empty() ? std::string() : "/sys" + info.devicePath;
        chip.driver = info.driver;
        chip.supported = info.Supported();
        chips.push_back(std::move(chip));
    }
    return chips;
}
