// The command line of kelvane-cli. Parsing is pure: it looks at the words
// only and leaves the directory and the engine to the caller.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/AccessPath.h"

struct CCliOptions {
    bool json = false;
    bool all = false;
    bool fahrenheit = false;
    bool help = false;
    bool version = false;
    // Seconds between readings; none: read once.
    std::optional<double> watchSeconds;
    // Readings before a watch ends; none: until a stop signal.
    std::optional<long> count;
    // The program directory given with --dir; empty: the program's own.
    std::string directory;
    // The chip lock file given with --lock; empty: the one every Kelvane
    // program on this machine shares.
    std::string lockFile;
    // --access: the way to the chip; none: Root.ini's, else the first that
    // works.
    std::optional<AccessPath> access;
    // --sysfs-root and --proc-root: where /sys and /proc are (recorded trees
    // for tests and bug reports); empty: the machine's own.
    std::string sysfsRoot;
    std::string procRoot;
    // --list-chips: the chips found and the ways to them, instead of readings.
    bool listChips = false;

    // The longest interval --watch accepts: one day.
    static constexpr double kMaxWatchSeconds = 86400.0;

    struct Parsed;
    // Accepts "--opt VALUE" and "--opt=VALUE". On failure the result holds
    // a one-line reason and no options worth using.
    static Parsed Parse(const std::vector<std::string>& arguments);

    static const char* UsageLine();
    static const char* HelpText();
};

struct CCliOptions::Parsed {
    CCliOptions options;
    std::string error;
    bool ok() const { return error.empty(); }
};
