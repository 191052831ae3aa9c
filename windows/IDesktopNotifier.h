// Desktop notifications (the pop-ups of the desktop's notification server).
// The real one speaks org.freedesktop.Notifications on the session bus;
// tests record the calls.
#pragma once

#include <QString>

class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    // Shows one notification; nothing happens where no notification server
    // runs. critical: an alarm the user must not miss (stays until seen).
    virtual void Notify(const QString& summary, const QString& body, bool critical) = 0;
};
