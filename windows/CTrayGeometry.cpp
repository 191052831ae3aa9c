#include "windows/CTrayGeometry.h"

namespace {

// A clock whose bottom lies this far above the notify area's bottom sits in
// a vertical taskbar.
constexpr int kClockSideMargin = 5;
// Target inside an edge taskbar: a strip ending 16 px before its end, 84 px long.
constexpr int kEdgeStart = 100;
constexpr int kEdgeEnd = 16;
// Target at the work area's corner.
constexpr int kCornerWidth = 150;
constexpr int kCornerHeight = 30;

}  // namespace

STrayRect CTrayGeometry::FindTrayRect(const Desktop& desktop)
{
    if (desktop.taskbarWindow) {
        STrayRect rect = desktop.taskbarWindow->rect;
        for (const Child& child : desktop.taskbarWindow->children) {
            if (child.className == "TrayNotifyWnd") {
                rect = child.rect;
            } else if (child.className == "TrayClockWClass") {
                if (child.rect.bottom < rect.bottom - kClockSideMargin)
                    rect.top = child.rect.bottom;  // taskbar at a side: the icons lie below the clock
                else
                    rect.right = child.rect.left;  // taskbar at the top or bottom: left of the clock
                break;
            }
        }
        return rect;
    }

    if (desktop.taskbarPosition) {
        const STrayRect& bar = desktop.taskbarPosition->rect;
        switch (desktop.taskbarPosition->edge) {
        case Edge::Left:
        case Edge::Right:
            return {bar.left, bar.bottom - kEdgeStart, bar.right, bar.bottom - kEdgeEnd};
        case Edge::Top:
        case Edge::Bottom:
            return {bar.right - kEdgeStart, bar.top, bar.right - kEdgeEnd, bar.bottom};
        }
    }

    const STrayRect& work = desktop.workArea;
    return {work.right - kCornerWidth, work.bottom - kCornerHeight, work.right, work.bottom};
}

std::optional<CTrayGeometry::TaskbarPosition> CTrayGeometry::TaskbarFromScreen(const STrayRect& screen,
                                                                              const STrayRect& workArea)
{
    const int leftGap = workArea.left - screen.left;
    const int topGap = workArea.top - screen.top;
    const int rightGap = screen.right - workArea.right;
    const int bottomGap = screen.bottom - workArea.bottom;
    const int gaps = (leftGap > 0) + (topGap > 0) + (rightGap > 0) + (bottomGap > 0);
    if (gaps != 1)
        return std::nullopt;
    if (leftGap > 0)
        return TaskbarPosition{Edge::Left, {screen.left, screen.top, workArea.left, screen.bottom}};
    if (rightGap > 0)
        return TaskbarPosition{Edge::Right, {workArea.right, screen.top, screen.right, screen.bottom}};
    if (topGap > 0)
        return TaskbarPosition{Edge::Top, {screen.left, screen.top, screen.right, workArea.top}};
    return TaskbarPosition{Edge::Bottom, {screen.left, workArea.bottom, screen.right, screen.bottom}};
}
