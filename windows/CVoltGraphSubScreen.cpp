#include "windows/CVoltGraphSubScreen.h"

#include "engine/CHardwareMonitor.h"
#include "windows/CColourCheckBox.h"
#include "windows/ISubScreenHost.h"
#include "windows/SubScreenValues.h"

namespace {

const CGraphSubScreen::Design kDesign{
    CVoltGraphSubScreen::kDialogId,
    CVoltGraphSubScreen::kBackgroundId,
    CVoltGraphSubScreen::kItemCount,
    7,
    // The seventh box ("Volt7") is never used.
    6,
    CVoltGraphSubScreen::kMaximum,
    {"Volt1", "Volt2", "Volt3", "Volt4", "Volt5", "Volt6", "Volt7"},
    SkinCaption::kVoltGraphCaption,
};

}  // namespace

CVoltGraphSubScreen::CVoltGraphSubScreen(ISubScreenHost& host, QWidget* parent)
    : CGraphSubScreen(host, kDesign, parent)
{
}

int CVoltGraphSubScreen::GraphIndex(int index) const
{
    return index >= 0 && index < CHardwareMonitor::kVoltCount ? index : -1;
}

void CVoltGraphSubScreen::AdjustTakenBox(const SItem& item, CColourCheckBox& box) const
{
    if (item.value <= 0) {
        box.setChecked(false);
        box.setEnabled(false);
    }
}

std::optional<int> CVoltGraphSubScreen::Point(const SItem& item) const
{
    return SubScreenValues::VoltPoint(item.value, item.hiBound);
}
