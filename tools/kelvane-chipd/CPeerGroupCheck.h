// What a connected peer may do: read when it belongs to the service's
// group, drive the chip (write) when it belongs to the control group, as
// its primary group or one of its supplementary groups; nothing otherwise.
// Root is no exception. The peer's identity comes from the kernel
// (SO_PEERCRED, and SO_PEERGROUPS for the supplementary groups as they were
// at connect time), never from the peer; only on a kernel without
// SO_PEERGROUPS are the groups read from /proc/<pid>/status under a root
// prefix.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/kelvane-chipd/CClientRegistry.h"

class CPeerGroupCheck {
public:
    CPeerGroupCheck(gid_t group, std::string procRoot) : CPeerGroupCheck(group, group, std::move(procRoot)) {}
    CPeerGroupCheck(gid_t group, gid_t controlGroup, std::string procRoot)
        : m_group(group), m_controlGroup(controlGroup), m_procRoot(std::move(procRoot)) {}

    // groups: the peer's supplementary groups from the kernel, or null when
    // they could not be had. nullopt: the peer may not connect.
    std::optional<CClientRegistry::Right> RightOf(pid_t pid, gid_t primaryGroup,
                                                  const std::vector<gid_t>* groups) const;
    bool Allowed(pid_t pid, gid_t primaryGroup, const std::vector<gid_t>* groups) const {
        return RightOf(pid, primaryGroup, groups).has_value();
    }
    gid_t Group() const { return m_group; }

private:
    std::vector<gid_t> ProcGroups(pid_t pid) const;

    gid_t m_group;
    gid_t m_controlGroup;
    std::string m_procRoot;
};
