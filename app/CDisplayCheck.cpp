#include "app/CDisplayCheck.h"

bool CDisplayCheck::HasDisplay(const Environment& environment)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = environment(name);
        if (value != nullptr && value[0] != '\0')
            return true;
    }
    return false;
}
