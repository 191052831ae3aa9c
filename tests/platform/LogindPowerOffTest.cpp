// The power-off's commands, checked with a recording runner: nothing is run.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/CLogindPowerOff.h"

#include <utility>

namespace {

CCommandRunner::SOutcome Outcome(int status, std::string errors = "") {
    CCommandRunner::SOutcome outcome;
    outcome.started = status != -1;
    outcome.status = status;
    outcome.errorText = std::move(errors);
    return outcome;
}

TEST(LogindPowerOffTest, AsksLogindAndForcesWithSystemctlOnlyWhenThatFails) {
    struct Case {
        CCommandRunner::SOutcome logind;
        CCommandRunner::SOutcome systemctl;
        bool accepted;
        size_t commands;
        std::string refusal;
    };
    const Case cases[] = {
        {Outcome(0), Outcome(0), true, 1, ""},
        {Outcome(1), Outcome(0), true, 2, ""},
        {Outcome(-1), Outcome(0), true, 2, ""},
        {Outcome(1, "Call failed: Operation inhibited by \"gnome-session\"\n"),
         Outcome(1, "Access denied\n"), false, 2,
         "logind: Call failed: Operation inhibited by \"gnome-session\"; systemctl: Access denied"},
        {Outcome(-1), Outcome(4), false, 2, "logind: could not be started; systemctl: exit status 4"},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<std::string>> run;
        CLogindPowerOff powerOff([&](const std::vector<std::string>& argv) {
            run.push_back(argv);
            return run.size() == 1 ? c.logind : c.systemctl;
        });
        EXPECT_EQ(powerOff.PowerOff(), c.accepted);
        EXPECT_EQ(powerOff.RefusalText(), c.refusal);
        ASSERT_EQ(run.size(), c.commands);
        EXPECT_EQ(run[0], (std::vector<std::string>{"busctl", "call", "org.freedesktop.login1",
                                                    "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                                    "PowerOff", "b", "false"}));
        if (run.size() > 1) {
            EXPECT_EQ(run[1], (std::vector<std::string>{"systemctl", "poweroff", "-i"}));
        }
    }
}

TEST(LogindPowerOffTest, ATimedOutCommandIsNamedInTheRefusal) {
    CCommandRunner::SOutcome hung;
    hung.started = true;
    hung.timedOut = true;
    EXPECT_EQ(CLogindPowerOff::Describe("logind", hung), "logind: no answer in time");
}

}  // namespace
