// The choice of how the programs reach the chip, in this order: the chip
// service when it answers; the kernel driver's files when a driver of a
// supported chip is bound; port I/O as root when no driver and no firmware
// claims the ports and a chip answers there; the simulator only when none of
// these finds a chip or a driver, or when it is asked for.
//
// Never silently from a real chip to the simulator: a service that is set up
// (its socket exists) but does not serve, slow or failing, hands over to the
// next real path with a note, or, when there is none, stops the program with
// the reason. A forced path that cannot work stops the program with the
// reason.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/IAccessProbes.h"
#include "platform/IPrivateProfile.h"

class CAccessPathChooser {
public:
    struct CChoice {
        bool ok = false;
        AccessPath path = AccessPath::kSimulator;
        // For the user: "chip service at /run/kelvane/chip.sock",
        // "kernel driver w83627hf (w83627hf at /sys/devices/...)", ...
        std::string description;
        // What was passed over on the way, and why; one sentence each.
        std::vector<std::string> notes;
        // Why no path could be used (ok false).
        std::string problem;
        // With the hwmon path: the chip read beside its driver.
        CHwmonChipFact chip;
        // A chip service that is set up did not serve, and another real path
        // took its place: the user must be told, as notes say.
        bool passedOverService = false;

        bool Simulated() const { return ok && path == AccessPath::kSimulator; }
        // Read beside the kernel driver without the service: nothing Kelvane
        // sets reaches the chip.
        bool DriverOwnsChip() const { return ok && path == AccessPath::kHwmon; }
    };

    static CChoice Choose(AccessPath wanted, IAccessProbes& probes);

    // The path asked for: the command line's, else Root.ini's [Chip]
    // Access=, else auto. False with the reason when Root.ini names none.
    static bool WantedPath(const std::optional<AccessPath>& option, const IPrivateProfile& profile,
                           const std::string& rootIniPath, AccessPath& wanted, std::string& problem);

    // The sentence the window and kelvane-cli show while the driver owns the
    // chip.
    // What a window shows in a box when the choice is made: the reason when
    // there is no path, what was passed over when a set-up service did not
    // serve; empty otherwise.
    static std::string StartMessage(const CChoice& choice);

    static constexpr const char* kDriverOwnsChipText =
        "The kernel driver owns the chip: limits are Kelvane's own (they raise Kelvane's alarms but never reach "
        "the chip), and the chip's beeper and Smart Fan are not driven.";
    static constexpr const char* kDriverDrivenText =
        "The kernel driver owns the chip: Kelvane's limits, beep and fan duties reach the chip through the driver's "
        "files.";
    static constexpr const char* kDriverGoneText =
        "The kernel driver of the chip has gone: readings fail until it is loaded again.";
    // The sentence for what the access library says of the chip's owner
    // (ReturnChipSetType); empty for a chip Kelvane reaches itself.
    static const char* OwnerText(int chipSetType);
    static constexpr const char* kSimulatedText =
        "SIMULATED: the readings come from Kelvane's chip simulator, not from a chip.";
};
