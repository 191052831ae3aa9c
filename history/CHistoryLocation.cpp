#include "history/CHistoryLocation.h"

#include <filesystem>

namespace fs = std::filesystem;

std::string CHistoryLocation::File(bool installed, const std::string& programDirectory, const Environment& environment) {
    if (!installed) return programDirectory + "/" + kFileName;
    const auto absolute = [&](const char* name) -> std::string {
        const char* value = environment(name);
        return value && value[0] == '/' ? std::string(value) : std::string();
    };
    std::string state = absolute("XDG_STATE_HOME");
    if (state.empty()) {
        const std::string home = absolute("HOME");
        if (home.empty()) return {};
        state = home + "/.local/state";
    }
    return state + "/kelvane/" + kFileName;
}

bool CHistoryLocation::PrepareDirectory(const std::string& file) {
    const fs::path directory = fs::path(file).parent_path();
    std::error_code ec;
    if (fs::is_directory(directory, ec)) return true;
    if (!fs::create_directories(directory, ec)) return false;
    fs::permissions(directory, fs::perms::owner_all, fs::perm_options::replace, ec);
    return true;
}
