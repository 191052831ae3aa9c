// Suspend and resume notices of the system's login manager (the
// PrepareForSleep signal on the D-Bus system bus), relayed to the main window
// as the suspend (4) and resume (7) power codes.
//
// The login manager does not wait for anyone before it suspends unless asked
// to, so the object holds a "delay" sleep inhibitor lock while the machine is
// awake: the suspend is held back (for the manager's short delay at most)
// until the suspend notice has been relayed and the lock let go. A new lock
// is taken after each resume.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

#include <functional>

class CPowerEvents : public QObject {
    Q_OBJECT

public:
    static constexpr int kSuspend = 4;
    static constexpr int kResume = 7;

    using Relay = std::function<void(int code)>;

    // bus: the system bus in production (QDBusConnection::systemBus()); a
    // disconnected bus gives no events.
    CPowerEvents(QDBusConnection bus, Relay relay, QObject* parent = nullptr);

    // True when the subscription to the login manager's signal is in place.
    bool IsListening() const { return m_listening; }
    // True while this object holds a sleep inhibitor lock.
    bool HoldsSleepDelay() const { return m_sleepDelay.isValid(); }

public Q_SLOTS:
    // true: the system is about to sleep; false: it has woken.
    void OnPrepareForSleep(bool sleeping);

private:
    void TakeSleepDelay();

    QDBusConnection m_bus;
    Relay m_relay;
    bool m_listening = false;
    QDBusUnixFileDescriptor m_sleepDelay;
};
