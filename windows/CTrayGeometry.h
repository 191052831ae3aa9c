// Where the notification area is, as the target of the minimise-to-tray
// animation. Three sources, best first: the taskbar window with its notify
// area and clock children, the taskbar's position at a screen edge, and the
// work area's bottom-right corner. Rectangles are (left, top, right, bottom)
// with right and bottom exclusive, y growing downwards.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct STrayRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const STrayRect&) const = default;
};

class CTrayGeometry {
public:
    struct Child {
        std::string className;  // "TrayNotifyWnd", "TrayClockWClass", others
        STrayRect rect;
    };
    struct TaskbarWindow {
        STrayRect rect;
        std::vector<Child> children;  // in window order
    };
    enum class Edge { Left, Top, Right, Bottom };
    struct TaskbarPosition {
        Edge edge;
        STrayRect rect;
    };
    struct Desktop {
        std::optional<TaskbarWindow> taskbarWindow;
        std::optional<TaskbarPosition> taskbarPosition;
        STrayRect workArea;
    };

    static STrayRect FindTrayRect(const Desktop& desktop);

    // The taskbar as the strip of the screen that the work area leaves out
    // (a panel along one edge); nothing when the work area covers the screen
    // or leaves no single edge strip.
    static std::optional<TaskbarPosition> TaskbarFromScreen(const STrayRect& screen, const STrayRect& workArea);
};
