// Whether a connected peer may use the service: it must belong to the
// service's group, as its primary group or one of its supplementary groups
// (read from /proc/<pid>/status under a root prefix). The peer's identity
// comes from SO_PEERCRED, which the kernel fills in, never from the peer.
#pragma once

#include <sys/types.h>

#include <string>

class CPeerGroupCheck {
public:
    CPeerGroupCheck(gid_t group, std::string procRoot) : m_group(group), m_procRoot(std::move(procRoot)) {}

    bool Allowed(pid_t pid, gid_t primaryGroup) const;
    gid_t Group() const { return m_group; }

private:
    gid_t m_group;
    std::string m_procRoot;
};
