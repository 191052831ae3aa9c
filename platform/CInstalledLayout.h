// Where an installed Kelvane keeps its files. A build tree has everything
// beside the program; an installed program (P/bin) has its read-only data in
// P/share/kelvane and its access library in P/lib/kelvane, and each user gets
// a program directory of their own in $XDG_CONFIG_HOME/kelvane: the user's
// files (Root.ini, error.txt, simchip.ini, and later registry.db and the
// simulator's state) are copied there once from the shipped copies, and the
// read-only data and the library are linked in, so every reader still finds
// its file as "<program directory>/<name>".
#pragma once

#include <functional>
#include <string>

class CInstalledLayout {
public:
    using Environment = std::function<const char*(const char*)>;

    // The shipped data directory of an installed program in executableDirectory,
    // or empty text for a build tree. Installed means: no chip descriptors and
    // no board defaults beside the program, and ../share/kelvane has them.
    static std::string DataDirectory(const std::string& executableDirectory);

    // $XDG_CONFIG_HOME/kelvane, or $HOME/.config/kelvane; empty when neither
    // is set to an absolute path.
    static std::string UserDirectory(const Environment& environment);

    // Creates userDirectory and fills in whatever is missing; never replaces
    // an existing file. False with a message in error when the directory
    // cannot be made or a file cannot be put there.
    static bool Prepare(const std::string& dataDirectory, const std::string& libraryDirectory,
                        const std::string& userDirectory, std::string& error);

    // The program directory to use: executableDirectory for a build tree,
    // the prepared user directory for an installed program. Empty text with a
    // message in error when the user directory cannot be used.
    static std::string ProgramDirectory(const std::string& executableDirectory,
                                        const Environment& environment, std::string& error);
};
