// Whether the window program has a display to show its window on, decided
// before QApplication exists: without one, Qt's platform plugin ends the
// process with an abort and a message that names no way forward.
#pragma once

#include <functional>

class CDisplayCheck {
public:
    using Environment = std::function<const char*(const char*)>;

    // The one line the program prints (followed by a line end) before it
    // ends with status 1 when there is no display.
    static constexpr const char* kNoDisplayMessage =
        "kelvane: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
        "read the chip in a terminal with kelvane-cli, or run the window on a virtual display "
        "with xvfb-run kelvane";

    // True when DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM
    // chooses a platform by hand (offscreen, vnc...): Qt is then left to it.
    static bool HasDisplay(const Environment& environment);
};
