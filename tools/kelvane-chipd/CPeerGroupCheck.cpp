#include "tools/kelvane-chipd/CPeerGroupCheck.h"

#include <fstream>
#include <sstream>

bool CPeerGroupCheck::Allowed(pid_t pid, gid_t primaryGroup, const std::vector<gid_t>* groups) const {
    if (primaryGroup == m_group) return true;
    if (groups) {
        for (gid_t group : *groups) {
            if (group == m_group) return true;
        }
        return false;
    }
    const std::string root = (m_procRoot.empty() || m_procRoot == "/") ? "" : m_procRoot;
    std::ifstream status(root + "/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Groups:", 0) != 0) continue;
        std::istringstream groups(line.substr(7));
        long group = 0;
        while (groups >> group) {
            if (group >= 0 && static_cast<gid_t>(group) == m_group) return true;
        }
        return false;
    }
    return false;
}
