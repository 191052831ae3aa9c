#include "windows/CUserPreferences.h"

#include <gtest/gtest.h>

#include "platform/CPrivateProfile.h"
#include "support/CTempDir.h"

namespace {

class UserPreferences : public ::testing::Test {
protected:
    std::string Write(const std::string& text)
    {
        CTempDir::Write(m_path, text);
        return m_path;
    }
    CUserPreferences Load()
    {
        CUserPreferences preferences;
        preferences.LoadPreferences(m_file);
        return preferences;
    }
    int Int(const char* section, const char* key) { return m_profile.GetInt(m_path, section, key, -99); }

    CTempDir m_dir;
    std::string m_path = m_dir.File("Root.ini");
    CPrivateProfile m_profile;
    CIniFile m_file{m_path, m_profile};
};

TEST_F(UserPreferences, SaveWritesEveryKeyInOrderAndLoadReadsItBack)
{
    Write("");
    CUserPreferences saved;
    saved.m_nVoltCount = 3;
    saved.m_nVoltItem = {4, 0, 9, 0, 0, 0, 0, 0};
    saved.m_nFanCount = 2;
    saved.m_nFanItem = {2, 1, 0};
    saved.m_nTempCount = 1;
    saved.m_nTempItem = {1, 0, 0};
    saved.m_nSubVoltItem = {1, 2, 3};
    saved.m_nSubFanItem = {0, 1, 2};
    saved.m_nSubTempItem = {2, 1, 0};
    saved.m_bCentigrade = true;
    saved.m_bAutoRun = true;
    saved.m_bErrorLog = true;
    saved.m_strEMailAddr = "ops@example.org; night@example.org";
    saved.SavePreferences(m_file);

    EXPECT_EQ(CTempDir::Read(m_path),
              "[VoltDisplay]\ncount=3\nItem1=4\nItem2=0\nItem3=9\n"
              "[TempDisplay]\ncount=1\nItem1=1\n"
              "[FanDisplay]\ncount=2\nItem1=2\nItem2=1\n"
              "[User]\nautorun=1\nEMailEnable=0\nEMailAddr=ops@example.org; night@example.org\n"
              "Centigrade=1\nSmartFan=0\nErrorLog=1\nExpanded=0\nVoltGraph=0\nFanGraph=0\nTempGraph=0\n"
              "[SubVoltDisplay]\nItem1=1\nItem2=2\nItem3=3\n"
              "[SubFanDisplay]\nItem1=0\nItem2=1\nItem3=2\n"
              "[SubTempDisplay]\nItem1=2\nItem2=1\nItem3=0\n");

    const CUserPreferences loaded = Load();
    EXPECT_EQ(loaded.m_nVoltCount, 3);
    EXPECT_EQ(loaded.m_nVoltItem, saved.m_nVoltItem);
    EXPECT_EQ(loaded.m_nFanCount, 2);
    EXPECT_EQ(loaded.m_nFanItem, saved.m_nFanItem);
    EXPECT_EQ(loaded.m_nTempCount, 1);
    EXPECT_EQ(loaded.m_nTempItem, saved.m_nTempItem);
    EXPECT_EQ(loaded.m_nSubVoltItem, saved.m_nSubVoltItem);
    EXPECT_EQ(loaded.m_nSubFanItem, saved.m_nSubFanItem);
    EXPECT_EQ(loaded.m_nSubTempItem, saved.m_nSubTempItem);
    EXPECT_TRUE(loaded.m_bCentigrade);
    EXPECT_FALSE(loaded.m_bSmartFan);
    EXPECT_TRUE(loaded.m_bAutoRun) << "\"autorun\" is read back through the key AutoRun";
    EXPECT_FALSE(loaded.m_bEMailEnable);
    EXPECT_TRUE(loaded.m_bErrorLog);
    EXPECT_EQ(loaded.m_strEMailAddr, saved.m_strEMailAddr);
}

TEST_F(UserPreferences, AnyNonZeroSwitchLoadsTrueAndIsSavedAsOne)
{
    Write("[User]\nCentigrade=2\nSmartFan=-1\nAutoRun=7abc\n");
    const CUserPreferences preferences = Load();
    EXPECT_TRUE(preferences.m_bCentigrade);
    EXPECT_TRUE(preferences.m_bSmartFan);
    EXPECT_TRUE(preferences.m_bAutoRun);

    preferences.SavePreferences(m_file);
    EXPECT_EQ(Int("User", "Centigrade"), 1);
    EXPECT_EQ(Int("User", "SmartFan"), 1);
    EXPECT_EQ(m_profile.GetString(m_path, "User", "AutoRun", "?"), "1");
}

TEST_F(UserPreferences, ShrunkListLeavesStaleItemKeysThatAreNotReadBack)
{
    Write("[VoltDisplay]\ncount=3\nItem1=5\nItem2=6\nItem3=7\n");
    CUserPreferences preferences = Load();
    preferences.m_nVoltCount = 1;
    preferences.SavePreferences(m_file);

    EXPECT_EQ(Int("VoltDisplay", "count"), 1);
    EXPECT_EQ(Int("VoltDisplay", "Item2"), 6);
    EXPECT_EQ(Int("VoltDisplay", "Item3"), 7);

    const CUserPreferences reloaded = Load();
    EXPECT_EQ(reloaded.m_nVoltCount, 1);
    EXPECT_EQ(reloaded.m_nVoltItem[0], 5);
    EXPECT_EQ(reloaded.m_nVoltItem[1], 0);
    EXPECT_EQ(reloaded.m_nVoltItem[2], 0);
}

TEST_F(UserPreferences, HandEditedCountsAndIndicesStayInsideTheLists)
{
    Write("[VoltDisplay]\ncount=12\nItem1=-3\nItem2=10\nItem8=9\nItem9=4\nItem11=4\n"
          "[FanDisplay]\ncount=7\nItem1=5\nItem3=2\nItem4=1\nItem6=1\n"
          "[TempDisplay]\ncount=-2\nItem1=2\n"
          "[SubVoltDisplay]\nItem1=99\n[SubFanDisplay]\nItem2=-1\n[SubTempDisplay]\nItem3=3\n");
    const CUserPreferences preferences = Load();

    // Lists hold every item of their group: ten voltages, five fans.
    EXPECT_EQ(preferences.m_nVoltCount, 10);
    EXPECT_EQ(preferences.m_nVoltItem[0], 0);
    EXPECT_EQ(preferences.m_nVoltItem[1], 9);
    EXPECT_EQ(preferences.m_nVoltItem[7], 9);
    EXPECT_EQ(preferences.m_nVoltItem[8], 4);
    EXPECT_EQ(preferences.m_nFanCount, 5);
    EXPECT_EQ(preferences.m_nFanItem[0], 4);
    EXPECT_EQ(preferences.m_nFanItem[2], 2);
    EXPECT_EQ(preferences.m_nFanItem[3], 1);
    EXPECT_EQ(preferences.m_nTempCount, 0);
    EXPECT_EQ(preferences.m_nTempItem[0], 0) << "a negative count reads no items";
    EXPECT_EQ(preferences.m_nSubVoltItem[0], 9);
    EXPECT_EQ(preferences.m_nSubFanItem[1], 0);
    EXPECT_EQ(preferences.m_nSubTempItem[2], 2);

    // A count set beyond the capacity is cut on the way out as well.
    CUserPreferences oversized = preferences;
    oversized.m_nFanCount = 40;
    oversized.SavePreferences(m_file);
    EXPECT_EQ(Int("FanDisplay", "count"), 5);
    EXPECT_EQ(Int("VoltDisplay", "Item9"), 4) << "only Item1-Item8 are ever written";
}

TEST_F(UserPreferences, UserSectionAloneEnablesMailWithNoRecipients)
{
    Write("[User]\nEMailEnable=1\n");
    const CUserPreferences preferences = Load();
    EXPECT_TRUE(preferences.m_bEMailEnable);
    EXPECT_EQ(preferences.m_strEMailAddr, "");
    EXPECT_EQ(preferences.m_nVoltCount, 0);
    EXPECT_FALSE(preferences.m_bErrorLog);
}

TEST_F(UserPreferences, AddressIsCutAt255Characters)
{
    Write("[User]\nEMailAddr=" + std::string(300, 'a') + "\n");
    EXPECT_EQ(Load().m_strEMailAddr, std::string(255, 'a'));
}

}  // namespace
