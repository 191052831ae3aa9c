#include "windows/CWindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#include "windows/CUserPreferences.h"

CWindowPlacement::CWindowPlacement(QWidget& window, CUserPreferences& prefs) : m_window(window), m_prefs(prefs) {}

QPoint CWindowPlacement::FitOnScreen(QPoint wanted, QSize size, const std::vector<QRect>& screens)
{
    const QRect window(wanted, size);
    const QRect* best = nullptr;
    long long bestArea = -1;
    long long bestDistance = 0;
    for (const QRect& screen : screens) {
        if (screen.contains(window)) return wanted;
        const QRect common = screen.intersected(window);
        const long long area = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
        const QPoint offset = screen.center() - window.center();
        const long long distance = 1LL * offset.x() * offset.x() + 1LL * offset.y() * offset.y();
        // The screen that holds most of the window, else the nearest one.
        if (best == nullptr || area > bestArea || (area == bestArea && area == 0 && distance < bestDistance)) {
            best = &screen;
            bestArea = area;
            bestDistance = distance;
        }
    }
    if (best == nullptr) return wanted;
    // Inside that screen; a window larger than it keeps its top left on the
    // screen, where the title-bar buttons are.
    const auto inside = [](int at, int length, int first, int room) {
        return length >= room ? first : std::clamp(at, first, first + room - length);
    };
    return QPoint(inside(wanted.x(), size.width(), best->left(), best->width()),
                  inside(wanted.y(), size.height(), best->top(), best->height()));
}

void CWindowPlacement::KeepOnScreen()
{
    std::vector<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
    const QPoint place = FitOnScreen(m_window.pos(), m_window.size(), screens);
    if (place != m_window.pos()) m_window.move(place);
}

void CWindowPlacement::Restore()
{
    if (!m_prefs.m_bWindowPlaced) return;
    // Only where the whole window, in the form it comes back in, lies on a
    // screen; else moved inside the screen that holds most of it (a place
    // on a monitor that has gone since, or saved at another scale).
    m_window.move(m_prefs.m_nWindowX, m_prefs.m_nWindowY);
    KeepOnScreen();
}

void CWindowPlacement::Remember()
{
    m_prefs.m_bWindowPlaced = true;
    m_prefs.m_nWindowX = m_window.pos().x();
    m_prefs.m_nWindowY = m_window.pos().y();
}

void CWindowPlacement::Moved(bool inTray)
{
    // Only a place the user can see is worth coming back to.
    if (!m_window.isVisible() || m_window.isMinimized() || inTray) return;
    Remember();
}

void CWindowPlacement::Leaving()
{
    if (m_window.isVisible() && !m_window.isMinimized()) Remember();
}

void CWindowPlacement::Returning()
{
    if (m_prefs.m_bWindowPlaced && !m_window.isVisible()) Restore();
}
