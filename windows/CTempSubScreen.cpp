#include "windows/CTempSubScreen.h"

#include "engine/CHardwareMonitor.h"
#include "skin/CTransparentStatic.h"
#include "windows/ISubScreenHost.h"
#include "windows/SubScreenValues.h"

namespace {

const CNumericSubScreen::Design kDesign{
    CTempSubScreen::kDialogId,
    CTempSubScreen::kTimerId,
    CNumericSubScreen::kInitialImages,
    {QPoint(47, 61), QPoint(148, 61), QPoint(247, 61)},
    QSize(30, 15),
};

}  // namespace

CTempSubScreen::CTempSubScreen(ISubScreenHost& host, QWidget* parent)
    : CNumericSubScreen(host, kDesign, parent)
{
}

void CTempSubScreen::SetUnitLetters()
{
    for (int i = 0; i < kSlotCount; ++i)
        UnitLabel(i)->SetText(UnitText());
}

int CTempSubScreen::SlotIndex(int slot) const
{
    return CHardwareMonitor::kFirstTemp + slot;
}

QString CTempSubScreen::UnitText() const
{
    return SubScreenValues::TemperatureUnit(Host().IsCentigrade());
}

QString CTempSubScreen::ValueText(const SItem& item) const
{
    return SubScreenValues::TemperatureText(item.value, Host().IsCentigrade());
}
