#include "app/CSessionRunner.h"

#include "app/CMonitorSession.h"

CSessionRunner::CSessionRunner(CMonitorSession& session, std::chrono::milliseconds period, Notify published)
    : m_session(session), m_period(period), m_published(std::move(published))
{
}

CSessionRunner::~CSessionRunner() { Stop(); }

void CSessionRunner::Start(std::function<void()> first)
{
    if (m_thread.joinable()) return;
    {
        const std::lock_guard hold(m_mutex);
        m_bStop = false;
        m_bBusy = static_cast<bool>(first);
    }
    m_session.SetCommandPosted([this] {
        const std::lock_guard hold(m_mutex);
        m_bCommands = true;
        m_wake.notify_all();
    });
    m_thread = std::thread([this, first = std::move(first)] {
        if (first) {
            first();
            const std::lock_guard hold(m_mutex);
            m_bBusy = false;
            m_wake.notify_all();
        }
        Run();
    });
}

void CSessionRunner::Stop()
{
    if (!m_thread.joinable()) return;
    {
        const std::lock_guard hold(m_mutex);
        m_bStop = true;
        m_nPauses = 0;
    }
    m_wake.notify_all();
    m_thread.join();
    m_session.SetCommandPosted(nullptr);
}

void CSessionRunner::Pause()
{
    std::unique_lock hold(m_mutex);
    ++m_nPauses;
    m_wake.wait(hold, [this] { return !m_bBusy; });
}

void CSessionRunner::Resume()
{
    {
        const std::lock_guard hold(m_mutex);
        if (m_nPauses > 0) --m_nPauses;
    }
    m_wake.notify_all();
}

unsigned long long CSessionRunner::Ticks() const
{
    const std::lock_guard hold(m_mutex);
    return m_nTicks;
}

void CSessionRunner::Run()
{
    auto due = std::chrono::steady_clock::now() + m_period;
    std::unique_lock hold(m_mutex);
    for (;;) {
        if (m_nPauses > 0 && !m_bStop) {
            m_wake.wait(hold, [this] { return m_bStop || m_nPauses == 0; });
            // The owner ticked while it held the session.
            due = std::chrono::steady_clock::now() + m_period;
            continue;
        }
        m_wake.wait_until(hold, due, [this, due] {
            return m_bStop || (m_nPauses == 0 && (m_bCommands || std::chrono::steady_clock::now() >= due));
        });
        if (m_bStop) break;
        if (m_nPauses > 0) continue;
        if (!m_bCommands && std::chrono::steady_clock::now() < due) continue;
        const bool tick = std::chrono::steady_clock::now() >= due;
        m_bCommands = false;
        m_bBusy = true;
        hold.unlock();
        const bool published = tick ? (m_session.Tick(), true) : m_session.Drain();
        if (published && m_published) m_published();
        hold.lock();
        m_bBusy = false;
        if (tick) {
            ++m_nTicks;
            // A tick that overran its period does not make up for it.
            due += m_period;
            if (const auto now = std::chrono::steady_clock::now(); due <= now) due = now + m_period;
        }
        m_wake.notify_all();
    }
    hold.unlock();
    // What was posted before the stop still runs: the chip's hand-back.
    if (m_session.Drain() && m_published) m_published();
}
