// A notification area for tests: available or not as the test says, records
// every add and remove, and plays mouse actions and tray-host starts.
#pragma once

#include "windows/ITrayHost.h"

#include <vector>

class CScriptedTrayHost : public ITrayHost {
public:
    bool available = true;
    QRect geometry;
    int adds = 0;
    int removes = 0;
    QString lastTooltip;
    std::vector<QString> balloons;

    bool IsAvailable() const override { return available; }
    bool Add(const QIcon&, const QString& tooltip) override
    {
        ++adds;
        lastTooltip = tooltip;
        m_shown = available;
        return available;
    }
    bool Remove() override
    {
        ++removes;
        m_shown = false;
        return true;
    }
    void ShowBalloon(const QString& title, const QString& text, int, int) override
    {
        balloons.push_back(title + "|" + text);
    }
    QRect IconGeometry() const override { return m_shown ? geometry : QRect(); }
    void SetMouseHandler(MouseHandler handler) override { m_mouse = std::move(handler); }
    void SetTrayStartHandler(TrayStartHandler handler) override { m_start = std::move(handler); }

    bool IsShown() const { return m_shown; }
    void Click(Mouse message)
    {
        if (m_mouse) m_mouse(message);
    }
    // A tray host starts (again) and knows no icons.
    void StartTray()
    {
        available = true;
        m_shown = false;
        if (m_start) m_start();
    }

private:
    bool m_shown = false;
    MouseHandler m_mouse;
    TrayStartHandler m_start;
};
