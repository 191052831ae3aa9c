// The About box says how the chip is reached.
#include <QLabel>

#include <gtest/gtest.h>

#include "app/CAboutDlg.h"
#include "skin/CSkinLibrary.h"
#include "support/QtTestApplication.h"

TEST(AboutDlg, ShowsTheChipAccessLineOnlyWhenKnown) {
    QtTestApplication();
    const CSkinLibrary skins(QStringLiteral("/nonexistent"));
    const CAboutDlg service(skins, nullptr, "chip service at /run/kelvane/chip.sock");
    const auto* line = service.findChild<QLabel*>(QStringLiteral("chipAccess"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Chip: chip service at /run/kelvane/chip.sock"));

    const CAboutDlg unknown(skins);
    EXPECT_EQ(unknown.findChild<QLabel*>(QStringLiteral("chipAccess")), nullptr);
    EXPECT_NE(unknown.findChild<QLabel*>(QStringLiteral("version")), nullptr);
}

TEST(AboutDlg, SaysWhatThePathMeansOneRemarkALine) {
    QtTestApplication();
    const CSkinLibrary skins(QStringLiteral("/nonexistent"));
    const CAboutDlg about(skins, nullptr, "kernel driver w83627hf", {"first remark", "second remark"});
    const QList<QLabel*> remarks = about.findChildren<QLabel*>(QStringLiteral("chipRemark"));
    ASSERT_EQ(remarks.size(), 2);
    EXPECT_EQ(remarks[0]->text(), QStringLiteral("first remark"));
    EXPECT_EQ(remarks[1]->text(), QStringLiteral("second remark"));
}
