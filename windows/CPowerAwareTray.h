// The main window's tray icon, which also passes the system's suspend and
// resume notices on to the main window: the login manager's PrepareForSleep
// signal arrives here as the suspend (4) and resume (7) power codes and
// leaves as the PowerBroadcast signal.
#pragma once

#include "windows/CPowerEvents.h"
#include "windows/CSystemTray.h"

#include <QDBusConnection>

class CPowerAwareTray : public CSystemTray {
    Q_OBJECT

public:
    static constexpr int kSuspend = CPowerEvents::kSuspend;
    static constexpr int kResume = CPowerEvents::kResume;

    // systemBus: QDBusConnection::systemBus() in the program; without a
    // connected bus there are no power notices.
    CPowerAwareTray(ITrayHost& host, QDBusConnection systemBus,
                    AnimationSwitch animationsOn = &CSystemTray::IsMinimiseAnimationOn, QObject* parent = nullptr);

    bool IsListeningForPower() const { return m_powerEvents.IsListening(); }
    // The notices' source, so that a test can play a notice.
    CPowerEvents& PowerEvents() { return m_powerEvents; }

Q_SIGNALS:
    void PowerBroadcast(int code);

private:
    CPowerEvents m_powerEvents;
};
