// What the choice of access path needs to know about the machine, each fact
// behind one question, so the choice itself is a pure function of the
// answers (tests answer with fakes; nothing in a test reaches a real service,
// a real /sys or real ports).
#pragma once

#include <string>
#include <vector>

#include "platform/AccessPath.h"

// A hardware-monitor device bound by a kernel driver, found by its name file
// and its device path (never by its hwmonN number, which changes between
// boots).
struct CHwmonChipFact {
    std::string hwmon;       // "hwmon2", only to help a reader of a report
    std::string name;        // the name file: "w83627hf"
    std::string devicePath;  // "/sys/devices/platform/w83627hf.656"
    std::string driver;      // the bound driver: "w83627hf"
    bool supported = false;  // a model the hwmon build presents as its registers
};

// What the chip service said to a greeting.
struct CServiceAnswer {
    enum class State {
        kAbsent,    // nothing at the socket: the service is not set up
        kAnswered,  // it serves a chip
        kFailed,    // set up (its socket exists) but it did not serve: see reason
    };
    State state = State::kAbsent;
    std::string reason;
};

// A region of /proc/ioports over the chip's two ports.
struct CPortClaim {
    std::string range;  // "0295-0296"
    std::string owner;  // "w83627hf", "ACPI OpRegion"
    bool firmware = false;
};

class IAccessProbes {
public:
    virtual ~IAccessProbes() = default;

    virtual std::string ServiceSocket() const = 0;
    // Waits at most the greeting's time-out.
    virtual CServiceAnswer AskService() = 0;
    virtual std::vector<CHwmonChipFact> HwmonChips() = 0;
    virtual bool IsRoot() = 0;
    virtual std::vector<CPortClaim> PortClaims() = 0;
    // Whether the build of the access library a path needs is installed.
    virtual bool HasBuild(AccessPath path) = 0;
    // Only asked as root with the ports unclaimed: whether a chip answers
    // the vendor value at the ports; problem says why not.
    virtual bool ChipAtPorts(std::string& problem) = 0;
};
