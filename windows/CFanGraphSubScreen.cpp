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

int CFanGraphSubScreen::GraphIndex(int index) const
{
    return index >= 0 && index < CHardwareMonitor::kFanCount ? CHardwareMonitor::kFirstFan + index : -1;
}

bool CFanGraphSubScreen::TakesItem(const SItem& item) const
{
    return item.enabled || item.enabledByDefault;
}

void CFanGraphSubScreen::AdjustTakenBox(const SItem& item, CColourCheckBox& box) const
{
    if (!item.enabled)
        box.setEnabled(false);
}

void CFanGraphSubScreen::AdjustLeftOutBox(CColourCheckBox& box) const
{
    box.hide();
}

std::optional<int> CFanGraphSubScreen::Point(const SItem& item) const
{
    return SubScreenValues::FanPoint(item.rpm);
}
