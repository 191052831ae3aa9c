// The window's end of the monitoring session: it owns the session and, when
// the session runs on a thread of its own, the runner; it hands every
// snapshot the session publishes to the window on the window's thread, and
// sends the window's commands.
//
// Without a runner (tests that step the window), or while a suspend holds
// the runner, the session belongs to the window's thread: timer 1 ticks it
// and a command runs as soon as it is sent.
#pragma once

#include <QBasicTimer>
#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/CMonitorSession.h"
#include "app/CSessionRunner.h"
#include "windows/ISubScreenHost.h"

class CUserPreferences;

class CSessionLink : public QObject {
public:
    // A snapshot has become Current(); tick: one the window has not shown
    // yet (the start's or a tick's), not only a command's.
    using Deliver = std::function<void(bool tick)>;
    // The engine's start is over: started is Start's result.
    using StartDone = std::function<void(bool started)>;

    // prefs and mailReady are the window's; they go to the session with
    // every SendSettings. Everything referred to must outlive the link.
    CSessionLink(const CMonitorSessionSeams& seams, std::chrono::milliseconds period, const CUserPreferences& prefs,
                 const bool& mailReady);
    // HandBack.
    ~CSessionLink() override;

    void SetHandlers(Deliver deliver, StartDone started);

    // Starts the engine with the window's settings. ownThread: the runner
    // starts with the engine's start as its first job, and started follows
    // on this thread once it is over; otherwise the start runs now, then
    // timer 1. A failed start is reported before its snapshot is delivered,
    // a good one after.
    void Start(bool ownThread);
    // Records every later tick into this history file, once the engine has
    // started.
    void StartHistory(const std::string& path);
    // The window's settings, after a change.
    void SendSettings();
    // Timer 1: a tick of the session on this thread.
    void Tick();
    // A command for the session, run at once where the session is this
    // thread's (then the snapshot it leaves is delivered).
    void Post(CMonitorSession::Command command);
    void CancelShutdown(int item);
    void OnMailFailed(const std::string& failure);
    // 4 suspend, 7 resume. True when handled.
    bool OnPowerBroadcast(int code);
    // The monitoring ends: the chip goes back on the session's thread and
    // the runner stops.
    void Stop();
    // As Stop, and whatever is still queued runs here (nothing is delivered
    // any more); the session is then done with. Once.
    void HandBack();

    // The session belongs to this thread now: no runner, or one on hold.
    bool IsHere() const { return !m_pRunner || m_nHolds > 0; }
    bool IsMonitoring() const { return m_timer.isActive() || (m_pRunner && m_pRunner->IsRunning()); }
    CMonitorSession& Session() { return m_session; }
    const CMonitorSession& Session() const { return m_session; }
    CSessionRunner* Runner() const { return m_pRunner.get(); }
    // The snapshot the window shows now.
    const CMonitorSession::Snapshot& Current() const { return m_snapshot; }
    // What a panel, chart or the suite link sees of an item: the current
    // snapshot's.
    bool ReadItem(int index, ISubScreenHost::SItem& item) const;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // Null: the commands posted on this thread run first.
    void Apply(CMonitorSession::Snapshot snapshot);
    void StartFinished(bool started);
    // On the runner's thread.
    void Published();
    // The session is this thread's while a suspend keeps the settings.
    void Hold();
    void Release();

    CMonitorSession m_session;
    const std::chrono::milliseconds m_period;
    IMailer& m_mailer;
    const CUserPreferences& m_prefs;
    const bool& m_bMailReady;
    Deliver m_deliver;
    StartDone m_started;
    CMonitorSession::Snapshot m_snapshot;
    std::unique_ptr<CSessionRunner> m_pRunner;
    std::atomic<bool> m_bPublishQueued{false};
    int m_nHolds = 0;
    bool m_bShown = false;  // a snapshot has been delivered
    bool m_bHandedBack = false;
    QBasicTimer m_timer;
};
