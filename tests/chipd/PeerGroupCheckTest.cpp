// Membership of the service's group: the primary group, the kernel's list of
// supplementary groups, or, without that list, the peer's /proc status.
#include <filesystem>

#include <gtest/gtest.h>

#include "support/CTempDir.h"
#include "tools/kelvane-chipd/CPeerGroupCheck.h"

TEST(PeerGroupCheck, AdmitsMembersOnly) {
    CTempDir root;
    std::filesystem::create_directories(root.Path() + "/proc/4242");
    CTempDir::Write(root.Path() + "/proc/4242/status", "Name:\tkelvane\nUid:\t1000\nGroups:\t24 27 990 \nNgid:\t0\n");
    const CPeerGroupCheck check(990, root.Path());
    const std::vector<gid_t> member{24, 990}, other{24, 27};
    struct Case {
        const char* what;
        pid_t pid;
        gid_t primary;
        const std::vector<gid_t>* groups;
        bool allowed;
    };
    const Case cases[] = {
        {"primary group", 1, 990, &other, true},
        {"kernel's supplementary groups", 1, 1000, &member, true},
        {"neither", 1, 1000, &other, false},
        {"kernel's list wins over /proc", 4242, 1000, &other, false},
        {"/proc status without the kernel's list", 4242, 1000, nullptr, true},
        {"no /proc status", 999, 1000, nullptr, false},
    };
    for (const Case& c : cases) EXPECT_EQ(check.Allowed(c.pid, c.primary, c.groups), c.allowed) << c.what;
}
