#include "platform/CAccessPathChooser.h"

#include <optional>

#include "accesslib/Wbcdflsh.h"

namespace {

using CChoice = CAccessPathChooser::CChoice;

constexpr const char* kSimulatorDescription = "SIMULATED chip: the chip simulator";

std::string DriverDescription(const CHwmonChipFact& chip) {
    const std::string driver = chip.driver.empty() ? chip.name : chip.driver;
    std::string text = "kernel driver " + driver + " (" + chip.name;
    if (!chip.devicePath.empty()) text += " at " + chip.devicePath;
    if (!chip.hwmon.empty()) text += ", " + chip.hwmon;
    return text + ")";
}

std::string ServiceFailure(const IAccessProbes& probes, const CServiceAnswer& answer) {
    return "the chip service at " + probes.ServiceSocket() + " does not serve the chip: " + answer.reason;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

CChoice Chosen(AccessPath path, std::string description) {
    CChoice choice;
    choice.ok = true;
    choice.path = path;
    choice.description = std::move(description);
    return choice;
}

CChoice Failed(std::string problem) {
    CChoice choice;
    choice.problem = std::move(problem);
    return choice;
}

// The facts about the kernel drivers: the first supported chip (by device
// path, so the same chip wins on every boot) and the unsupported ones.
struct SDrivers {
    std::optional<CHwmonChipFact> supported;
    std::vector<std::string> others;
};

SDrivers LookAtDrivers(IAccessProbes& probes) {
    SDrivers drivers;
    for (const CHwmonChipFact& chip : probes.HwmonChips()) {
        if (!chip.supported) {
            drivers.others.push_back(chip.name);
        } else if (!drivers.supported || chip.devicePath < drivers.supported->devicePath) {
            drivers.supported = chip;
        }
    }
    return drivers;
}

std::string NoSupportedDriver(const SDrivers& drivers) {
    std::string text = "no kernel driver of a supported chip is bound";
    if (!drivers.others.empty()) {
        text += " (found";
        for (const std::string& name : drivers.others) text += " " + name;
        text += ", not supported)";
    }
    return text;
}

// Why port I/O cannot be used, or empty when a chip answers at the ports.
std::string PortsRefusal(IAccessProbes& probes, const SDrivers& drivers) {
    if (!probes.IsRoot()) return "port I/O needs root";
    if (drivers.supported) {
        return "the kernel driver " + drivers.supported->name + " owns the chip; port I/O beside it would race with it";
    }
    for (const CPortClaim& claim : probes.PortClaims()) {
        if (claim.firmware) {
            return "the firmware claims the chip's ports (" + claim.range + " : " + claim.owner +
                   "); it may use the chip at any time";
        }
        return "the kernel driver " + claim.owner + " owns the chip's ports (" + claim.range + ")";
    }
    if (!probes.HasBuild(AccessPath::kPorts)) return "the port-I/O build of the access library is not installed";
    std::string problem;
    if (!probes.ChipAtPorts(problem)) return problem.empty() ? "no chip answers at ports 0x295/0x296" : problem;
    return {};
}

CChoice WithDriver(const CHwmonChipFact& chip) {
    CChoice choice = Chosen(AccessPath::kHwmon, DriverDescription(chip));
    choice.chip = chip;
    return choice;
}

CChoice Forced(AccessPath wanted, IAccessProbes& probes) {
    switch (wanted) {
        case AccessPath::kService: {
            const CServiceAnswer answer = probes.AskService();
            if (answer.state == CServiceAnswer::State::kAnswered)
                return Chosen(AccessPath::kService, "chip service at " + probes.ServiceSocket());
            if (answer.state == CServiceAnswer::State::kAbsent)
                return Failed("--access service: no chip service is set up (nothing at " + probes.ServiceSocket() + ")");
            return Failed("--access service: " + ServiceFailure(probes, answer));
        }
        case AccessPath::kHwmon: {
            const SDrivers drivers = LookAtDrivers(probes);
            if (!drivers.supported) return Failed("--access hwmon: " + NoSupportedDriver(drivers));
            if (!probes.HasBuild(AccessPath::kHwmon))
                return Failed("--access hwmon: the hwmon build of the access library is not installed");
            return WithDriver(*drivers.supported);
        }
        case AccessPath::kPorts: {
            const std::string refusal = PortsRefusal(probes, LookAtDrivers(probes));
            if (!refusal.empty()) return Failed("--access ports: " + refusal);
            return Chosen(AccessPath::kPorts, "port I/O at 0x295/0x296");
        }
        case AccessPath::kSimulator:
        case AccessPath::kAuto: break;
    }
    CChoice choice = Chosen(AccessPath::kSimulator, kSimulatorDescription);
    choice.notes.push_back("the simulator was asked for");
    return choice;
}

}  // namespace

CChoice CAccessPathChooser::Choose(AccessPath wanted, IAccessProbes& probes) {
    if (wanted != AccessPath::kAuto) return Forced(wanted, probes);

    std::vector<std::string> passedOver;
    const CServiceAnswer answer = probes.AskService();
    if (answer.state == CServiceAnswer::State::kAnswered)
        return Chosen(AccessPath::kService, "chip service at " + probes.ServiceSocket());
    // A service that is set up but does not serve means a real chip: the
    // simulator is then no longer a way out.
    const bool serviceFailed = answer.state == CServiceAnswer::State::kFailed;
    if (serviceFailed) passedOver.push_back(ServiceFailure(probes, answer));
    else passedOver.push_back("no chip service is set up (nothing at " + probes.ServiceSocket() + ")");

    const SDrivers drivers = LookAtDrivers(probes);
    if (drivers.supported) {
        if (probes.HasBuild(AccessPath::kHwmon)) {
            CChoice choice = WithDriver(*drivers.supported);
            choice.notes = passedOver;
            if (serviceFailed) choice.notes.push_back("reading beside the kernel driver instead");
            choice.passedOverService = serviceFailed;
            return choice;
        }
        // A driver of a supported chip means a real chip.
        passedOver.push_back("the kernel driver " + drivers.supported->name +
                             " owns a supported chip, but the hwmon build of the access library is not installed");
        return Failed(Join(passedOver) + "; no other way to the chip");
    }
    passedOver.push_back(NoSupportedDriver(drivers));

    const std::string portsRefusal = PortsRefusal(probes, drivers);
    if (portsRefusal.empty()) {
        CChoice choice = Chosen(AccessPath::kPorts, "port I/O at 0x295/0x296");
        if (serviceFailed) {
            choice.notes = passedOver;
            choice.notes.push_back("reaching the chip by port I/O instead");
            choice.passedOverService = true;
        }
        return choice;
    }
    passedOver.push_back(portsRefusal);

    if (serviceFailed) {
        return Failed(Join(passedOver) + ". Not showing simulated readings in place of the chip's: start the chip "
                      "service (systemctl start kelvane-chipd.socket), or choose a path with --access");
    }
    CChoice choice = Chosen(AccessPath::kSimulator, kSimulatorDescription);
    choice.notes = passedOver;
    return choice;
}

bool CAccessPathChooser::WantedPath(const std::optional<AccessPath>& option, const IPrivateProfile& profile,
                                    const std::string& rootIniPath, AccessPath& wanted, std::string& problem) {
    if (option) {
        wanted = *option;
        return true;
    }
    std::string word = profile.GetString(rootIniPath, "Chip", "Access", "", 64);
    while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.pop_back();
    if (word.empty()) {
        wanted = AccessPath::kAuto;
        return true;
    }
    if (const std::optional<AccessPath> path = ParseAccessPath(word)) {
        wanted = *path;
        return true;
    }
    problem = rootIniPath + ": [Chip] Access=" + word + " is none of " + kAccessPathWords;
    return false;
}

std::string CAccessPathChooser::StartMessage(const CChoice& choice) {
    if (!choice.ok) return "Kelvane cannot reach the chip: " + choice.problem + ".";
    if (!choice.passedOverService) return {};
    std::string text;
    for (const std::string& note : choice.notes) text += (text.empty() ? "" : "; ") + note;
    return "The chip service is not used: " + text + ".";
}

const char* CAccessPathChooser::OwnerText(int chipSetType) {
    switch (chipSetType) {
        case kChipSetDriverOwned: return kDriverDrivenText;
        case kChipSetDriverOwnedReadOnly: return kDriverOwnsChipText;
        case kChipSetDriverGone: return kDriverGoneText;
        default: return "";
    }
}
