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

CSensorItem* CVoltGraphSubScreen::GraphItem(int index) const
{
    return Host().Engine().Volt(index);
}

void CVoltGraphSubScreen::AdjustTakenBox(const CSensorItem& item, CColourCheckBox& box) const
{
    if (item.Value() <= 0) {
        box.setChecked(false);
        box.setEnabled(false);
    }
}

std::optional<int> CVoltGraphSubScreen::Point(const CSensorItem& item) const
{
    return SubScreenValues::VoltPoint(item.Value(), item.HiBound());
}
