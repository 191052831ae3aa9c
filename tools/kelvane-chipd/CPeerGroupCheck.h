// Whether a connected peer may use the service: it must belong to the
// service's group, as its primary group or one of its supplementary groups.
// The peer's identity comes from the kernel (SO_PEERCRED, and SO_PEERGROUPS
// for the supplementary groups as they were at connect time), never from the
// peer; only on a kernel without SO_PEERGROUPS are the groups read from
// /proc/<pid>/status under a root prefix.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class CPeerGroupCheck {
public:
    CPeerGroupCheck(gid_t group, std::string procRoot) : m_group(group), m_procRoot(std::move(procRoot)) {}

    // groups: the peer's supplementary groups from the kernel, or null when
    // they could not be had.
    bool Allowed(pid_t pid, gid_t primaryGroup, const std::vector<gid_t>* groups) const;
    gid_t Group() const { return m_group; }

private:
    gid_t m_group;
    std::string m_procRoot;
};
