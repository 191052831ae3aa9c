// Where the history file lives: in the user's state directory for an
// installed program ($XDG_STATE_HOME/kelvane, by default
// ~/.local/state/kelvane), beside the program in a build tree or in a
// program directory given on the command line.
#pragma once

#include <functional>
#include <string>

class CHistoryLocation {
public:
    using Environment = std::function<const char*(const char*)>;
    static constexpr const char* kFileName = "history.db";

    // installed: the program runs from an installation (CInstalledLayout).
    // Empty text when an installed program finds neither XDG_STATE_HOME nor
    // HOME as an absolute path.
    static std::string File(bool installed, const std::string& programDirectory, const Environment& environment);
    // Makes the file's directory (private to the user) when missing.
    static bool PrepareDirectory(const std::string& file);
};
