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

// A string value of a desktop entry: a backslash is written twice and a
// leading blank as "\s", so that the reader gets the text back.
static std::string StringValue(const std::string& text)
{
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            value += "\\\\";
        else if (i == 0 && text[i] == ' ')
            value += "\\s";
        else
            value += text[i];
    }
    return value;
}

std::string CAutostartEntry::DesktopEntry(const std::string& programPath)
{
    if (programPath.empty() || programPath.find_first_of("\n\r") != std::string::npos) return {};
    // Path: started at log-in the program runs in its own directory, where
    // the translation files are looked up (the current directory).
    const std::size_t slash = programPath.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : programPath.substr(0, slash);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kelvane\n"
           "Comment=Hardware monitor, started in the notification area\n"
           "Exec=" +
           ExecArgument(programPath) +
           " -M\n" +
           (directory.empty() ? std::string() : "Path=" + StringValue(directory) + "\n") +
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
