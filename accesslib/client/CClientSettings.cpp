#include "accesslib/client/CClientSettings.h"

#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string CClientSettings::SocketPath(const std::string& directory) {
    std::ifstream file(directory + "/" + kFileName, std::ios::binary);
    if (!file) return kDefaultSocket;
    std::string content(4096, '\0');
    file.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<size_t>(file.gcount()));
    std::istringstream lines(content);
    std::string line;
    bool inService = false;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            inService = Trim(line) == "[Service]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inService || equals == std::string::npos || Trim(line.substr(0, equals)) != "Socket") continue;
        const std::string value = Trim(line.substr(equals + 1));
        if (!value.empty()) return value;
    }
    return kDefaultSocket;
}
