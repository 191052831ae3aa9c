#include "windows/CHelpPage.h"
#include "windows/CProgramDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

class RecordingShellOpener : public IShellOpener {
public:
    bool OpenFile(const std::string& path) override
    {
        opened.push_back(path);
        return true;
    }
    std::vector<std::string> opened;
};

class HelpPageTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kelvane-help-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "help");
        Page("help_enu.htm");
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void Page(const std::string& name) { std::ofstream(m_dir / "help" / name) << "<html></html>"; }
    std::string Dir() const { return m_dir.string(); }

    fs::path m_dir;
    RecordingShellOpener m_opener;
};

}  // namespace

TEST_F(HelpPageTree, OpensThePageOfTheLanguageElseTheEnglishOne)
{
    Page("help_deu.htm");
    Page("help_.htm");
    const struct {
        const char* code;
        const char* page;
    } cases[] = {
        {"DEU", "help_deu.htm"},
        {"ENU", "help_enu.htm"},
        {"FRA", "help_enu.htm"},  // no French page
        {"", "help_.htm"},        // a language outside the table
    };
    for (const auto& c : cases) {
        CHelpPage help(Dir(), c.code, m_opener);
        EXPECT_TRUE(help.OpenHelpPage());
        ASSERT_FALSE(m_opener.opened.empty());
        EXPECT_EQ(m_opener.opened.back(), Dir() + "/help/" + c.page) << c.code;
    }
    EXPECT_EQ(m_opener.opened.size(), 4u);
}

TEST(ProgramDirectory, DirectoryOfTheExecutable)
{
    EXPECT_EQ(CProgramDirectory::DirectoryOf("/opt/kelvane/kelvane"), "/opt/kelvane");
    EXPECT_EQ(CProgramDirectory::DirectoryOf("/kelvane"), "");
    EXPECT_EQ(CProgramDirectory::DirectoryOf("kelvane"), "");
    // The tests run from the program directory, where the test programs lie.
    EXPECT_EQ(CProgramDirectory::GetProgramDirectory(), fs::canonical("/proc/self/exe").parent_path().string());
    EXPECT_TRUE(fs::exists(CProgramDirectory::GetProgramDirectory() + "/windows_tests"));
}
