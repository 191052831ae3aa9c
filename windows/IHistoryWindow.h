// The history window as the main window sees it. The window itself, with Qt
// Charts under it, lives in a module of its own that the program loads when
// the window is first asked for, so a monitor whose history is never looked
// at does not carry the charting libraries.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "history/CReadingSnapshot.h"

class IHistoryWindow {
public:
    virtual ~IHistoryWindow() = default;
    virtual QWidget& Widget() = 0;
    // Re-reads the item list from the file.
    virtual void Reload() = 0;
    // Checks exactly the items of this kind.
    virtual void ChooseKind(CReadingSnapshot::Kind kind) = 0;
};

// Makes a history window on historyFile (read only), values in Fahrenheit or
// Centigrade; null with the reason in error when it cannot be made.
using HistoryWindowFactory =
    std::function<std::unique_ptr<IHistoryWindow>(const std::string& historyFile, bool fahrenheit, std::string& error)>;

// The module and its one entry point. The entry's name carries the version of
// this interface: a module left over from another build is refused, not called.
inline constexpr const char* kHistoryWindowModule = "libkelvane-history-window.so";
inline constexpr const char* kHistoryWindowEntry = "KelvaneMakeHistoryWindow1";
extern "C" {
using MakeHistoryWindowEntry = IHistoryWindow* (*)(const char* historyFile, bool fahrenheit);
}
