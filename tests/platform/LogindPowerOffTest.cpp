// The power-off's commands, checked with a recording runner: nothing is run.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CLogindPowerOff.h"

namespace {

TEST(LogindPowerOffTest, AsksLogindAndFallsBackToSystemctlOnlyWhenThatFails) {
    struct Case {
        int logindStatus;
        int systemctlStatus;
        bool accepted;
        size_t commands;
    };
    const Case cases[] = {{0, 0, true, 1}, {1, 0, true, 2}, {-1, 0, true, 2}, {1, 1, false, 2}};
    for (const Case& c : cases) {
        std::vector<std::vector<std::string>> run;
        CLogindPowerOff powerOff([&](const std::vector<std::string>& argv) {
            run.push_back(argv);
            return run.size() == 1 ? c.logindStatus : c.systemctlStatus;
        });
        EXPECT_EQ(powerOff.PowerOff(), c.accepted);
        ASSERT_EQ(run.size(), c.commands);
        EXPECT_EQ(run[0], (std::vector<std::string>{"busctl", "call", "org.freedesktop.login1",
                                                    "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                                    "PowerOff", "b", "false"}));
        if (run.size() > 1) {
            EXPECT_EQ(run[1], (std::vector<std::string>{"systemctl", "poweroff"}));
        }
    }
}

TEST(LogindPowerOffTest, TheRunnerReportsTheChildsExitStatus) {
    // Harmless programs only: the runner itself, never the power-off.
    EXPECT_EQ(CLogindPowerOff::RunCommand({"true"}), 0);
    EXPECT_EQ(CLogindPowerOff::RunCommand({"false"}), 1);
    EXPECT_EQ(CLogindPowerOff::RunCommand({"kelvane-no-such-program"}), 127);
    EXPECT_EQ(CLogindPowerOff::RunCommand({}), -1);
}

}  // namespace
