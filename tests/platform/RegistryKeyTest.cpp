#include <string>

#include <gtest/gtest.h>

#include "platform/CRegistryKey.h"
#include "support/CTempDir.h"

namespace {

const char* const kPreference = "Software\\Dravik\\HardwareMonitor\\P5APreference\\VOLT1";

class RegistryKeyTest : public ::testing::Test {
protected:
    CTempDir dir;
    std::string hive = dir.File("registry.db");
    CRegistryKey key{hive, kHkeyLocalMachine};
};

TEST_F(RegistryKeyTest, ValuesRoundTripUnderKeyPathsOfAnyCase) {
    ASSERT_TRUE(key.WriteNumber(kPreference, "TotalBits", 0x1234'5609u));
    ASSERT_TRUE(key.WriteText(kPreference, "Name", "Vcore  "));
    ASSERT_TRUE(key.WriteNumberText(kPreference, "LoLimit", -1200));

    const char* const spellings[] = {
        "Software\\Dravik\\HardwareMonitor\\P5APreference\\VOLT1",
        "SOFTWARE\\dravik\\hardwaremonitor\\p5apreference\\volt1",
        "\\Software\\\\Dravik\\HardwareMonitor\\P5APreference\\VOLT1\\",
    };
    for (const char* path : spellings) {
        uint32_t number = 0;
        std::string text;
        EXPECT_TRUE(key.KeyExists(path)) << path;
        EXPECT_TRUE(key.ReadNumber(path, "totalbits", number)) << path;
        EXPECT_EQ(number, 0x1234'5609u);
        EXPECT_TRUE(key.ReadText(path, "NAME", text));
        EXPECT_EQ(text, "Vcore  ");
        EXPECT_TRUE(key.ReadText(path, "LoLimit", text));
        EXPECT_EQ(text, "-1200");
    }
}

TEST_F(RegistryKeyTest, WritesCreateParentsAndReadsDoNot) {
    EXPECT_FALSE(key.KeyExists("Software\\Dravik"));
    uint32_t number = 7;
    std::string text = "stale";
    EXPECT_FALSE(key.ReadNumber(kPreference, "Enable", number));
    EXPECT_FALSE(key.ReadText(kPreference, "Name", text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(key.KeyExists("Software\\Dravik"));

    ASSERT_TRUE(key.WriteText(kPreference, "Enable", "1"));
    EXPECT_TRUE(key.KeyExists("Software"));
    EXPECT_TRUE(key.KeyExists("Software\\Dravik\\HardwareMonitor"));
    EXPECT_TRUE(key.KeyExists(""));
    EXPECT_FALSE(key.KeyExists("Software\\Dravik\\HardwareMonitor\\P5ADefault"));
}

TEST_F(RegistryKeyTest, TypesAreKeptApart) {
    ASSERT_TRUE(key.WriteText(kPreference, "HiLimit", "350"));
    ASSERT_TRUE(key.WriteNumber(kPreference, "Addr1", 0x20));
    uint32_t number = 0;
    std::string text;
    EXPECT_FALSE(key.ReadNumber(kPreference, "HiLimit", number));
    EXPECT_FALSE(key.ReadText(kPreference, "Addr1", text));
    // Rewriting a value with the other type replaces it.
    ASSERT_TRUE(key.WriteNumber(kPreference, "HiLimit", 5));
    EXPECT_TRUE(key.ReadNumber(kPreference, "HiLimit", number));
    EXPECT_EQ(number, 5u);
}

TEST_F(RegistryKeyTest, TextsBeyondTheReadBufferCannotBeRead) {
    ASSERT_TRUE(key.WriteText(kPreference, "Fits", std::string(1024, 'a')));
    ASSERT_TRUE(key.WriteText(kPreference, "TooLong", std::string(1025, 'a')));
    ASSERT_TRUE(key.WriteText(kPreference, "Empty", ""));
    std::string text = "x";
    EXPECT_TRUE(key.ReadText(kPreference, "Fits", text));
    EXPECT_EQ(text.size(), 1024u);
    EXPECT_FALSE(key.ReadText(kPreference, "TooLong", text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(key.ReadText(kPreference, "Empty", text));
    EXPECT_EQ(text, "");
}

TEST_F(RegistryKeyTest, DeleteValueRemovesOneValueAndKeepsTheKey) {
    ASSERT_TRUE(key.WriteText("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kelvane", "/opt/kelvane -M"));
    ASSERT_TRUE(key.WriteText("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other", "x"));
    EXPECT_TRUE(key.DeleteValue("software\\microsoft\\windows\\currentversion\\run", "KELVANE"));
    EXPECT_FALSE(key.DeleteValue("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kelvane"));
    std::string text;
    EXPECT_FALSE(key.ReadText("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Kelvane", text));
    EXPECT_TRUE(key.ReadText("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other", text));
    EXPECT_TRUE(key.KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
}

TEST_F(RegistryKeyTest, NoRootOrNoHiveFailsEverything) {
    CRegistryKey noRoot(hive, "");
    CRegistryKey noHive(dir.File("missing/dir/registry.db"), kHkeyLocalMachine);
    for (CRegistryKey* k : {&noRoot, &noHive}) {
        uint32_t number = 0;
        std::string text;
        EXPECT_FALSE(k->WriteNumber("A", "n", 1));
        EXPECT_FALSE(k->WriteText("A", "t", "x"));
        EXPECT_FALSE(k->WriteNumberText("A", "t", 1));
        EXPECT_FALSE(k->KeyExists(""));
        EXPECT_FALSE(k->ReadNumber("A", "n", number));
        EXPECT_FALSE(k->ReadText("A", "t", text));
        EXPECT_FALSE(k->DeleteValue("A", "t"));
    }
    noRoot.SetRoot(kHkeyLocalMachine);
    EXPECT_TRUE(noRoot.WriteNumber("A", "n", 1));
}

TEST_F(RegistryKeyTest, RootsAreSeparateTrees) {
    CRegistryKey user(hive, "HKEY_CURRENT_USER");
    ASSERT_TRUE(key.WriteNumber("Software\\Dravik", "ID", 1234));
    EXPECT_FALSE(user.KeyExists("Software\\Dravik"));
}

TEST_F(RegistryKeyTest, TwoConnectionsShareOneHive) {
    CRegistryKey other(hive, "hkey_local_machine");
    ASSERT_TRUE(key.WriteNumber("Software\\Dravik\\Dravik Manager", "ID", 5678));
    uint32_t id = 0;
    EXPECT_TRUE(other.ReadNumber("Software\\Dravik\\Dravik Manager", "ID", id));
    EXPECT_EQ(id, 5678u);
    // Interleaved writes from both connections all land.
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(key.WriteNumberText("Software\\A", "k" + std::to_string(i), i));
        ASSERT_TRUE(other.WriteNumberText("Software\\B", "k" + std::to_string(i), -i));
    }
    std::string text;
    EXPECT_TRUE(other.ReadText("Software\\A", "k19", text));
    EXPECT_EQ(text, "19");
    EXPECT_TRUE(key.ReadText("Software\\B", "k19", text));
    EXPECT_EQ(text, "-19");
}

}  // namespace
