// What the Display Setting dialog shows: every caption and list entry fits its
// control, in English and with the German captions, on every page. With
// KELVANE_SCREENSHOT_DIR set, each page is also written there as a PNG.
#include "CDisplaySettingFixture.h"

#include "skin/CSkinButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Dlg = CDisplaySettingDlg;

// Why a control's caption or an entry does not fit; empty when all fit.
std::vector<std::string> ClippedTexts(Dlg& dialog)
{
    std::vector<std::string> clipped;
    const QRect inside = dialog.rect();
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (!control->property("controlId").isValid() || control->isHidden()) continue;
        const std::string id = control->objectName().toStdString();
        if (!inside.contains(control->geometry())) clipped.push_back(id + " lies outside the dialog");

        const QFontMetrics metrics = control->fontMetrics();
        if (auto* button = qobject_cast<CSkinButton*>(control)) {
            if (metrics.horizontalAdvance(button->text()) > Dlg::CaptionRoom(*button))
                clipped.push_back(id + " " + button->text().toStdString());
        } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
            if (box->sizeHint().width() > box->width()) clipped.push_back(id + " " + box->text().toStdString());
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            if (metrics.horizontalAdvance(label->text()) > label->width() ||
                metrics.height() > label->height())
                clipped.push_back(id + " " + label->text().toStdString());
        } else if (auto* list = qobject_cast<CSortedListBox*>(control)) {
            for (const QString& entry : list->Texts()) {
                if (metrics.horizontalAdvance(entry) + 8 > list->viewport()->width())
                    clipped.push_back(id + " " + entry.toStdString());
            }
        } else if (auto* tab = qobject_cast<QTabWidget*>(control)) {
            for (int i = 0; i < tab->count(); ++i) {
                if (tab->tabBar()->tabRect(i).width() <
                    metrics.horizontalAdvance(tab->tabText(i)) + tab->iconSize().width() + 8)
                    clipped.push_back(id + " " + tab->tabText(i).toStdString());
            }
        }
    }
    return clipped;
}

class DisplaySettingLook : public ::testing::TestWithParam<const char*> {};

TEST_P(DisplaySettingLook, EveryCaptionAndEntryFitsOnEveryPage)
{
    CDisplaySettingFixture fixture(GetParam());
    ASSERT_TRUE(fixture.Started());
    fixture.preferences.m_nVoltCount = 4;
    fixture.preferences.m_nVoltItem = {0, 2, 3, 4};
    fixture.preferences.m_nFanCount = 3;
    fixture.preferences.m_nFanItem = {0, 1, 2};
    fixture.preferences.m_nTempCount = 2;
    fixture.preferences.m_nTempItem = {0, 1};
    fixture.preferences.m_nSubVoltItem = {0, 2, 4};
    fixture.preferences.m_bErrorLog = true;
    fixture.preferences.m_strEMailAddr = "ops@example.org";
    auto dialog = fixture.Open();
    ASSERT_EQ(dialog->size(), QSize(464, 323));

    const bool german = std::string(GetParam()) == "DEU";
    EXPECT_EQ(qobject_cast<QAbstractButton*>(dialog->Control(Dlg::kCancel))->text(),
              german ? "Abbrechen" : "Cancel");

    auto* tab = qobject_cast<QTabWidget*>(dialog->Control(Dlg::kTab));
    const char* const pages[] = {"voltage", "fan", "temperature"};
    for (int page = 0; page < 3; ++page) {
        tab->setCurrentIndex(page);
        EXPECT_FALSE(tab->tabIcon(page).isNull());
        dialog->show();
        const auto clipped = ClippedTexts(*dialog);
        EXPECT_TRUE(clipped.empty()) << pages[page] << ": " << ::testing::PrintToString(clipped);

        if (const char* directory = std::getenv("KELVANE_SCREENSHOT_DIR")) {
            const QString name = QStringLiteral("%1/display-setting-%2%3.png")
                                     .arg(QString::fromLocal8Bit(directory), QString::fromLatin1(pages[page]),
                                          german ? QStringLiteral("-deu") : QString());
            dialog->grab().save(name);
        }
    }
    dialog->hide();
}

INSTANTIATE_TEST_SUITE_P(Languages, DisplaySettingLook, ::testing::Values("ENU", "DEU"));

TEST(DisplaySettingSkin, ButtonsTakeTheSizeOfTheirMasks)
{
    CDisplaySettingFixture fixture;
    auto dialog = fixture.Open();
    const struct {
        int id;
        QSize size;
    } cases[] = {
        {Dlg::kAddMain, {64, 19}}, {Dlg::kSelectAll, {64, 19}},     {Dlg::kRemoveMain, {64, 19}},
        {Dlg::kApplyMain, {64, 19}}, {Dlg::kAddSub, {64, 19}},       {Dlg::kApplySub, {64, 19}},
        {Dlg::kViewErrorLog, {107, 19}}, {Dlg::kOk, {78, 19}},       {Dlg::kCancel, {77, 19}},
    };
    for (const auto& c : cases) {
        auto* button = qobject_cast<CSkinButton*>(dialog->Control(c.id));
        ASSERT_NE(button, nullptr) << c.id;
        EXPECT_EQ(button->size(), c.size) << c.id;
        EXPECT_FALSE(button->SkinImages().pressed.isNull()) << c.id;
    }
    auto* removeSub = dialog->Control(Dlg::kRemoveSub);
    EXPECT_TRUE(removeSub->isHidden());
    EXPECT_FALSE(removeSub->isEnabled());
}

}  // namespace
