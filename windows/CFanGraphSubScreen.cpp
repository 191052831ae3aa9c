#include "windows/CFanGraphSubScreen.h"

#include "engine/CHardwareMonitor.h"
#include "windows/CColourCheckBox.h"
#include "windows/ISubScreenHost.h"
#include "windows/SubScreenValues.h"

namespace {

const CGraphSubScreen::Design kDesign{
    CFanGraphSubScreen::kDialogId,
    CFanGraphSubScreen::kBackgroundId,
    CFanGraphSubScreen::kItemCount,
    4,
    // The fourth box ("Fan4") is never used.
    3,
    CFanGraphSubScreen::kMaximum,
    {"Fan1", "Fan2", "Fan3", "Fan4"},
    SkinCaption::kFanGraphCaption,
};

}  // namespace

CFanGraphSubScreen::CFanGraphSubScreen(ISubScreenHost& host, QWidget* parent)
    : CGraphSubScreen(host, kDesign, parent)
{
}

CSensorItem* CFanGraphSubScreen::GraphItem(int index) const
{
    return Host().Engine().Fan(index);
}

bool CFanGraphSubScreen::TakesItem(const CSensorItem& item) const
{
    return item.IsEnabled() || item.EnabledByDefault();
}

void CFanGraphSubScreen::AdjustTakenBox(const CSensorItem& item, CColourCheckBox& box) const
{
    if (!item.IsEnabled())
        box.setEnabled(false);
}

void CFanGraphSubScreen::AdjustLeftOutBox(CColourCheckBox& box) const
{
    box.hide();
}

std::optional<int> CFanGraphSubScreen::Point(const CSensorItem& item) const
{
    return SubScreenValues::FanPoint(static_cast<const CFanItem&>(item).Rpm());
}
