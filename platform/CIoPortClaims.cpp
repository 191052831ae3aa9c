#include "platform/CIoPortClaims.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

constexpr std::streamsize kMaxBytes = 256 * 1024;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool CIoPortClaims::IsChipDriver(const std::string& name) {
    static const char* const kDrivers[] = {"w83781d", "w83627hf", "w83791d", "w83792d", "w83793",
                                           "w83627ehf", "w83795", "w83l785ts", "w83l786ng"};
    for (const char* driver : kDrivers) {
        if (name == driver) return true;
    }
    return false;
}

std::vector<CPortClaim> CIoPortClaims::Over(const std::string& ioportsPath, uint16_t first, uint16_t last) {
    std::vector<CPortClaim> claims;
    std::ifstream file(ioportsPath);
    if (!file) return claims;
    std::string text(static_cast<size_t>(kMaxBytes), '\0');
    file.read(text.data(), kMaxBytes);
    text.resize(static_cast<size_t>(file.gcount()));
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned from = 0, to = 0;
        int consumed = 0;
        if (std::sscanf(line.c_str(), " %x-%x :%n", &from, &to, &consumed) != 2 || consumed == 0) continue;
        if (to < first || from > last) continue;
        const std::string name = Trim(line.substr(static_cast<size_t>(consumed)));
        const bool firmware = name.rfind("ACPI", 0) == 0;
        if (!firmware && !IsChipDriver(name)) continue;
        char range[32];
        std::snprintf(range, sizeof(range), "%04x-%04x", from, to);
        claims.push_back(CPortClaim{range, name, firmware});
    }
    return claims;
}
