#include <gtest/gtest.h>

#include "engine/COSVersion.h"
#include "platform/CRecordingPowerOff.h"

namespace {

TEST(OSVersionTest, ReportsTheLinuxFamilyAndPowersOffThroughTheSeam) {
    CRecordingPowerOff powerOff;
    COSVersion os(powerOff);
    EXPECT_FALSE(os.IsDetected());
    os.Detect();
    EXPECT_TRUE(os.IsLinux());
    EXPECT_FALSE(os.IsNT());
    EXPECT_FALSE(os.IsWin9x());
    EXPECT_FALSE(os.Release().empty());
    EXPECT_EQ(powerOff.Requests(), 0);
    EXPECT_TRUE(os.ShutDownSystem());
    EXPECT_EQ(powerOff.Requests(), 1);
}

}  // namespace
