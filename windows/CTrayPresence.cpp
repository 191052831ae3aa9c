#include "windows/CTrayPresence.h"

#include <QMetaObject>
#include <QWidget>

#include <utility>

#include "windows/CInstanceChecker.h"
#include "windows/CSystemTray.h"
#include "windows/CWindowPlacement.h"

CTrayPresence::CTrayPresence(QWidget& window, CSystemTray& tray, CWindowPlacement& placement, SCommands commands)
    : m_window(window), m_tray(tray), m_placement(placement), m_commands(std::move(commands))
{
}

void CTrayPresence::OnCommand(int commandId)
{
    switch (commandId) {
        case CSystemTray::kMaximize:
            RestoreFromTray();
            break;
        case CSystemTray::kMinimize:
            MinimiseToTray();
            break;
        case CSystemTray::kHistory:
            if (m_commands.openHistory) m_commands.openHistory();
            break;
        case CSystemTray::kAbout:
            if (m_commands.showAbout) m_commands.showAbout();
            break;
        case CSystemTray::kExit:
            // The icon goes at once; the close follows as a posted close
            // would, after the menu has finished.
            m_tray.DeleteTrayIcon();
            if (m_commands.close) QMetaObject::invokeMethod(&m_window, m_commands.close, Qt::QueuedConnection);
            break;
        default:
            break;
    }
}

void CTrayPresence::MinimiseToTray()
{
    // No notification area holds the icon (none at start, or its host has
    // gone since): a hidden window could not be brought back, so it stays
    // on the taskbar.
    // The place it leaves is the place it comes back to, whether or not a
    // move has been seen before (the desktop's first placement).
    m_placement.Leaving();
    if (m_tray.IsRemoved() || !m_tray.Host().IsAvailable()) {
        m_window.showMinimized();
    } else {
        m_tray.AnimateToTray(m_window);
        m_bInTray = true;
    }
    m_tray.SetDefaultMenuItem(CSystemTray::kMaximize, false);
}

void CTrayPresence::RestoreFromTray()
{
    // Back where the user left it, and whole on a screen.
    m_placement.Returning();
    if (!m_window.isVisible())
        m_tray.AnimateFromTray(m_window);
    else if (m_window.isMinimized())
        CInstanceChecker::BringToFront(m_window);
    m_bInTray = false;
    m_tray.SetDefaultMenuItem(CSystemTray::kMinimize, false);
}

void CTrayPresence::BringBack()
{
    if (!m_window.isVisible() || m_window.isMinimized()) {
        RestoreFromTray();
    } else {
        m_window.raise();
        m_window.activateWindow();
    }
}

void CTrayPresence::Moved() { m_placement.Moved(m_bInTray); }
