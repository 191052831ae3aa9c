// The entry point of the history window's module (see IHistoryWindow.h).
#include <string>

#include "windows/history/CHistoryWindow.h"

extern "C" __attribute__((visibility("default"))) IHistoryWindow* KelvaneMakeHistoryWindow1(const char* historyFile,
                                                                                            bool fahrenheit)
{
    std::string error;
    return CHistoryWindow::Make(historyFile ? historyFile : "", fahrenheit, error).release();
}
