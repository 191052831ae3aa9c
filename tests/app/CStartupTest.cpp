#include "app/CCommandLine.h"
#include "app/CStartupFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "support/CTempDir.h"

namespace {

class StartupFiles : public ::testing::Test {
protected:
    StartupFiles()
    {
        CTempDir::Write(m_dir.File("Root.ini"), "[User]\nCentigrade=1\n");
        CTempDir::Write(m_dir.File("error.txt"), "");
        CTempDir::Write(m_dir.File("p5abdef.ini"), "[VOLT1]\n");
    }
    bool Check(const std::string& board = "p5ab")
    {
        const CStartupFiles files(m_dir.Path(), board);
        return files.CheckFiles(m_profile, m_boxes, [this](int status) { m_exits.push_back(status); });
    }

    CTempDir m_dir;
    CPrivateProfile m_profile;
    CRecordingMessageBox m_boxes;
    std::vector<int> m_exits;
};

TEST_F(StartupFiles, PathsLieInTheProgramDirectory)
{
    const CStartupFiles files("/opt/kelvane", "p5ab");
    EXPECT_EQ(files.IniPath(), "/opt/kelvane/Root.ini");
    EXPECT_EQ(files.LogPath(), "/opt/kelvane/error.txt");
    EXPECT_EQ(files.BoardDefaultsPath(), "/opt/kelvane/p5abdef.ini");
    EXPECT_EQ(CStartupFiles("/opt/kelvane", "").BoardDefaultsPath(), "/opt/kelvane/def.ini");
}

TEST_F(StartupFiles, AllThreePresentStartsEvenWithAnEmptyLog)
{
    EXPECT_TRUE(Check());
    EXPECT_TRUE(m_boxes.ShownBoxes().empty());
    EXPECT_TRUE(m_exits.empty());
}

TEST_F(StartupFiles, AMissingSettingsOrDefaultsFileEndsTheStartAndIsNamed)
{
    for (const char* missing : {"Root.ini", "p5abdef.ini"}) {
        SCOPED_TRACE(missing);
        const std::string kept = m_dir.File(std::string(missing) + ".kept");
        std::filesystem::rename(m_dir.File(missing), kept);
        m_boxes.Clear();
        m_exits.clear();

        EXPECT_FALSE(Check());
        ASSERT_EQ(m_boxes.ShownBoxes().size(), 1u);
        EXPECT_EQ(m_boxes.ShownBoxes()[0].text, "Open File error!\n\n" + m_dir.File(missing) + " cannot be opened.");
        EXPECT_EQ(m_boxes.ShownBoxes()[0].caption, "Warning");
        EXPECT_EQ(m_boxes.ShownBoxes()[0].style, MessageBoxStyle::kOk);
        EXPECT_EQ(m_exits, std::vector<int>{0});
        EXPECT_FALSE(std::filesystem::exists(m_dir.File(missing)));
        if (std::string(missing) != "Root.ini") {
            EXPECT_EQ(CTempDir::Read(m_dir.File("Root.ini")), "[User]\nCentigrade=1\n");
        }

        std::filesystem::rename(kept, m_dir.File(missing));
    }
}

TEST_F(StartupFiles, ADeletedLogIsMadeAnewEmptyButALinkIsNotFollowed)
{
    std::filesystem::remove(m_dir.File("error.txt"));
    EXPECT_TRUE(Check());
    EXPECT_TRUE(m_boxes.ShownBoxes().empty());
    EXPECT_EQ(CTempDir::Read(m_dir.File("error.txt")), "");

    // A dangling link where the log should be is not written through.
    std::filesystem::remove(m_dir.File("error.txt"));
    std::filesystem::create_symlink(m_dir.File("elsewhere"), m_dir.File("error.txt"));
    EXPECT_FALSE(Check());
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("elsewhere")));
    EXPECT_EQ(m_exits, std::vector<int>{0});
}

TEST(CommandLine, OnlyExactlyDashMMinimises)
{
    struct Case {
        std::vector<std::string> arguments;
        bool minimised;
    };
    const Case cases[] = {
        {{"-m"}, true},       {{"-M"}, true},         {{}, false},           {{"-m "}, false},
        {{" -m"}, false},     {{"-m", ""}, false},    {{"/m"}, false},       {{"-mx"}, false},
        {{"-m", "-M"}, false}, {{"-Minimal"}, false}, {{"m"}, false},
    };
    for (const Case& c : cases) {
        const CCommandLine line(c.arguments);
        EXPECT_EQ(line.IsMinimised(), c.minimised) << '"' << line.ArgumentText() << '"';
    }
}

TEST(CommandLine, AutomationOptions)
{
    struct Case {
        std::vector<std::string> arguments;
        bool automation;
    };
    const Case cases[] = {
        {{"-Embedding"}, true},  {{"/Automation"}, true}, {{"-m", "-embedding"}, true},
        {{"-AUTOMATION"}, true}, {{"Embedding"}, false},  {{"-Embeddingx"}, false},
        {{}, false},             {{"-m"}, false},
    };
    for (const Case& c : cases) {
        const CCommandLine line(c.arguments);
        EXPECT_EQ(line.IsAutomation(), c.automation) << '"' << line.ArgumentText() << '"';
    }
}

TEST(CommandLine, ArgvWithoutTheProgramName)
{
    const char* argv[] = {"/opt/kelvane/kelvane", "-M", nullptr};
    const CCommandLine line(2, argv);
    EXPECT_EQ(line.ArgumentText(), "-M");
    EXPECT_TRUE(line.IsMinimised());
    EXPECT_EQ(CCommandLine(1, argv).ArgumentText(), "");
}

}  // namespace
