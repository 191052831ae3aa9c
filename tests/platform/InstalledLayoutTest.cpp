#include "platform/CInstalledLayout.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/CTempDir.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// P/bin, P/lib/kelvane and P/share/kelvane as the install rules lay them out.
struct InstalledPrefix {
    CTempDir dir;
    InstalledPrefix() {
        fs::create_directories(dir.File("bin"));
        fs::create_directories(dir.File("lib/kelvane"));
        fs::create_directories(dir.File("share/kelvane/help"));
        CTempDir::Write(dir.File("share/kelvane/def.ini"), "[board]\n");
        CTempDir::Write(dir.File("share/kelvane/W83782D.ini"), "[chip]\n");
        CTempDir::Write(dir.File("share/kelvane/Root.ini"), "[shipped]\n");
        CTempDir::Write(dir.File("share/kelvane/error.txt"), "");
        CTempDir::Write(dir.File("share/kelvane/help/help_enu.htm"), "<html/>");
        CTempDir::Write(dir.File("lib/kelvane/libWbcdflsh.so"), "ELF");
    }
    std::string Bin() const { return dir.File("bin"); }
};

CInstalledLayout::Environment With(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const char* name) -> const char* {
        const auto it = variables.find(name);
        return it == variables.end() ? nullptr : it->second.c_str();
    };
}

}  // namespace

TEST(InstalledLayout, ABuildTreeKeepsEverythingBesideTheProgram) {
    // Even with a share/kelvane one level up, the files beside the program win.
    InstalledPrefix prefix;
    CTempDir::Write(prefix.dir.File("bin/def.ini"), "");
    std::string error;
    EXPECT_EQ(CInstalledLayout::ProgramDirectory(prefix.Bin(), With({{"HOME", "/nowhere"}}), error), prefix.Bin());
    EXPECT_TRUE(error.empty());

    CTempDir bare;  // neither layout: left to the start-up file check
    EXPECT_EQ(CInstalledLayout::DataDirectory(bare.Path()), "");
    EXPECT_EQ(CInstalledLayout::DataDirectory(""), "");
}

TEST(InstalledLayout, UserDirectoryFollowsXdgConfigHomeThenHome) {
    const struct {
        std::map<std::string, std::string> environment;
        const char* expected;
    } cases[] = {
        {{{"XDG_CONFIG_HOME", "/x/config"}, {"HOME", "/home/u"}}, "/x/config/kelvane"},
        {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/u"}}, "/home/u/.config/kelvane"},
        {{{"HOME", "/home/u"}}, "/home/u/.config/kelvane"},
        {{{"XDG_CONFIG_HOME", ""}, {"HOME", ""}}, ""},
        {{}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CInstalledLayout::UserDirectory(With(c.environment)), c.expected);
}

TEST(InstalledLayout, FirstStartSeedsTheUserDirectoryAndLinksTheReadOnlyData) {
    InstalledPrefix prefix;
    CTempDir home;
    std::string error;
    const std::string directory =
        CInstalledLayout::ProgramDirectory(prefix.Bin(), With({{"XDG_CONFIG_HOME", home.File("cfg")}}), error);
    ASSERT_EQ(directory, home.File("cfg/kelvane")) << error;

    // The user's files are copies they may write; the rest points at the share.
    EXPECT_FALSE(fs::is_symlink(directory + "/Root.ini"));
    EXPECT_EQ(Read(directory + "/Root.ini"), "[shipped]\n");
    EXPECT_FALSE(fs::is_symlink(directory + "/error.txt"));
    EXPECT_TRUE(fs::is_symlink(directory + "/W83782D.ini"));
    EXPECT_EQ(Read(directory + "/help/help_enu.htm"), "<html/>");
    EXPECT_EQ(fs::read_symlink(directory + "/libWbcdflsh.so"), fs::path(prefix.dir.File("lib/kelvane/libWbcdflsh.so")));
}

TEST(InstalledLayout, ALaterStartNeverOverwritesTheUsersFiles) {
    InstalledPrefix prefix;
    CTempDir home;
    fs::create_directories(home.File(".config/kelvane"));
    CTempDir::Write(home.File(".config/kelvane/Root.ini"), "[mine]\n");
    CTempDir::Write(home.File(".config/kelvane/error.txt"), "warning\n");
    std::string error;
    ASSERT_EQ(CInstalledLayout::ProgramDirectory(prefix.Bin(), With({{"HOME", home.Path()}}), error),
              home.File(".config/kelvane"))
        << error;
    EXPECT_EQ(Read(home.File(".config/kelvane/Root.ini")), "[mine]\n");
    EXPECT_EQ(Read(home.File(".config/kelvane/error.txt")), "warning\n");
    EXPECT_TRUE(fs::exists(home.File(".config/kelvane/def.ini")));  // what was missing is filled in
}

TEST(InstalledLayout, AnUnusableUserDirectoryIsReportedNotPassedOver) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    InstalledPrefix prefix;
    CTempDir home;
    fs::create_directories(home.File("ro"));
    ::chmod(home.File("ro").c_str(), 0555);
    std::string error;
    EXPECT_EQ(CInstalledLayout::ProgramDirectory(prefix.Bin(), With({{"XDG_CONFIG_HOME", home.File("ro")}}), error),
              "");
    EXPECT_NE(error.find(home.File("ro/kelvane")), std::string::npos) << error;
    ::chmod(home.File("ro").c_str(), 0755);

    error.clear();
    EXPECT_EQ(CInstalledLayout::ProgramDirectory(prefix.Bin(), With({}), error), "");
    EXPECT_FALSE(error.empty());
}
