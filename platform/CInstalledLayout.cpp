#include "platform/CInstalledLayout.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Files the user changes; the rest of the data directory is read-only.
constexpr std::array kUserFiles{"Root.ini", "error.txt", "simchip.ini"};
constexpr const char* kLibrary = "libWbcdflsh.so";

bool IsUserFile(const std::string& name) {
    for (const char* file : kUserFiles)
        if (name == file) return true;
    return false;
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

}  // namespace

std::string CInstalledLayout::DataDirectory(const std::string& executableDirectory) {
    const fs::path exe(executableDirectory);
    if (executableDirectory.empty() || Exists(exe / "def.ini") || Exists(exe / "Root.ini")) return {};
    const fs::path data = (exe / ".." / "share" / "kelvane").lexically_normal();
    if (!Exists(data / "def.ini")) return {};
    return data.string();
}

std::string CInstalledLayout::UserDirectory(const Environment& environment) {
    const char* config = environment("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return (fs::path(config) / "kelvane").string();
    const char* home = environment("HOME");
    if (home && home[0] == '/') return (fs::path(home) / ".config" / "kelvane").string();
    return {};
}

bool CInstalledLayout::Prepare(const std::string& dataDirectory, const std::string& libraryDirectory,
                               const std::string& userDirectory, std::string& error) {
    std::error_code ec;
    fs::create_directories(userDirectory, ec);
    if (ec || !fs::is_directory(userDirectory)) {
        error = "Cannot create the directory " + userDirectory + ": " + (ec ? ec.message() : "not a directory");
        return false;
    }
    const fs::path user(userDirectory);
    for (const fs::directory_entry& entry : fs::directory_iterator(dataDirectory, ec)) {
        const std::string name = entry.path().filename().string();
        const fs::path target = user / name;
        if (Exists(target)) continue;
        std::error_code put;
        if (IsUserFile(name))
            fs::copy_file(entry.path(), target, fs::copy_options::skip_existing, put);
        else
            fs::create_symlink(entry.path(), target, put);
        if (put) {
            error = "Cannot create " + target.string() + ": " + put.message();
            return false;
        }
    }
    if (ec) {
        error = "Cannot read the directory " + dataDirectory + ": " + ec.message();
        return false;
    }
    const fs::path library = user / kLibrary;
    if (!Exists(library)) {
        fs::create_symlink(fs::path(libraryDirectory) / kLibrary, library, ec);
        if (ec) {
            error = "Cannot create " + library.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

std::string CInstalledLayout::ProgramDirectory(const std::string& executableDirectory,
                                               const Environment& environment, std::string& error) {
    const std::string data = DataDirectory(executableDirectory);
    if (data.empty()) return executableDirectory;
    const std::string user = UserDirectory(environment);
    if (user.empty()) {
        error = "Neither XDG_CONFIG_HOME nor HOME names a directory for Kelvane's settings.";
        return {};
    }
    const std::string library =
        (fs::path(executableDirectory) / ".." / "lib" / "kelvane").lexically_normal().string();
    if (!Prepare(data, library, user, error)) return {};
    return user;
}
