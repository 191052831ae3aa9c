// The access options of the window program and kelvane-chipd, taken out of
// their command lines before the rest is read: "--access PATH" and
// "--sysfs-root DIR", and for the window program "--lock FILE" (the chip lock
// on FILE instead of the shared one, for tests and measurements), each also
// as "--opt=VALUE". kelvane-cli parses the same words with its own options.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/AccessPath.h"

struct CAccessOptions {
    std::optional<AccessPath> access;
    std::string sysfsRoot;
    // Empty: the lock every Kelvane program shares.
    std::string lockFile;
    // A one-line reason when an option is malformed.
    std::string error;

    // Removes the options it knows from arguments; acceptAccess false leaves
    // --access to the caller (kelvane-chipd has no choice of path).
    static CAccessOptions Take(std::vector<std::string>& arguments, bool acceptAccess = true);
};
