#include "platform/CSystemAccessProbes.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "accesslib/Wbcdflsh.h"
#include "accesslib/client/CClientSettings.h"
#include "platform/CIoPortClaims.h"
#include "platform/CServiceProbe.h"

namespace fs = std::filesystem;

namespace {

// The first line of a small sysfs file; at most 256 bytes are read.
std::string FirstLine(const fs::path& path) {
    std::ifstream file(path);
    if (!file) return {};
    char buffer[257] = {};
    file.read(buffer, 256);
    std::string line(buffer, static_cast<size_t>(file.gcount()));
    line.resize(std::min(line.size(), line.find_first_of("\r\n")));
    return line;
}

bool IsSupportedName(const std::string& name) {
    static const char* const kNames[] = {"w83781d", "w83782d", "w83783s", "w83627hf",
                                         "w83697hf", "w83637hf", "w83791d"};
    return std::any_of(std::begin(kNames), std::end(kNames), [&](const char* known) { return name == known; });
}

}  // namespace

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
    std::error_code ec;
    const fs::path root = sysfsRoot.empty() ? fs::path("/sys") : fs::path(sysfsRoot);
    for (const fs::directory_entry& entry : fs::directory_iterator(root / "class" / "hwmon", ec)) {
        const fs::path device = entry.path() / "device";
        CHwmonChipFact chip;
        chip.hwmon = entry.path().filename().string();
        // Newer drivers keep their files in hwmonN itself, older ones on the device.
        chip.name = FirstLine(entry.path() / "name");
        if (chip.name.empty()) chip.name = FirstLine(device / "name");
        std::error_code linkError;
        const fs::path real = fs::canonical(device, linkError);
        if (!linkError) {
            const fs::path canonicalRoot = fs::canonical(root, linkError);
            const fs::path relative = linkError ? real : real.lexically_relative(canonicalRoot);
            chip.devicePath = "/sys/" + relative.string();
            chip.driver = fs::read_symlink(device / "driver", linkError).filename().string();
        }
        chip.supported = IsSupportedName(chip.name);
        chips.push_back(std::move(chip));
    }
    std::sort(chips.begin(), chips.end(),
              [](const CHwmonChipFact& a, const CHwmonChipFact& b) { return a.devicePath < b.devicePath; });
    return chips;
}
