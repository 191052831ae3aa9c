// The choice of access path over fake facts: a row per way the machine can
// be, forced or not. No service, no sysfs and no port is real here.
#include <gtest/gtest.h>

#include <optional>

#include "platform/CAccessOptions.h"
#include "platform/CAccessPathChooser.h"
#include "platform/CMemoryPrivateProfile.h"

namespace {

using State = CServiceAnswer::State;

const CHwmonChipFact kW83627hf{"hwmon2", "w83627hf", "/sys/devices/platform/w83627hf.656", "w83627hf", true};
const CHwmonChipFact kW83791d{"hwmon0", "w83791d", "/sys/devices/pci0000:00/i2c-0/0-002d", "w83791d", true};
const CHwmonChipFact kCoretemp{"hwmon1", "coretemp", "/sys/devices/platform/coretemp.0", "coretemp", false};

struct SMachine {
    SMachine(CServiceAnswer service_ = {}, std::vector<CHwmonChipFact> hwmon_ = {}, bool root_ = false,
             std::vector<CPortClaim> claims_ = {}, bool hwmonBuild_ = true, bool portsBuild_ = true,
             bool chipAtPorts_ = false)
        : service(std::move(service_)), hwmon(std::move(hwmon_)), root(root_), claims(std::move(claims_)),
          hwmonBuild(hwmonBuild_), portsBuild(portsBuild_), chipAtPorts(chipAtPorts_) {}
    CServiceAnswer service;
    std::vector<CHwmonChipFact> hwmon;
    bool root;
    std::vector<CPortClaim> claims;
    bool hwmonBuild;
    bool portsBuild;
    bool chipAtPorts;
};

class CFakeProbes : public IAccessProbes {
public:
    explicit CFakeProbes(SMachine machine) : m(std::move(machine)) {}
    std::string ServiceSocket() const override { return "/run/kelvane/chip.sock"; }
    CServiceAnswer AskService() override {
        ++serviceAsked;
        return m.service;
    }
    std::vector<CHwmonChipFact> HwmonChips() override { return m.hwmon; }
    bool IsRoot() override { return m.root; }
    std::vector<CPortClaim> PortClaims() override { return m.claims; }
    bool HasBuild(AccessPath path) override {
        if (path == AccessPath::kHwmon) return m.hwmonBuild;
        if (path == AccessPath::kPorts) return m.portsBuild;
        return true;
    }
    bool ChipAtPorts(std::string& problem) override {
        ++portsProbed;
        if (!m.chipAtPorts) problem = "no chip answers the vendor value 0x5CA3 at ports 0x295/0x296";
        return m.chipAtPorts;
    }

    SMachine m;
    int serviceAsked = 0;
    int portsProbed = 0;
};

const CServiceAnswer kAnswers{State::kAnswered, {}, false};
const CServiceAnswer kSlow{State::kFailed, "no answer within 2 s", false};
const CServiceAnswer kAbsent{};
const CPortClaim kAcpi{"0295-0296", "ACPI OpRegion", true};
const CPortClaim kEhfDriver{"0295-0296", "w83627ehf", false};

std::string Everything(const CAccessPathChooser::CChoice& choice) {
    std::string text = choice.description + "|" + choice.problem;
    for (const std::string& note : choice.notes) text += "|" + note;
    return text;
}

TEST(AccessPathChooser, TakesTheFirstRealPathAndTheSimulatorOnlyWhenNoChipOrDriverIsFound) {
    struct Case {
        const char* what;
        AccessPath wanted;
        SMachine machine;
        std::optional<AccessPath> path;  // none: the program stops
        const char* mentions;            // in the description, the problem or a note
    };
    const Case cases[] = {
        {"service answers, driver bound too", AccessPath::kAuto, {kAnswers, {kW83627hf}, true}, AccessPath::kService,
         "chip service at /run/kelvane/chip.sock"},
        {"driver of a supported chip", AccessPath::kAuto, {kAbsent, {kCoretemp, kW83627hf}}, AccessPath::kHwmon,
         "kernel driver w83627hf (w83627hf at /sys/devices/platform/w83627hf.656, hwmon2)"},
        {"service slow, real chip beside its driver", AccessPath::kAuto, {kSlow, {kW83627hf}}, AccessPath::kHwmon,
         "does not serve the chip: no answer within 2 s"},
        {"service failing, chip at the ports as root", AccessPath::kAuto, {kSlow, {}, true, {}, true, true, true},
         AccessPath::kPorts, "port I/O instead"},
        {"service failing, no other real path", AccessPath::kAuto, {kSlow, {}, false}, std::nullopt,
         "Not showing simulated readings"},
        {"no driver, root, chip at the ports", AccessPath::kAuto, {kAbsent, {}, true, {}, true, true, true},
         AccessPath::kPorts, "port I/O at 0x295/0x296"},
        {"firmware claims the ports", AccessPath::kAuto, {kAbsent, {}, true, {kAcpi}, true, true, true},
         AccessPath::kSimulator, "the firmware claims the chip's ports (0295-0296 : ACPI OpRegion)"},
        {"another driver of the family claims the ports", AccessPath::kAuto, {kAbsent, {}, true, {kEhfDriver}, true, true, true},
         AccessPath::kSimulator, "the kernel driver w83627ehf owns the chip's ports"},
        {"plain user, nothing found", AccessPath::kAuto, {kAbsent, {kCoretemp}}, AccessPath::kSimulator,
         "found coretemp, not supported"},
        {"root, nothing answers at the ports", AccessPath::kAuto, {kAbsent, {}, true}, AccessPath::kSimulator,
         "no chip answers the vendor value"},
        {"driver bound but no hwmon build", AccessPath::kAuto, {kAbsent, {kW83627hf}, false, {}, false}, std::nullopt,
         "hwmon build of the access library is not installed"},

        {"forced service, none set up", AccessPath::kService, {kAbsent, {kW83627hf}}, std::nullopt,
         "no chip service is set up"},
        {"forced service, slow", AccessPath::kService, {kSlow, {kW83627hf}}, std::nullopt, "no answer within 2 s"},
        {"forced service, answers", AccessPath::kService, {kAnswers}, AccessPath::kService, "chip service at"},
        {"forced hwmon, no driver", AccessPath::kHwmon, {kAnswers, {kCoretemp}}, std::nullopt,
         "no kernel driver of a supported chip is bound (found coretemp, not supported)"},
        {"forced hwmon, service answering", AccessPath::kHwmon, {kAnswers, {kW83627hf}}, AccessPath::kHwmon,
         "kernel driver w83627hf"},
        {"forced ports, plain user", AccessPath::kPorts, {kAbsent, {}, false, {}, true, true, true}, std::nullopt,
         "port I/O needs root"},
        {"forced ports beside a driver", AccessPath::kPorts, {kAbsent, {kW83627hf}, true, {}, true, true, true},
         std::nullopt, "the kernel driver w83627hf owns the chip"},
        {"forced ports, firmware claim", AccessPath::kPorts, {kAbsent, {}, true, {kAcpi}, true, true, true}, std::nullopt,
         "firmware claims"},
        {"forced ports, no chip", AccessPath::kPorts, {kAbsent, {}, true}, std::nullopt, "no chip answers"},
        {"forced ports, chip answers", AccessPath::kPorts, {kAbsent, {}, true, {}, true, true, true}, AccessPath::kPorts,
         "port I/O"},
        {"forced simulator beside a real chip", AccessPath::kSimulator, {kAnswers, {kW83627hf}, true},
         AccessPath::kSimulator, "SIMULATED chip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeProbes probes(c.machine);
        const CAccessPathChooser::CChoice choice = CAccessPathChooser::Choose(c.wanted, probes);
        EXPECT_EQ(choice.ok, c.path.has_value()) << Everything(choice);
        if (c.path) {
            EXPECT_EQ(choice.path, *c.path);
        } else {
            EXPECT_FALSE(choice.problem.empty());
        }
        EXPECT_NE(Everything(choice).find(c.mentions), std::string::npos) << Everything(choice);
        // "SIMULATED" is never shown for a real chip, and always for the simulator.
        EXPECT_EQ(choice.description.find("SIMULATED") != std::string::npos, choice.Simulated());
        EXPECT_EQ(choice.DriverOwnsChip(), choice.ok && choice.path == AccessPath::kHwmon);
        // The ports are only ever probed as root with nothing claiming them.
        if (!c.machine.root || !c.machine.claims.empty() || !c.machine.hwmon.empty()) {
            EXPECT_EQ(probes.portsProbed, 0);
        }
        if (c.wanted == AccessPath::kSimulator || c.wanted == AccessPath::kHwmon) {
            EXPECT_EQ(probes.serviceAsked, 0);
        }
    }
}

TEST(AccessPathChooser, ASlowServiceWithARealChipIsNeverReplacedByTheSimulatorSilently) {
    for (const bool root : {false, true}) {
        SCOPED_TRACE(root ? "root" : "plain user");
        CFakeProbes beside(SMachine{kSlow, {kW83627hf}, root});
        const CAccessPathChooser::CChoice choice = CAccessPathChooser::Choose(AccessPath::kAuto, beside);
        ASSERT_TRUE(choice.ok);
        EXPECT_EQ(choice.path, AccessPath::kHwmon);
        EXPECT_TRUE(choice.passedOverService);
        // The window shows this in a box; kelvane-cli prints the notes.
        EXPECT_NE(CAccessPathChooser::StartMessage(choice).find("no answer within 2 s"), std::string::npos);

        CFakeProbes nothingElse(SMachine{kSlow, {}, root});
        const CAccessPathChooser::CChoice stopped = CAccessPathChooser::Choose(AccessPath::kAuto, nothingElse);
        EXPECT_FALSE(stopped.ok);
        EXPECT_NE(CAccessPathChooser::StartMessage(stopped).find("cannot reach the chip"), std::string::npos);
    }
    CFakeProbes quiet(SMachine{kAbsent, {kW83627hf}});
    EXPECT_EQ(CAccessPathChooser::StartMessage(CAccessPathChooser::Choose(AccessPath::kAuto, quiet)), "");
}

TEST(AccessPathChooser, OfTwoSupportedChipsTakesTheSameOneOnEveryBoot) {
    for (const auto& order : {std::vector{kW83627hf, kW83791d}, std::vector{kW83791d, kW83627hf}}) {
        CFakeProbes probes(SMachine{kAbsent, order});
        EXPECT_EQ(CAccessPathChooser::Choose(AccessPath::kAuto, probes).chip.name, "w83791d");
    }
}

TEST(AccessPathChooser, TheCommandLineOverridesRootIniWhichOverridesAuto) {
    CMemoryPrivateProfile profile;
    const std::string ini = "/dir/Root.ini";
    struct Case {
        const char* rootIni;  // null: no file
        std::optional<AccessPath> option;
        bool ok;
        AccessPath wanted;
    };
    const Case cases[] = {
        {nullptr, std::nullopt, true, AccessPath::kAuto},
        {"[Chip]\nAccess=hwmon \n", std::nullopt, true, AccessPath::kHwmon},
        {"[Chip]\nAccess=hwmon\n", AccessPath::kSimulator, true, AccessPath::kSimulator},
        {"[Chip]\nAccess=\n", std::nullopt, true, AccessPath::kAuto},
        {"[Chip]\nAccess=driver\n", std::nullopt, false, AccessPath::kAuto},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rootIni ? c.rootIni : "no Root.ini");
        if (c.rootIni) {
            profile.SetFile(ini, c.rootIni);
        } else {
            profile.RemoveFile(ini);
        }
        AccessPath wanted = AccessPath::kAuto;
        std::string problem;
        EXPECT_EQ(CAccessPathChooser::WantedPath(c.option, profile, ini, wanted, problem), c.ok);
        if (c.ok) {
            EXPECT_EQ(wanted, c.wanted);
        } else {
            EXPECT_NE(problem.find("Access=driver is none of auto, service"), std::string::npos) << problem;
        }
    }
}

TEST(AccessOptions, TakesItsOwnWordsAndLeavesTheRest) {
    struct Case {
        std::vector<std::string> words;
        std::vector<std::string> rest;
        std::optional<AccessPath> access;
        std::string sysfsRoot;
        bool error;
        std::string lockFile = {};
    };
    const Case cases[] = {
        {{"-m", "--access", "hwmon"}, {"-m"}, AccessPath::kHwmon, "", false},
        {{"--sysfs-root=/tmp/sys", "-M"}, {"-M"}, std::nullopt, "/tmp/sys", false},
        {{"--access=ports", "--sysfs-root", "/r"}, {}, AccessPath::kPorts, "/r", false},
        {{"--access", "driver"}, {}, std::nullopt, "", true},
        {{"-m", "--access"}, {"-m"}, std::nullopt, "", true},
        {{"--sysfs-root="}, {}, std::nullopt, "", true},
        {{"--lock", "/tmp/l", "-m"}, {"-m"}, std::nullopt, "", false, "/tmp/l"},
        {{"--lock="}, {}, std::nullopt, "", true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words = c.words;
        const CAccessOptions options = CAccessOptions::Take(words);
        EXPECT_EQ(words, c.rest);
        EXPECT_EQ(options.access, c.access);
        EXPECT_EQ(options.sysfsRoot, c.sysfsRoot);
        EXPECT_EQ(options.lockFile, c.lockFile);
        EXPECT_EQ(!options.error.empty(), c.error) << options.error;
    }
    std::vector<std::string> chipd{"--access", "hwmon", "--lock", "/tmp/l"};
    EXPECT_TRUE(CAccessOptions::Take(chipd, false).error.empty());
    EXPECT_EQ(chipd.size(), 4u);
}

}  // namespace
