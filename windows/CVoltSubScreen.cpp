#include "windows/CVoltSubScreen.h"

#include "engine/CHardwareMonitor.h"
#include "windows/ISubScreenHost.h"
#include "windows/SubScreenValues.h"

namespace {

const CNumericSubScreen::Design kDesign{
    CVoltSubScreen::kDialogId,
    CVoltSubScreen::kTimerId,
    // The indicator's hover image differs from the other panels' at first.
    {193, 193, 193, 194, 0, 191},
    {QPoint(46, 61), QPoint(147, 61), QPoint(246, 61)},
    QSize(30, 15),
};

}  // namespace

CVoltSubScreen::CVoltSubScreen(ISubScreenHost& host, QWidget* parent)
    : CNumericSubScreen(host, kDesign, parent)
{
}

int CVoltSubScreen::SlotIndex(int slot) const
{
    // An index read from the preferences file may name no voltage item; the
    // slot then shows "OFF".
    const int volt = Host().SubVoltItem(slot);
    return volt >= 0 && volt < CHardwareMonitor::kVoltCount ? volt : -1;
}

QString CVoltSubScreen::UnitText() const
{
    return QStringLiteral("V");
}

QString CVoltSubScreen::ValueText(const SItem& item) const
{
    return SubScreenValues::VoltText(item.value);
}
