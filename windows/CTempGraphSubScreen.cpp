#include "windows/CTempGraphSubScreen.h"

#include "engine/CHardwareMonitor.h"
#include "windows/CColourCheckBox.h"
#include "windows/ISubScreenHost.h"
#include "windows/SubScreenValues.h"

namespace {

const CGraphSubScreen::Design kDesign{
    CTempGraphSubScreen::kDialogId,
    CTempGraphSubScreen::kBackgroundId,
    CTempGraphSubScreen::kItemCount,
    3,
    -1,
    CTempGraphSubScreen::kMaximum,
    {"Temp1", "Temp2", "Temp3"},
    SkinCaption::kTempGraphCaption,
};

}  // namespace

CTempGraphSubScreen::CTempGraphSubScreen(ISubScreenHost& host, QWidget* parent)
    : CGraphSubScreen(host, kDesign, parent)
{
}

int CTempGraphSubScreen::GraphIndex(int index) const
{
    return index >= 0 && index < CHardwareMonitor::kTempCount ? CHardwareMonitor::kFirstTemp + index : -1;
}

void CTempGraphSubScreen::AdjustLeftOutBox(CColourCheckBox& box) const
{
    box.hide();
}

std::optional<int> CTempGraphSubScreen::Point(const SItem& item) const
{
    return SubScreenValues::TemperaturePoint(item.value, item.hiBound);
}

QStringList CTempGraphSubScreen::ScaleTexts() const
{
    const bool centigrade = Host().IsCentigrade();
    const QString unit = SubScreenValues::TemperatureUnit(centigrade);
    QStringList texts;
    for (const int celsius : {kMaximum / 2, kMaximum / 4, 0})
        texts << QString::number(centigrade ? celsius : celsius * 9 / 5 + 32) + unit;
    return texts;
}
