// The window program without a display: one line that points to the ways
// that work, and status 1, instead of Qt's abort.
#include "app/CDisplayCheck.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <string>

#include "tests/app/CTestProgram.h"

namespace {

TEST(DisplayCheck, ADisplayOrAPlatformChosenByHandIsEnough)
{
    struct Case {
        std::map<std::string, std::string> environment;
        bool hasDisplay;
    };
    const Case cases[] = {
        {{}, false},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}}, false},
        {{{"HOME", "/home/alice"}, {"TERM", "xterm"}}, false},
        {{{"DISPLAY", ":0"}}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
    };
    for (const Case& c : cases) {
        const auto lookup = [&c](const char* name) -> const char* {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        };
        std::string described;
        for (const auto& [name, value] : c.environment) described += name + "=" + value + " ";
        EXPECT_EQ(CDisplayCheck::HasDisplay(lookup), c.hasDisplay) << described;
    }
}

TEST(DisplayCheck, TheProgramWithoutADisplaySaysWhatToRunAndEndsWithStatusOne)
{
    // It ends before anything else is opened, so the build's own program may run.
    const std::string command = "env -i HOME=/nonexistent PATH=/usr/bin:/bin '" +
                                CTestProgram::BuildProgramDirectory() + "/kelvane' 2>&1";
    FILE* output = ::popen(command.c_str(), "r");
    ASSERT_NE(output, nullptr);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, output) != nullptr) text += buffer;
    const int status = ::pclose(output);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(text, std::string(CDisplayCheck::kNoDisplayMessage) + "\n");
}

}  // namespace
