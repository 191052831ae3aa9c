#include "tools/kelvane-chipd/CPeerGroupCheck.h"

#include <algorithm>
#include <sstream>

#include "tools/kelvane-chipd/CRegularFile.h"

std::vector<gid_t> CPeerGroupCheck::ProcGroups(pid_t pid) const {
    const std::string root = (m_procRoot.empty() || m_procRoot == "/") ? "" : m_procRoot;
    std::istringstream status(CRegularFile::ReadOrEmpty(root + "/proc/" + std::to_string(pid) + "/status"));
    std::vector<gid_t> found;
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Groups:", 0) != 0) continue;
        std::istringstream groups(line.substr(7));
        long group = 0;
        while (groups >> group) {
            if (group >= 0) found.push_back(static_cast<gid_t>(group));
        }
        break;
    }
    return found;
}

std::optional<CClientRegistry::Right> CPeerGroupCheck::RightOf(pid_t pid, gid_t primaryGroup,
                                                               const std::vector<gid_t>* groups) const {
    const std::vector<gid_t> fromProc = groups ? std::vector<gid_t>{} : ProcGroups(pid);
    const std::vector<gid_t>& supplementary = groups ? *groups : fromProc;
    auto member = [&](gid_t wanted) {
        return primaryGroup == wanted || std::find(supplementary.begin(), supplementary.end(), wanted) !=
                                             supplementary.end();
    };
    if (member(m_controlGroup)) return CClientRegistry::Right::kControl;
    if (member(m_group)) return CClientRegistry::Right::kRead;
    return std::nullopt;
}
