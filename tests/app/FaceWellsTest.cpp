// The wells' names: a name is fitted to the label it is shown in, also when
// the same name comes round again in a label of another size.
#include <gtest/gtest.h>

#include <QFont>

#include <string>

#include "app/CFaceWells.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CTransparentStatic.h"
#include "support/QtTestApplication.h"
#include "windows/CUserPreferences.h"

namespace {

TEST(FaceWells, ALongNameIsCutOnlyWhereItsLabelIsTooSmallForIt)
{
    QtTestApplication();
    const CUserPreferences prefs;  // each well shows its first item
    CSegmentDisplay volt, fan, temp;
    CTransparentStatic voltName, fanName, tempName, unit;
    CFaceWells wells(prefs, CFaceWells::SControls{&volt, &fan, &temp, &voltName, &fanName, &tempName, &unit},
                     QFont(QStringLiteral("DejaVu Sans")));
    CSessionSnapshot snapshot;
    CSessionSnapshot::SItem& item = snapshot.items[0];
    item.present = true;
    item.enabled = true;
    item.value = 1.25;
    const std::string longName = "Processor core voltage of the second socket";
    for (const int width : {40, 400, 40, 400}) {
        SCOPED_TRACE(width);
        voltName.resize(width, 30);
        item.name = "Vcore";
        wells.Show(snapshot);
        EXPECT_TRUE(voltName.toolTip().isEmpty());
        item.name = longName;
        wells.Show(snapshot);
        EXPECT_EQ(voltName.Text().toStdString(), longName);
        // Cut, it is whole in the tooltip; whole, there is no tooltip.
        EXPECT_EQ(voltName.toolTip().isEmpty(), width == 400);
        EXPECT_EQ(volt.DisplayText().toStdString(), "1.25");
    }
}

}  // namespace
