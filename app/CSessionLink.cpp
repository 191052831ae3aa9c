#include "app/CSessionLink.h"

#include <QTimerEvent>

#include "app/CPowerEventHandler.h"
#include "app/IMailer.h"
#include "windows/CUserPreferences.h"

CSessionLink::CSessionLink(const CMonitorSessionSeams& seams, std::chrono::milliseconds period,
                           const CUserPreferences& prefs, const bool& mailReady)
    : m_session(seams),
      m_period(period),
      m_mailer(seams.mailer),
      m_prefs(prefs),
      m_bMailReady(mailReady),
      m_snapshot(m_session.Latest())
{
    // A mailer that sends on its own thread reports here, on that thread:
    // the report is handed to the session, and the window told.
    m_mailer.SetFailureHandler([this](const std::string& failure) {
        m_session.PostMailFailed(failure);
        // A runner drains the queue itself; else this thread does.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (IsHere()) Apply(nullptr);
            },
            Qt::QueuedConnection);
    });
}

CSessionLink::~CSessionLink() { HandBack(); }

void CSessionLink::SetHandlers(Deliver deliver, StartDone started)
{
    m_deliver = std::move(deliver);
    m_started = std::move(started);
}

void CSessionLink::Start(bool ownThread)
{
    m_session.SetSettings(m_prefs, m_bMailReady);
    if (!ownThread) {
        const bool started = m_session.Start();
        if (started) m_timer.start(static_cast<int>(m_period.count()), this);
        StartFinished(started);
        return;
    }
    // The engine's start is the runner's first job: no chip transfer on
    // this thread, from the first one on.
    m_pRunner = std::make_unique<CSessionRunner>(m_session, m_period, [this] { Published(); });
    m_pRunner->Start([this] {
        const bool started = m_session.Start();
        QMetaObject::invokeMethod(this, [this, started] { StartFinished(started); }, Qt::QueuedConnection);
    });
}

void CSessionLink::StartFinished(bool started)
{
    if (!started && m_started) m_started(false);
    Apply(m_session.TakeLatest());
    if (started && m_started) m_started(true);
}

void CSessionLink::StartHistory(const std::string& path)
{
    if (path.empty()) return;
    if (IsHere()) {
        if (m_session.IsStarted()) m_session.StartHistory(path);
        return;
    }
    // Queued behind the start, which may still be under way.
    m_session.Post([path](CMonitorSession& session) {
        if (session.IsStarted()) session.StartHistory(path);
    });
}

void CSessionLink::SendSettings()
{
    if (IsHere())
        m_session.SetSettings(m_prefs, m_bMailReady);
    else
        m_session.PostSettings(m_prefs, m_bMailReady);
}

void CSessionLink::Tick()
{
    SendSettings();
    Apply(m_session.Tick());
}

void CSessionLink::Post(CMonitorSession::Command command)
{
    m_session.Post(std::move(command));
    if (IsHere()) Apply(nullptr);
}

void CSessionLink::CancelShutdown(int item)
{
    m_session.PostCancelShutdown(item);
    if (IsHere()) Apply(nullptr);
}

void CSessionLink::OnMailFailed(const std::string& failure)
{
    m_session.PostMailFailed(failure);
    if (IsHere()) Apply(nullptr);
}

bool CSessionLink::OnPowerBroadcast(int code)
{
    if (code != CPowerEventHandler::kSuspend && code != CPowerEventHandler::kResume) return false;
    if (IsHere()) {
        m_session.OnPowerEvent(code);
        return true;
    }
    if (code == CPowerEventHandler::kResume) {
        m_session.PostPowerEvent(code);
        return true;
    }
    // The settings are kept before the machine may sleep: the suspend
    // waits for them (at most the tick under way).
    Hold();
    m_session.OnPowerEvent(code);
    Release();
    return true;
}

void CSessionLink::Stop()
{
    m_timer.stop();
    if (!m_pRunner) return;
    // The chip goes back on the session's thread before it ends.
    m_session.PostReleaseChip();
    m_pRunner->Stop();
    m_pRunner.reset();
}

void CSessionLink::HandBack()
{
    if (m_bHandedBack) return;
    m_bHandedBack = true;
    m_timer.stop();
    m_mailer.SetFailureHandler(nullptr);
    // The chip goes back first: the fans must not wait for slow file work.
    m_session.PostReleaseChip();
    if (m_pRunner) m_pRunner->Stop();
    m_pRunner.reset();
    m_session.Drain();
}

bool CSessionLink::ReadItem(int index, ISubScreenHost::SItem& out) const
{
    const CSessionSnapshot::SItem* item = m_snapshot->Item(index);
    if (item == nullptr) return false;
    out.name = item->name;
    out.present = item->present;
    out.enabled = item->enabled;
    out.enabledByDefault = item->enabledByDefault;
    out.readFailed = item->readFailed;
    out.notConnected = item->notConnected;
    out.outOfRange = item->outOfRange;
    out.value = item->value;
    out.hiBound = item->hiBound;
    out.rpm = item->rpm;
    return true;
}

void CSessionLink::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        Tick();
    else
        QObject::timerEvent(event);
}

void CSessionLink::Apply(CMonitorSession::Snapshot snapshot)
{
    if (!snapshot) {
        m_session.Drain();
        snapshot = m_session.TakeLatest();
    }
    const bool tick = !m_bShown || snapshot->tick != m_snapshot->tick;
    m_bShown = true;
    m_snapshot = std::move(snapshot);
    if (m_deliver) m_deliver(tick);
}

void CSessionLink::Published()
{
    // One queued call at a time, which takes the latest snapshot with every
    // event since the previous one.
    if (m_bPublishQueued.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bPublishQueued = false;
            Apply(m_session.TakeLatest());
        },
        Qt::QueuedConnection);
}

void CSessionLink::Hold()
{
    if (m_nHolds++ > 0 || !m_pRunner) return;
    m_pRunner->Pause();
    Apply(m_session.TakeLatest());
    m_timer.start(static_cast<int>(m_period.count()), this);
}

void CSessionLink::Release()
{
    SendSettings();
    if (--m_nHolds > 0 || !m_pRunner) return;
    m_timer.stop();
    m_pRunner->Resume();
}
