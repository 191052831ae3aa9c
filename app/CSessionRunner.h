// Drives a monitoring session on a thread of its own: a tick every period,
// and the session's commands as soon as they are posted. The front end is
// told of every new snapshot through a callback on the runner's thread and
// takes it with CMonitorSession::TakeLatest; it never waits for the chip.
//
// Pause hands the session back to the caller's thread (which may then Tick
// and Drain it itself, as a modal dialog's owner does) until Resume.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CMonitorSession;

class CSessionRunner {
public:
    using Notify = std::function<void()>;

    // published: called on the runner's thread after every tick and every
    // drained command; must not block on the front end's thread.
    CSessionRunner(CMonitorSession& session, std::chrono::milliseconds period, Notify published);
    // Stop.
    ~CSessionRunner();
    CSessionRunner(const CSessionRunner&) = delete;
    CSessionRunner& operator=(const CSessionRunner&) = delete;

    // first: run on the runner's thread before anything else (the engine's
    // start), counted as busy so that a Pause waits for it. The first tick
    // comes one period after Start, or after first when there is one.
    void Start(std::function<void()> first = {});
    // Ends the thread after the tick or command under way; the queued
    // commands are run first (the hand-back of the chip among them).
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    // Waits for the tick under way, then leaves the session alone until
    // Resume. Nested pauses count.
    void Pause();
    void Resume();
    // Ticks made by the runner so far.
    unsigned long long Ticks() const;

private:
    void Run();

    CMonitorSession& m_session;
    const std::chrono::milliseconds m_period;
    Notify m_published;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_bStop = false;
    bool m_bCommands = false;
    bool m_bBusy = false;
    int m_nPauses = 0;
    unsigned long long m_nTicks = 0;
    std::thread m_thread;
};
