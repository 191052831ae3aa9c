#include "app/CEmailLogon.h"

#include <gtest/gtest.h>

#include "CRecordingMailer.h"
#include "platform/CPrivateProfile.h"
#include "platform/CRecordingMessageBox.h"
#include "support/CTempDir.h"

namespace {

struct LogonCase {
    int logonResult;
    const char* message;  // nullptr: no box
};

class EmailLogon : public ::testing::TestWithParam<LogonCase> {};

TEST_P(EmailLogon, FailedLogonIsShownOnceAndSwitchesMailOffForTheNextSave)
{
    CTempDir dir;
    const std::string path = dir.File("Root.ini");
    CTempDir::Write(path, "[User]\nEMailEnable=1\nEMailAddr=ops@example.org\n");
    CPrivateProfile profile;
    CIniFile file(path, profile);
    CUserPreferences preferences;
    preferences.LoadPreferences(file);

    CRecordingMailer mailer;
    mailer.logonResult = GetParam().logonResult;
    CRecordingMessageBox boxes;
    CEmailLogon logon(mailer, boxes);
    bool mailReady = false;

    const bool ready = logon.InitEmail(preferences, mailReady);
    preferences.SavePreferences(file);

    const bool succeeds = GetParam().message == nullptr;
    EXPECT_EQ(ready, succeeds);
    EXPECT_EQ(mailReady, succeeds);
    EXPECT_EQ(preferences.m_bEMailEnable, succeeds);
    EXPECT_EQ(profile.GetInt(path, "User", "EMailEnable", -1), succeeds ? 1 : 0);
    EXPECT_EQ(mailer.logons, 1);
    EXPECT_EQ(mailer.logoffs, succeeds ? 0 : 1);
    if (succeeds) {
        EXPECT_TRUE(boxes.ShownBoxes().empty());
    } else {
        ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
        EXPECT_EQ(boxes.ShownBoxes()[0].text, GetParam().message);
        EXPECT_EQ(boxes.ShownBoxes()[0].caption, "Kelvane");
        EXPECT_EQ(boxes.ShownBoxes()[0].style, MessageBoxStyle::kOk);
    }
}

INSTANTIATE_TEST_SUITE_P(Results, EmailLogon,
                         ::testing::Values(LogonCase{0, nullptr}, LogonCase{1, "Initial Email false!"},
                                           LogonCase{2, "Can not load MAPI32.DLL"}));

TEST(EmailLogonSwitchedOff, DoesNotTouchTheMailSystem)
{
    CRecordingMailer mailer;
    CRecordingMessageBox boxes;
    CEmailLogon logon(mailer, boxes);
    CUserPreferences preferences;
    bool mailReady = true;
    EXPECT_FALSE(logon.InitEmail(preferences, mailReady));
    EXPECT_TRUE(mailReady) << "a disabled switch leaves the earlier logon state alone";
    EXPECT_EQ(mailer.logons, 0);
    EXPECT_EQ(mailer.logoffs, 0);
}

}  // namespace
