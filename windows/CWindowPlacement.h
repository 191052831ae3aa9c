// Where a top-level window goes and comes back to: the place kept in the
// preferences (Root.ini), always whole on a screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <vector>

class CUserPreferences;
class QWidget;

class CWindowPlacement {
public:
    CWindowPlacement(QWidget& window, CUserPreferences& prefs);

    // Where a window of size wanted at wanted goes: there when it lies whole
    // on one of the screens' available areas, else moved inside the screen
    // holding most of it (the nearest when none does); a window larger than
    // that screen keeps its top left corner on it.
    static QPoint FitOnScreen(QPoint wanted, QSize size, const std::vector<QRect>& screens);

    // Moves the window inside the desktop's screens, as FitOnScreen says.
    void KeepOnScreen();
    // Moves the window to the kept place, inside a screen; without one it
    // stays where the desktop put it.
    void Restore();
    // The window's place now is the one to come back to.
    void Remember();
    // A move of the window: kept when the user can see it (shown, not
    // minimised, not in the tray).
    void Moved(bool inTray);
    // Before the window leaves for the tray: the place it leaves, when on
    // view, is the place it comes back to, whether or not a move has been
    // seen before (the desktop's first placement).
    void Leaving();
    // Before a hidden window comes back: back where the user left it.
    void Returning();

private:
    QWidget& m_window;
    CUserPreferences& m_prefs;
};
