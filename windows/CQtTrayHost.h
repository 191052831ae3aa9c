// ITrayHost over QSystemTrayIcon.
//
// Tray hosts on Linux desktops come and go: a panel restarts, or the program
// (started at log-on) is up before the panel. Two watches report a tray host
// that appears:
// - StatusNotifierItem hosts: the "org.kde.StatusNotifierWatcher" service
//   registering on the session bus (a restarted watcher has lost every item);
// - any host: while an add has failed, the tray's availability is polled
//   until a notification area exists: every 3 s for the first minute (a
//   program started at log-on usually races the panel), then every 30 s (a
//   desktop without any tray must not pay an X round trip every 3 s).
// XEmbed trays re-dock an icon that stays shown by themselves.
#pragma once

#include "windows/ITrayHost.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

class QDBusServiceWatcher;

class CQtTrayHost : public QObject, public ITrayHost {
    Q_OBJECT

public:
    static constexpr const char* kWatcherService = "org.kde.StatusNotifierWatcher";
    static constexpr int kAvailabilityPollMs = 3000;
    static constexpr int kSlowAvailabilityPollMs = 30000;
    static constexpr int kFastPollSpanMs = 60000;

    // The wait before the next availability poll, msSinceFailedAdd after
    // the add that found no notification area.
    static int NextPollMs(qint64 msSinceFailedAdd);

    // sessionBus: the user's session bus in production; a disconnected
    // connection leaves only the availability poll.
    explicit CQtTrayHost(QDBusConnection sessionBus, QObject* parent = nullptr);
    ~CQtTrayHost() override;

    bool IsAvailable() const override;
    bool Add(const QIcon& icon, const QString& tooltip) override;
    void Update(const QIcon& icon, const QString& tooltip) override;
    bool Remove() override;
    void ShowBalloon(const QString& title, const QString& text, int iconKind, int milliseconds) override;
    QRect IconGeometry() const override;
    void SetMouseHandler(MouseHandler handler) override { m_mouseHandler = std::move(handler); }
    void SetTrayStartHandler(TrayStartHandler handler) override { m_trayStartHandler = std::move(handler); }

    // What a click means. StatusNotifierItem hosts send one "Activate" for
    // the icon's primary action (where other trays see a double click) and
    // never a double click; XEmbed trays report a single click before every
    // double click.
    static Mouse MouseFromActivation(QSystemTrayIcon::ActivationReason reason, bool statusNotifierHost);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void OnTrayStarted();
    void StartPolling();
    void SchedulePoll();
    bool IsStatusNotifierHostRunning() const;

    QDBusConnection m_bus;
    QSystemTrayIcon m_icon;
    QDBusServiceWatcher* m_watcher = nullptr;
    QTimer m_availabilityPoll;
    QElapsedTimer m_sinceFailedAdd;
    bool m_statusNotifierHost = false;
    MouseHandler m_mouseHandler;
    TrayStartHandler m_trayStartHandler;
};
