// Desktop notifications (the pop-ups of the desktop's notification server).
// The real one speaks org.freedesktop.Notifications on the session bus;
// tests record the calls.
#pragma once

#include <QString>

class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    // Shows one notification that stands alone (a failed mail, a refused
    // power-off); nothing happens where no notification server runs.
    // critical: an alarm the user must not miss (stays until seen).
    virtual void Notify(const QString& summary, const QString& body, bool critical) = 0;

    // A notification that lasts while something does (an item's alarm
    // episode): key is the caller's name for it. A later Show with the same
    // key replaces it on screen instead of adding one more; Withdraw takes
    // it away. expireMs: how long the server keeps it up, 0 for until
    // dismissed, -1 for the server's own choice.
    virtual void Show(const QString& key, const QString& summary, const QString& body, bool critical,
                      int expireMs) = 0;
    virtual void Withdraw(const QString& key) = 0;
};
