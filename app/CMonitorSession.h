// One monitoring session, without widgets: the engine and everything that
// follows a tick of it: the warning check with its log and mail, the reading
// episodes on record, Smart Fan's hold at full duty, the shut-down timers and
// the power-off request, the history writer. Front ends (the main window,
// kelvane-cli) read the immutable snapshot it publishes after every tick and
// send it commands through a queue.
//
// Threads: the session belongs to the thread that calls Start, Tick and
// Drain (the caller's own in synchronous use, CSessionRunner's otherwise).
// Post*, Latest and LockEngine may be called from any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/CSessionSnapshot.h"
#include "app/CWarningMonitor.h"
#include "engine/CEngineSeams.h"
#include "engine/CHardwareMonitor.h"
#include "engine/IReadingObserver.h"
#include "engine/IShutdownObserver.h"
#include "windows/CUserPreferences.h"

class CHistoryWriter;
class ILocalTime;
class IMailer;

struct CMonitorSessionSeams {
    CEngineSeams engine;
    IMailer& mailer;
    const ILocalTime& localTime;
    std::string boardName;  // the board sub-path of the descriptor and defaults files
    std::string logPath;    // error.txt
    // How the engine reaches the chip ("library", "service", ...), for the
    // history's records; may be empty.
    std::string access;
};

class CMonitorSession : private IShutdownObserver, private IReadingObserver {
public:
    using Snapshot = std::shared_ptr<const CSessionSnapshot>;
    using Command = std::function<void(CMonitorSession&)>;

    // Builds the engine without reaching the access library or the chip:
    // Start does that.
    explicit CMonitorSession(const CMonitorSessionSeams& seams);
    // The chip goes back (ReleaseChip) before the history closes.
    ~CMonitorSession() override;
    CMonitorSession(const CMonitorSession&) = delete;
    CMonitorSession& operator=(const CMonitorSession&) = delete;

    // The settings the warning check follows; mailReady: the mail logon
    // succeeded. Set before Start; later through PostSettings.
    void SetSettings(const CUserPreferences& preferences, bool mailReady);
    // How the engine reaches the chip, for the history's records. Set
    // before Start.
    void SetAccess(std::string access) { m_seams.access = std::move(access); }
    // Connects the engine (loads the access library, detects and takes the
    // chip), loads descriptors, defaults and preferences, applies them to
    // the chip and reads every item once; then one refresh like a tick
    // (without a history record) publishes the first snapshot. False when
    // the engine did not start (the refresh is made all the same).
    bool Start();
    // Records every later tick into this history file (its directory made
    // when missing); empty: no history.
    void StartHistory(const std::string& path);

    // One monitoring tick: the queued commands, a reading of every item,
    // the reading episodes on record, the warning check, the history
    // record, and a new snapshot, which it returns.
    Snapshot Tick();
    // Runs the queued commands; when there were any, publishes a snapshot
    // of the items as they are now (no chip reading). True when any ran.
    bool Drain();
    // The last published snapshot (never null after construction). Its
    // events are those of the snapshots since the previous TakeLatest.
    Snapshot Latest() const;
    // The latest snapshot with the events of every snapshot since the
    // previous TakeLatest, so that no event is lost when ticks outrun the
    // reader.
    Snapshot TakeLatest();

    // Commands, run by the next Tick or Drain on the session's thread.
    void Post(Command command);
    void PostSettings(const CUserPreferences& preferences, bool mailReady);
    // The countdown's Cancel: the item's shut-down off until the next start.
    void PostCancelShutdown(int item);
    // 4 suspend, 7 resume (CPowerEventHandler).
    void PostPowerEvent(int code);
    void PostReleaseChip();
    // A mail that could not be sent (any thread).
    void PostMailFailed(const std::string& failure);
    // Also told of every reading episode the engine reports, on the
    // session's thread (kelvane-cli reports them on its error stream); null
    // for none.
    void SetReadingListener(IReadingObserver* listener) { m_readingListener = listener; }
    // Told (on the posting thread) whenever a command is queued: a runner
    // wakes up on it. Set before commands are posted from other threads.
    void SetCommandPosted(std::function<void()> wake);

    // The engine, for readers on other threads (the panels, the dialogs):
    // held by the session's thread for every tick and command, so a holder
    // sees the items as a whole tick left them.
    std::unique_lock<std::mutex> LockEngine() { return std::unique_lock<std::mutex>(m_engineMutex); }
    std::unique_lock<std::mutex> TryLockEngine() { return std::unique_lock<std::mutex>(m_engineMutex, std::try_to_lock); }
    std::mutex& EngineMutex() { return m_engineMutex; }
    // Direct access: only on the session's thread, or under LockEngine.
    CHardwareMonitor& Engine() { return m_engine; }
    const CHardwareMonitor& Engine() const { return m_engine; }
    const CWarningMonitor& Warnings() const { return m_warnings; }
    CWarningMonitor& Warnings() { return m_warnings; }
    const CHistoryWriter* History() const { return m_pHistory.get(); }
    const CUserPreferences& Settings() const { return m_prefs; }
    bool IsStarted() const { return m_bStarted; }
    bool IsShutdownCancelled(int item) const { return m_cancelledShutDowns.count(item) != 0; }

    // The cancel itself, on the session's thread.
    void CancelShutdown(int item);
    void OnMailFailed(const std::string& failure);
    bool OnPowerEvent(int code);

private:
    void RunCommands(std::deque<Command>& commands);
    void Refresh();
    void RecordHistory();
    Snapshot Publish();
    int IndexOf(const CSensorItem& item) const;
    void AddEvent(CSessionSnapshot::SEvent::Kind kind, int item, std::string text);

    void PowerOffRequested(const CSensorItem& item) override;
    void PowerOffRefused(const CSensorItem& item, const std::string& reason) override;
    void ReadingFailed(const CSensorItem& item) override;
    void ReadingRestored(const CSensorItem& item) override;
    void FanNotConnected(const CSmartFanItem& fan) override;
    void FanConnected(const CSmartFanItem& fan) override;
    void FanHeldAtFullDuty(const CSmartFanItem& fan) override;
    void FanReleased(const CSmartFanItem& fan) override;
    void LogReadingEvent(const char* word, const std::string& text);
    void WriteReadingEvents();

    CMonitorSessionSeams m_seams;
    std::mutex m_engineMutex;
    CHardwareMonitor m_engine;
    CWarningMonitor m_warnings;
    CUserPreferences m_prefs;
    bool m_bMailReady = false;
    bool m_bStarted = false;
    uint64_t m_nTick = 0;
    std::vector<int> m_alarmItems;
    std::set<int> m_cancelledShutDowns;
    std::vector<std::pair<const char*, std::string>> m_pendingReadingEvents;
    IReadingObserver* m_readingListener = nullptr;
    std::vector<CSessionSnapshot::SEvent> m_events;  // of the tick under way
    std::unique_ptr<CHistoryWriter> m_pHistory;

    mutable std::mutex m_queueMutex;
    std::deque<Command> m_commands;
    std::function<void()> m_commandPosted;

    mutable std::mutex m_snapshotMutex;
    Snapshot m_latest;
    // Events of snapshots published since the last TakeLatest.
    std::vector<CSessionSnapshot::SEvent> m_untakenEvents;
};
