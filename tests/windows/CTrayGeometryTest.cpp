#include "windows/CTrayGeometry.h"

#include <gtest/gtest.h>

using Desktop = CTrayGeometry::Desktop;
using Edge = CTrayGeometry::Edge;

TEST(TrayGeometry, TaskbarWindowGivesTheNotifyAreaBesideOrBelowTheClock)
{
    // Bottom taskbar: notify area at the right, clock at its right end.
    Desktop bottom;
    bottom.taskbarWindow = CTrayGeometry::TaskbarWindow{
        {0, 1040, 1920, 1080},
        {{"Button", {0, 1040, 48, 1080}},
         {"TrayNotifyWnd", {1700, 1042, 1918, 1078}},
         {"TrayClockWClass", {1850, 1042, 1918, 1078}},
         {"TrayNotifyWnd", {0, 0, 1, 1}}}};  // after the clock: not reached
    EXPECT_EQ(CTrayGeometry::FindTrayRect(bottom), (STrayRect{1700, 1042, 1850, 1078}));

    // Left taskbar: the clock sits at the top of the notify area.
    Desktop left;
    left.taskbarWindow = CTrayGeometry::TaskbarWindow{
        {0, 0, 60, 1080}, {{"TrayNotifyWnd", {2, 900, 58, 1078}}, {"TrayClockWClass", {2, 900, 58, 930}}}};
    EXPECT_EQ(CTrayGeometry::FindTrayRect(left), (STrayRect{2, 930, 58, 1078}));

    // No children of interest: the taskbar window itself.
    Desktop bare;
    bare.taskbarWindow = CTrayGeometry::TaskbarWindow{{0, 0, 1920, 30}, {}};
    bare.taskbarPosition = CTrayGeometry::TaskbarPosition{Edge::Left, {0, 0, 60, 1080}};
    EXPECT_EQ(CTrayGeometry::FindTrayRect(bare), (STrayRect{0, 0, 1920, 30}));
}

TEST(TrayGeometry, EdgeTaskbarGivesAStripNearItsEnd)
{
    const struct {
        Edge edge;
        STrayRect bar;
        STrayRect target;
    } cases[] = {
        // A taskbar at the left edge: the target ends 16 px above its bottom.
        {Edge::Left, {0, 0, 60, 1080}, {0, 980, 60, 1064}},
        {Edge::Right, {1860, 0, 1920, 1080}, {1860, 980, 1920, 1064}},
        {Edge::Bottom, {0, 1040, 1920, 1080}, {1820, 1040, 1904, 1080}},
        {Edge::Top, {0, 0, 1920, 32}, {1820, 0, 1904, 32}},
    };
    for (const auto& c : cases) {
        Desktop d;
        d.taskbarPosition = CTrayGeometry::TaskbarPosition{c.edge, c.bar};
        d.workArea = {0, 0, 800, 600};
        EXPECT_EQ(CTrayGeometry::FindTrayRect(d), c.target) << static_cast<int>(c.edge);
    }
}

TEST(TrayGeometry, WithoutTaskbarTheWorkAreaCorner)
{
    Desktop d;
    d.workArea = {0, 0, 1920, 1040};
    EXPECT_EQ(CTrayGeometry::FindTrayRect(d), (STrayRect{1770, 1010, 1920, 1040}));
}

TEST(TrayGeometry, TaskbarFoundAsTheStripTheWorkAreaLeavesOut)
{
    const STrayRect screen{0, 0, 1920, 1080};
    const auto left = CTrayGeometry::TaskbarFromScreen(screen, {60, 0, 1920, 1080});
    ASSERT_TRUE(left);
    EXPECT_EQ(left->edge, Edge::Left);
    EXPECT_EQ(left->rect, (STrayRect{0, 0, 60, 1080}));

    const auto bottom = CTrayGeometry::TaskbarFromScreen(screen, {0, 0, 1920, 1040});
    ASSERT_TRUE(bottom);
    EXPECT_EQ(bottom->edge, Edge::Bottom);
    EXPECT_EQ(bottom->rect, (STrayRect{0, 1040, 1920, 1080}));

    EXPECT_FALSE(CTrayGeometry::TaskbarFromScreen(screen, screen));
    EXPECT_FALSE(CTrayGeometry::TaskbarFromScreen(screen, {0, 32, 1920, 1040}));  // panels top and bottom
}
