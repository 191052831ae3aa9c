#include "platform/CAutostartEntry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/CTempDir.h"

namespace {

std::string ExecLine(const std::string& programPath)
{
    const std::string entry = CAutostartEntry::DesktopEntry(programPath);
    const std::size_t start = entry.find("\nExec=");
    if (start == std::string::npos) return {};
    return entry.substr(start + 1, entry.find('\n', start + 1) - start - 1);
}

TEST(AutostartEntry, ExecLineQuotesWhatTheDesktopWouldSplitOrExpand)
{
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/opt/kelvane/kelvane", "Exec=/opt/kelvane/kelvane -M"},
        {"/home/a b/kelvane", "Exec=\"/home/a b/kelvane\" -M"},
        {"/opt/$HOME/kelvane", "Exec=\"/opt/\\\\$HOME/kelvane\" -M"},
        {"/opt/100%/kelvane", "Exec=/opt/100%%/kelvane -M"},
        {"/opt/a\"b/kelvane", "Exec=\"/opt/a\\\\\"b/kelvane\" -M"},
        {"/opt/a\nb/kelvane", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExecLine(c.path), c.exec) << c.path;
}

TEST(AutostartEntry, PathIsTheProgramDirectorySoTranslationsLoadAtLogIn)
{
    const auto line = [](const std::string& programPath) {
        const std::string entry = CAutostartEntry::DesktopEntry(programPath);
        const std::size_t start = entry.find("\nPath=");
        return start == std::string::npos ? std::string() : entry.substr(start + 1, entry.find('\n', start + 1) - start - 1);
    };
    EXPECT_EQ(line("/opt/kelvane/kelvane"), "Path=/opt/kelvane");
    EXPECT_EQ(line("/home/a b/kelvane"), "Path=/home/a b");
    EXPECT_EQ(line("/opt/a\\b/kelvane"), "Path=/opt/a\\\\b");
}

TEST(AutostartEntry, WriteCreatesTheDirectoryAndRemoveToleratesAMissingEntry)
{
    CTempDir dir;
    const CAutostartEntry entry(dir.File("config/autostart"));
    EXPECT_TRUE(entry.Remove());
    ASSERT_TRUE(entry.Write("/opt/kelvane/kelvane"));
    EXPECT_EQ(CTempDir::Read(entry.Path()), CAutostartEntry::DesktopEntry("/opt/kelvane/kelvane"));
    EXPECT_FALSE(entry.Write("/opt/a\nb/kelvane"));
    EXPECT_EQ(CTempDir::Read(entry.Path()), CAutostartEntry::DesktopEntry("/opt/kelvane/kelvane"));
    EXPECT_TRUE(entry.Remove());
    EXPECT_FALSE(std::filesystem::exists(entry.Path()));
    EXPECT_EQ(std::filesystem::directory_iterator(dir.File("config/autostart")), std::filesystem::directory_iterator());
}

}  // namespace
