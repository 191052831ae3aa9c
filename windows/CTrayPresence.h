// Where the main window is as the tray sees it: in the tray, minimised or
// shown. It carries out the tray menu's commands, moves the window into the
// tray and back (with the tray menu's default item following), and brings it
// back when a later copy asks for it.
#pragma once

#include <functional>

class CSystemTray;
class CWindowPlacement;
class QWidget;

class CTrayPresence {
public:
    // What the tray menu's commands other than the window's own moves do.
    struct SCommands {
        std::function<void()> openHistory;
        std::function<void()> showAbout;
        // The ordinary close of the window.
        std::function<void()> close;
    };

    // Everything referred to must outlive this object.
    CTrayPresence(QWidget& window, CSystemTray& tray, CWindowPlacement& placement, SCommands commands);

    // A tray menu command (or its double click): kMaximize back from the
    // tray, kMinimize into it, kHistory and kAbout their windows, kExit the
    // icon out at once and then the ordinary close, one event-loop turn
    // later (after the menu has finished). Others are ignored.
    void OnCommand(int commandId);
    // Into the tray, "&Maximize" the default. With no icon in a notification
    // area (no tray host) the window would have no way back, so it is
    // minimised the ordinary way instead.
    void MinimiseToTray();
    // Back from the tray (or from minimised), "&Minimize" the default.
    void RestoreFromTray();
    // Back from the tray or from minimised, or else raised and activated.
    void BringBack();
    // The window has moved: the placement keeps the place unless the move
    // was the way into the tray.
    void Moved();
    // True while the window is hidden in the tray.
    bool IsInTray() const { return m_bInTray; }

private:
    QWidget& m_window;
    CSystemTray& m_tray;
    CWindowPlacement& m_placement;
    SCommands m_commands;
    bool m_bInTray = false;
};
