#include "platform/CAutostartEntry.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Characters that make an Exec argument need double quotes.
constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";

// The Exec value of one argument. Inside double quotes ", `, $ and \ take a
// backslash; the string escaping of the file format then doubles every
// backslash once more, and "%" (a field code) is written "%%".
std::string ExecArgument(const std::string& argument)
{
    std::string quoted;
    const bool needsQuotes = argument.find_first_of(kReserved) != std::string::npos;
    if (needsQuotes) quoted += '"';
    for (const char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
        quoted += c;
    }
    if (needsQuotes) quoted += '"';

    std::string value;
    for (const char c : quoted) {
        if (c == '\\') value += '\\';
        if (c == '%') value += '%';
        value += c;
    }
    return value;
}

}  // namespace

std::string CAutostartEntry::DefaultDirectory()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') return std::string(configHome) + "/autostart";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.config/autostart";
    return {};
}

std::string CAutostartEntry::DesktopEntry(const std::string& programPath)
{
    if (programPath.empty() || programPath.find_first_of("\n\r") != std::string::npos) return {};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kelvane\n"
           "Comment=Hardware monitor, started in the notification area\n"
           "Exec=" +
           ExecArgument(programPath) +
           " -M\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool CAutostartEntry::Write(const std::string& programPath) const
{
    const std::string text = DesktopEntry(programPath);
    if (text.empty() || m_strDirectory.empty()) return false;

    std::error_code error;
    fs::create_directories(m_strDirectory, error);
    if (error) return false;

    const std::string temporary = Path() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            fs::remove(temporary, error);
            return false;
        }
    }
    fs::rename(temporary, Path(), error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

bool CAutostartEntry::Remove() const
{
    if (m_strDirectory.empty()) return false;
    std::error_code error;
    fs::remove(Path(), error);
    return !error;
}
