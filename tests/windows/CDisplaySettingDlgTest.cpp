// The Display Setting dialog over the real engine on the chip simulator.
#include "CDisplaySettingFixture.h"
#include "skin/CSkinButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using Dlg = CDisplaySettingDlg;
using F = CDisplaySettingFixture;

QStringList Texts(Dlg& dialog, int listId) { return F::List(dialog, listId)->Texts(); }

void Select(Dlg& dialog, int listId, const QString& text)
{
    CSortedListBox* list = F::List(dialog, listId);
    const int index = list->Texts().indexOf(text);
    ASSERT_GE(index, 0) << text.toStdString();
    list->SetCurSel(index);
}

void ShowPage(Dlg& dialog, int page) { qobject_cast<QTabWidget*>(dialog.Control(Dlg::kTab))->setCurrentIndex(page); }

std::vector<int> Selection(const CUserPreferences& p, int count)
{
    return std::vector<int>(p.m_nVoltItem.begin(), p.m_nVoltItem.begin() + count);
}

// The default names of the W83782D board: VCore, VTT, +3.3V, +5V, +12V,
// -12V, -5V, 5VSB for VOLT1-VOLT8.
class DisplaySettingLists : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fixture.Started()); }
    F fixture;
};

TEST_F(DisplaySettingLists, FillsInCaseInsensitiveOrderAndApplyStoresItemOrder)
{
    fixture.Engine().Volt(0)->SetName("beta");
    fixture.Engine().Volt(1)->SetName("Alpha");
    fixture.Engine().Volt(2)->SetName("Gamma");
    fixture.preferences.m_nVoltCount = 2;
    fixture.preferences.m_nVoltItem = {2, 1};
    auto dialog = fixture.Open();

    // A case-sensitive sort would put "Gamma" before "beta".
    const QStringList offered = Texts(*dialog, Dlg::kItemList);
    EXPECT_EQ(offered.mid(offered.indexOf("Alpha"), 3), (QStringList{"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(Texts(*dialog, Dlg::kMainList), (QStringList{"Alpha", "Gamma"}));

    // Add puts its entry at the top, Select All appends: the list is no
    // longer in any order, yet Apply stores the items in item order.
    Select(*dialog, Dlg::kItemList, "5VSB");
    F::Click(*dialog, Dlg::kAddMain);
    F::Click(*dialog, Dlg::kSelectAll);
    const QStringList main = Texts(*dialog, Dlg::kMainList);
    EXPECT_EQ(main.front(), "5VSB");
    // Every voltage is offered, the battery (VOLT9) included.
    EXPECT_EQ(main.size(), 9);
    EXPECT_EQ(main.mid(0, 3), (QStringList{"5VSB", "Alpha", "Gamma"}));

    F::Click(*dialog, Dlg::kApplyMain);
    EXPECT_EQ(fixture.preferences.m_nVoltCount, 9);
    EXPECT_EQ(Selection(fixture.preferences, 9), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));

    // Removing stops at the last entry.
    for (int i = 0; i < 10; ++i) {
        F::List(*dialog, Dlg::kMainList)->SetCurSel(0);
        F::Click(*dialog, Dlg::kRemoveMain);
    }
    ASSERT_EQ(Texts(*dialog, Dlg::kMainList).size(), 1);
    const QString last = Texts(*dialog, Dlg::kMainList).front();
    F::Click(*dialog, Dlg::kApplyMain);
    EXPECT_EQ(fixture.preferences.m_nVoltCount, 1);
    EXPECT_EQ(fixture.Engine().Volt(fixture.preferences.m_nVoltItem[0])->Name(), last.toStdString());
}

TEST_F(DisplaySettingLists, AFourthSubScreenEntryPushesOutTheBottomOne)
{
    fixture.preferences.m_nSubVoltItem = {0, 2, 3};  // VCore, +3.3V, +5V
    auto dialog = fixture.Open();
    ASSERT_EQ(Texts(*dialog, Dlg::kSubList), (QStringList{"+3.3V", "+5V", "VCore"}));

    Select(*dialog, Dlg::kItemList, "-12V");
    F::Click(*dialog, Dlg::kAddSub);
    EXPECT_EQ(Texts(*dialog, Dlg::kSubList), (QStringList{"-12V", "+3.3V", "+5V"}));
    // An item already listed is not added twice.
    F::Click(*dialog, Dlg::kAddSub);
    EXPECT_EQ(Texts(*dialog, Dlg::kSubList).size(), 3);

    EXPECT_EQ(fixture.subScreenRefreshes, 0);
    F::Click(*dialog, Dlg::kApplySub);
    // +3.3V (2), +5V (3), -12V (5): item order, whatever the list's order.
    EXPECT_EQ(fixture.preferences.m_nSubVoltItem, (std::array<int32_t, 3>{2, 3, 5}));
    EXPECT_EQ(fixture.subScreenRefreshes, 1);
}

TEST_F(DisplaySettingLists, AShorterNameCountsAsListedWhenALongerOneBeginsWithIt)
{
    // The lists find names by their beginning: with "VCore2" listed,
    // "VCore" counts as listed too.
    fixture.Engine().Volt(1)->SetName("vcore2");
    fixture.preferences.m_nVoltCount = 1;
    fixture.preferences.m_nVoltItem = {1};
    auto dialog = fixture.Open();
    ASSERT_EQ(Texts(*dialog, Dlg::kMainList), (QStringList{"vcore2"}));

    Select(*dialog, Dlg::kItemList, "VCore");
    F::Click(*dialog, Dlg::kAddMain);
    EXPECT_EQ(Texts(*dialog, Dlg::kMainList), (QStringList{"vcore2"}));

    F::Click(*dialog, Dlg::kApplyMain);
    EXPECT_EQ(fixture.preferences.m_nVoltCount, 2);
    EXPECT_EQ(Selection(fixture.preferences, 2), (std::vector<int>{0, 1}));

    // The other way round the longer name is not found by the shorter one.
    F::List(*dialog, Dlg::kMainList)->ResetContent();
    F::List(*dialog, Dlg::kMainList)->AddString("VCore");
    F::Click(*dialog, Dlg::kApplyMain);
    EXPECT_EQ(fixture.preferences.m_nVoltCount, 1);
    EXPECT_EQ(fixture.preferences.m_nVoltItem[0], 0);
}

TEST_F(DisplaySettingLists, ADisabledItemLeavesTheListsButStaysStoredUntilApply)
{
    fixture.preferences.m_nVoltCount = 3;
    fixture.preferences.m_nVoltItem = {0, 2, 4};  // VCore, +3.3V, +12V
    fixture.preferences.m_nSubVoltItem = {0, 2, 4};
    fixture.Engine().Volt(2)->SetEnable(false);
    auto dialog = fixture.Open();

    EXPECT_FALSE(Texts(*dialog, Dlg::kItemList).contains("+3.3V"));
    EXPECT_EQ(Texts(*dialog, Dlg::kMainList), (QStringList{"+12V", "VCore"}));
    EXPECT_EQ(Texts(*dialog, Dlg::kSubList), (QStringList{"+12V", "VCore"}));

    // Shown, left and shown again: nothing is stored yet.
    ShowPage(*dialog, Dlg::kFanPage);
    ShowPage(*dialog, Dlg::kVoltagePage);
    EXPECT_EQ(fixture.preferences.m_nVoltCount, 3);
    EXPECT_EQ(Selection(fixture.preferences, 3), (std::vector<int>{0, 2, 4}));

    F::Click(*dialog, Dlg::kApplyMain);
    EXPECT_EQ(fixture.preferences.m_nVoltCount, 2);
    EXPECT_EQ(Selection(fixture.preferences, 2), (std::vector<int>{0, 4}));
    // Two entries fill two slots; the third keeps what it held.
    F::Click(*dialog, Dlg::kApplySub);
    EXPECT_EQ(fixture.preferences.m_nSubVoltItem, (std::array<int32_t, 3>{0, 4, 4}));
}

TEST_F(DisplaySettingLists, FanAndTemperaturePagesShowEveryEnabledItemInADisabledSubScreen)
{
    fixture.preferences.m_nFanCount = 1;
    fixture.preferences.m_nFanItem = {2};
    fixture.preferences.m_nSubFanItem = {0, 0, 0};
    fixture.preferences.m_nSubTempItem = {2, 2, 2};
    fixture.Engine().Fan(1)->SetEnable(false);
    auto dialog = fixture.Open();
    const std::string fan1 = fixture.Engine().Fan(0)->Name();
    const std::string fan3 = fixture.Engine().Fan(2)->Name();

    ShowPage(*dialog, Dlg::kFanPage);
    EXPECT_FALSE(dialog->Control(Dlg::kSubList)->isEnabled());
    EXPECT_EQ(Texts(*dialog, Dlg::kMainList), (QStringList{QString::fromStdString(fan3)}));
    EXPECT_EQ(Texts(*dialog, Dlg::kSubList).size(), 2);
    EXPECT_EQ(Texts(*dialog, Dlg::kSubList), Texts(*dialog, Dlg::kItemList));

    // The first three enabled fans in item order, the last one repeated.
    F::Click(*dialog, Dlg::kApplySub);
    EXPECT_EQ(fixture.preferences.m_nSubFanItem, (std::array<int32_t, 3>{0, 2, 2}));
    Select(*dialog, Dlg::kItemList, QString::fromStdString(fan1));
    F::Click(*dialog, Dlg::kAddMain);
    F::Click(*dialog, Dlg::kApplyMain);
    EXPECT_EQ(fixture.preferences.m_nFanCount, 2);
    EXPECT_EQ(fixture.preferences.m_nFanItem[0], 0);
    EXPECT_EQ(fixture.preferences.m_nFanItem[1], 2);

    ShowPage(*dialog, Dlg::kTemperaturePage);
    EXPECT_EQ(Texts(*dialog, Dlg::kSubList).size(), 3);
    F::Click(*dialog, Dlg::kApplySub);
    EXPECT_EQ(fixture.preferences.m_nSubTempItem, (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_EQ(fixture.subScreenRefreshes, 0);

    ShowPage(*dialog, Dlg::kVoltagePage);
    EXPECT_TRUE(dialog->Control(Dlg::kSubList)->isEnabled());
}

TEST_F(DisplaySettingLists, ViewErrorLogOpensTheLogBesideTheProgram)
{
    auto dialog = fixture.Open();
    F::Click(*dialog, Dlg::kViewErrorLog);
    ASSERT_EQ(fixture.opener.opened.size(), 1u);
    EXPECT_EQ(fixture.opener.opened[0], fixture.ProgramDirectory() + "/error.txt");
}

class DisplaySettingOk : public DisplaySettingLists {
protected:
    std::string Entry() const { return fixture.AutostartDirectory() + "/Kelvane.desktop"; }
    int OkWithAutoRun(bool checked)
    {
        auto dialog = fixture.Open();
        qobject_cast<QCheckBox*>(dialog->Control(Dlg::kAutoRun))->setChecked(checked);
        F::Click(*dialog, Dlg::kOk);
        return dialog->result();
    }
};

TEST_F(DisplaySettingOk, WritesTheAutostartEntryWhenCheckedAndRemovesItWhenNot)
{
    // Unchecked with no entry there: nothing to remove, still closes.
    EXPECT_EQ(OkWithAutoRun(false), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(Entry()));

    EXPECT_EQ(OkWithAutoRun(true), QDialog::Accepted);
    const std::string text = CTempDir::Read(Entry());
    EXPECT_NE(text.find("\nExec=" + fixture.ProgramDirectory() + "/kelvane -M\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_TRUE(fixture.preferences.m_bAutoRun);
    CPrivateProfile profile;
    EXPECT_EQ(profile.GetInt(fixture.IniPath(), "User", "autorun", -1), 1);

    EXPECT_EQ(OkWithAutoRun(false), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_FALSE(fixture.preferences.m_bAutoRun);
    EXPECT_EQ(profile.GetInt(fixture.IniPath(), "User", "autorun", -1), 0);
    EXPECT_EQ(fixture.saves, 3);
}

TEST_F(DisplaySettingOk, AFailedMailLogonSwitchesMailOffAndStillCloses)
{
    fixture.preferences.m_nVoltCount = 1;
    auto dialog = fixture.Open();
    qobject_cast<QCheckBox*>(dialog->Control(Dlg::kEMailEnable))->setChecked(true);
    qobject_cast<QCheckBox*>(dialog->Control(Dlg::kErrorLog))->setChecked(true);
    qobject_cast<QLineEdit*>(dialog->Control(Dlg::kEMailAddress))->setText("ops@example.org;oncall@example.org");
    // Edits that OK applies before it saves.
    Select(*dialog, Dlg::kItemList, "+5V");
    F::Click(*dialog, Dlg::kAddMain);

    F::Click(*dialog, Dlg::kOk);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_EQ(fixture.MessageBoxes().ShownBoxes().size(), 1u);
    EXPECT_EQ(fixture.MessageBoxes().ShownBoxes()[0].text, "Can not load MAPI32.DLL");
    EXPECT_FALSE(fixture.preferences.m_bEMailEnable);
    EXPECT_TRUE(fixture.preferences.m_bErrorLog);

    CPrivateProfile profile;
    const std::string ini = fixture.IniPath();
    EXPECT_EQ(profile.GetInt(ini, "User", "EMailEnable", -1), 0);
    EXPECT_EQ(profile.GetInt(ini, "User", "ErrorLog", -1), 1);
    EXPECT_EQ(profile.GetString(ini, "User", "EMailAddr", ""), "ops@example.org;oncall@example.org");
    EXPECT_EQ(profile.GetInt(ini, "VoltDisplay", "count", -1), 2);
    EXPECT_EQ(profile.GetInt(ini, "VoltDisplay", "Item1", -1), 0);
    EXPECT_EQ(profile.GetInt(ini, "VoltDisplay", "Item2", -1), 3);
}

}  // namespace

namespace {

// The colour of the focus marks (the face's amber ring).
bool IsAmber(const QColor& colour) { return colour.red() > 200 && colour.green() > 140 && colour.blue() < 80; }

TEST_F(DisplaySettingLists, TheFocusedListAndButtonAreMarked)
{
    auto dialog = fixture.Open();
    dialog->show();
    QWidget* list = dialog->Control(Dlg::kMainList);
    QImage before = list->grab().toImage();
    EXPECT_FALSE(IsAmber(before.pixelColor(0, list->height() / 2)));
    list->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QImage focused = list->grab().toImage();
    EXPECT_TRUE(IsAmber(focused.pixelColor(0, list->height() / 2))) << focused.pixelColor(0, list->height() / 2).name().toStdString();
    auto* apply = qobject_cast<CSkinButton*>(dialog->Control(Dlg::kApplyMain));
    ASSERT_NE(apply, nullptr);
    EXPECT_TRUE(apply->HasFocusRing());
    EXPECT_NE(apply->focusPolicy() & Qt::TabFocus, 0);
}

}  // namespace
