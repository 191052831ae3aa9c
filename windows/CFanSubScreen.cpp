#include "windows/CFanSubScreen.h"

#include "engine/CHardwareMonitor.h"
#include "windows/ISubScreenHost.h"
#include "windows/SubScreenValues.h"

namespace {

const CNumericSubScreen::Design kDesign{
    CFanSubScreen::kDialogId,
    CFanSubScreen::kTimerId,
    CNumericSubScreen::kInitialImages,
    {QPoint(44, 62), QPoint(145, 62), QPoint(244, 62)},
    QSize(36, 15),
};

}  // namespace

CFanSubScreen::CFanSubScreen(ISubScreenHost& host, QWidget* parent)
    : CNumericSubScreen(host, kDesign, parent)
{
}

int CFanSubScreen::SlotIndex(int slot) const
{
    return CHardwareMonitor::kFirstFan + slot;
}

QString CFanSubScreen::UnitText() const
{
    return QStringLiteral("RPM");
}

QString CFanSubScreen::ValueText(const SItem& item) const
{
    return SubScreenValues::RpmText(item.rpm);
}
