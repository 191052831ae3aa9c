#include "app/CMonitorSession.h"

#include <chrono>
#include <cstdio>
#include <string_view>

#include "app/CPowerEventHandler.h"
#include "engine/CFanItem.h"
#include "history/CHistoryLocation.h"
#include "history/CHistoryWriter.h"
#include "platform/IClock.h"

CMonitorSession::CMonitorSession(const CMonitorSessionSeams& seams)
    : m_seams(seams),
      m_engine(seams.engine, CHardwareMonitor::DeferConnect{}),
      m_warnings(seams.engine.profile, seams.logPath, seams.mailer, seams.engine.registry, seams.localTime),
      m_latest(std::make_shared<const CSessionSnapshot>())
{
    m_engine.SetShutdownObserver(this);
    m_engine.SetReadingObserver(this);
    m_warnings.SetMailFailureHandler([this](const std::string& failure) { OnMailFailed(failure); });
}

CMonitorSession::~CMonitorSession()
{
    m_engine.SetShutdownObserver(nullptr);
    m_engine.SetReadingObserver(nullptr);
    // The chip goes back first: the fans must not wait for slow file work.
    m_engine.ReleaseChip();
    m_pHistory.reset();
}

void CMonitorSession::SetSettings(const CUserPreferences& preferences, bool mailReady)
{
    m_prefs = preferences;
    m_bMailReady = mailReady;
}

bool CMonitorSession::Start()
{
    {
        const std::lock_guard hold(m_engineMutex);
        // The library is loaded and the chip taken here, on the session's
        // thread, not where the session was built.
        m_engine.Connect();
        m_engine.SetUseDefaultFiles(true);
        m_engine.SetUsePreferenceFile(false);
        m_engine.SetPaths(m_seams.boardName);
        m_bStarted = m_engine.StartMonitoring();
        // One pass over the chip gives the first reading.
        Refresh();
    }
    Publish();
    return m_bStarted;
}

void CMonitorSession::StartHistory(const std::string& path)
{
    if (path.empty()) return;
    CHistoryLocation::PrepareDirectory(path);
    // At most one message for each change of the history's state; the
    // monitoring goes on whatever it says.
    m_pHistory = std::make_unique<CHistoryWriter>(path, [this](const std::string& message) {
        std::fprintf(stderr, "kelvane: %s\n", message.c_str());
        AddEvent(CSessionSnapshot::SEvent::Kind::kHistoryMessage, -1, message);
    });
}

CMonitorSession::Snapshot CMonitorSession::Tick()
{
    std::deque<Command> commands;
    {
        const std::lock_guard queue(m_queueMutex);
        commands.swap(m_commands);
    }
    {
        const std::lock_guard hold(m_engineMutex);
        RunCommands(commands);
        Refresh();
        RecordHistory();
        ++m_nTick;
    }
    return Publish();
}

bool CMonitorSession::Drain()
{
    std::deque<Command> commands;
    {
        const std::lock_guard queue(m_queueMutex);
        commands.swap(m_commands);
    }
    if (commands.empty()) return false;
    {
        const std::lock_guard hold(m_engineMutex);
        RunCommands(commands);
    }
    Publish();
    return true;
}

void CMonitorSession::RunCommands(std::deque<Command>& commands)
{
    for (Command& command : commands) command(*this);
    // A command may queue another (a failing mail reports while sending).
    commands.clear();
}

void CMonitorSession::Refresh()
{
    m_engine.UpdateAll();
    WriteReadingEvents();
    m_alarmItems = m_warnings.CheckWarnings(m_engine, m_prefs, m_bMailReady).items;
}

void CMonitorSession::RecordHistory()
{
    if (!m_pHistory) return;
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch()).count();
    m_pHistory->Record(CReadingSnapshot::Take(m_engine, now, CReadingSnapshot::AccessLabel(m_seams.access)));
}

CMonitorSession::Snapshot CMonitorSession::Publish()
{
    auto snapshot = std::make_shared<CSessionSnapshot>();
    {
        const std::lock_guard hold(m_engineMutex);
        snapshot->tick = m_nTick;
        snapshot->monitoring = m_bStarted;
        snapshot->chipReleased = m_engine.IsChipReleased();
        snapshot->chipSetType = m_engine.ChipSetType();
        snapshot->powerOffRequested = m_engine.IsPowerOffRequested();
        snapshot->powerOffRefused = m_engine.WasPowerOffRefused();
        snapshot->clockTicks = m_seams.engine.clock.Ticks();
        for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
            const CSensorItem* item = m_engine.Item(i);
            if (item == nullptr) continue;
            CSessionSnapshot::SItem& out = snapshot->items[static_cast<std::size_t>(i)];
            out.name = item->Name();
            out.kind = i < CHardwareMonitor::kFirstTemp  ? CSessionSnapshot::Kind::kVolt
                       : i < CHardwareMonitor::kFirstFan ? CSessionSnapshot::Kind::kTemp
                                                         : CSessionSnapshot::Kind::kFan;
            out.present = item->IsPresent();
            out.enabled = item->IsEnabled();
            out.enabledByDefault = item->EnabledByDefault();
            out.readFailed = item->IsReadFailed();
            out.hasReading = item->HasReading();
            // The status pass of the last UpdateAll answers: no transfer of
            // its own once the warning check has asked every item.
            out.outOfRange = item->IsOutOfRange();
            out.value = item->Value();
            if (const auto* fan = dynamic_cast<const CFanItem*>(item)) {
                out.rpm = fan->Rpm();
                out.notConnected = fan->IsNotConnected();
            }
            out.hiLimit = item->HiLimit();
            out.loLimit = item->LoLimit();
            out.hiBound = item->HiBound();
            out.shutDownEnabled = item->IsShutDownEnabled();
            out.shutdownPending = item->IsShutdownPending();
            out.shutDownTime = item->ShutDownTime();
            out.outOfRangeStart = item->OutOfRangeStart();
            out.counterFrequency = item->CounterFrequency();
        }
        snapshot->alarmItems = m_alarmItems;
        snapshot->cancelledShutDowns = m_cancelledShutDowns;
        snapshot->readings = CReadingSnapshot::Take(m_engine, 0, CReadingSnapshot::AccessLabel(m_seams.access));
        snapshot->events = std::move(m_events);
        m_events.clear();
    }
    const std::lock_guard hold(m_snapshotMutex);
    m_untakenEvents.insert(m_untakenEvents.end(), snapshot->events.begin(), snapshot->events.end());
    m_latest = std::move(snapshot);
    return m_latest;
}

CMonitorSession::Snapshot CMonitorSession::Latest() const
{
    const std::lock_guard hold(m_snapshotMutex);
    return m_latest;
}

CMonitorSession::Snapshot CMonitorSession::TakeLatest()
{
    const std::lock_guard hold(m_snapshotMutex);
    if (m_untakenEvents.size() == m_latest->events.size()) {
        m_untakenEvents.clear();
        return m_latest;
    }
    auto copy = std::make_shared<CSessionSnapshot>(*m_latest);
    copy->events = std::move(m_untakenEvents);
    m_untakenEvents.clear();
    return copy;
}

void CMonitorSession::Post(Command command)
{
    std::function<void()> wake;
    {
        const std::lock_guard queue(m_queueMutex);
        m_commands.push_back(std::move(command));
        wake = m_commandPosted;
    }
    if (wake) wake();
}

void CMonitorSession::SetCommandPosted(std::function<void()> wake)
{
    const std::lock_guard queue(m_queueMutex);
    m_commandPosted = std::move(wake);
}

void CMonitorSession::PostSettings(const CUserPreferences& preferences, bool mailReady)
{
    Post([preferences, mailReady](CMonitorSession& session) { session.SetSettings(preferences, mailReady); });
}

void CMonitorSession::PostCancelShutdown(int item)
{
    Post([item](CMonitorSession& session) { session.CancelShutdown(item); });
}

void CMonitorSession::PostPowerEvent(int code)
{
    Post([code](CMonitorSession& session) { session.OnPowerEvent(code); });
}

void CMonitorSession::PostReleaseChip()
{
    Post([](CMonitorSession& session) { session.m_engine.ReleaseChip(); });
}

void CMonitorSession::PostMailFailed(const std::string& failure)
{
    Post([failure](CMonitorSession& session) { session.OnMailFailed(failure); });
}

bool CMonitorSession::OnPowerEvent(int code) { return CPowerEventHandler::Handle(m_engine, code); }

int CMonitorSession::IndexOf(const CSensorItem& item) const
{
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i)
        if (m_engine.Item(i) == &item) return i;
    return -1;
}

void CMonitorSession::AddEvent(CSessionSnapshot::SEvent::Kind kind, int item, std::string text)
{
    m_events.push_back(CSessionSnapshot::SEvent{kind, item, std::move(text)});
}

void CMonitorSession::CancelShutdown(int index)
{
    CSensorItem* item = m_engine.Item(index);
    if (item == nullptr) return;
    item->SetShutDownEnable(false);
    m_cancelledShutDowns.insert(index);
    m_warnings.WriteLogLine(CWarningMonitor::kShutdownCancelled,
                            CWarningMonitor::ItemEntry(*item, m_prefs.m_bCentigrade) +
                                "shut-down cancelled by the user until the next start");
}

void CMonitorSession::OnMailFailed(const std::string& failure)
{
    if (m_prefs.m_bErrorLog) m_warnings.WriteLogLine(CWarningMonitor::kMailFailed, "alert mail not sent: " + failure);
    AddEvent(CSessionSnapshot::SEvent::Kind::kMailFailed, -1, failure);
}

void CMonitorSession::PowerOffRequested(const CSensorItem& item)
{
    // Written before the request goes out: the record of why the machine
    // went down, whatever the log switch says.
    m_warnings.WriteLogLine(CWarningMonitor::kPowerOff,
                            CWarningMonitor::ItemEntry(item, m_prefs.m_bCentigrade) + "out of range for " +
                                std::to_string(item.ShutDownTime()) + " s, power-off requested");
    AddEvent(CSessionSnapshot::SEvent::Kind::kPowerOffRequested, IndexOf(item), std::string());
}

void CMonitorSession::PowerOffRefused(const CSensorItem& item, const std::string& reason)
{
    m_warnings.WriteLogLine(CWarningMonitor::kPowerOffRefused,
                            CWarningMonitor::ItemEntry(item, m_prefs.m_bCentigrade) + "power-off refused" +
                                (reason.empty() ? std::string() : ": " + reason));
    AddEvent(CSessionSnapshot::SEvent::Kind::kPowerOffRefused, IndexOf(item), reason);
}

void CMonitorSession::LogReadingEvent(const char* word, const std::string& text)
{
    m_pendingReadingEvents.emplace_back(word, text);
}

void CMonitorSession::WriteReadingEvents()
{
    // Like a power-off, on record whatever the log switch says: each is
    // written once per episode, and tells why a fan runs as it does. A log
    // key is the second and the word, so the events of one tick that share
    // a word share one line.
    while (!m_pendingReadingEvents.empty()) {
        const char* word = m_pendingReadingEvents.front().first;
        std::string line;
        for (auto it = m_pendingReadingEvents.begin(); it != m_pendingReadingEvents.end();) {
            if (std::string_view(it->first) != word) {
                ++it;
                continue;
            }
            line += (line.empty() ? "" : "; ") + it->second;
            it = m_pendingReadingEvents.erase(it);
        }
        m_warnings.WriteLogLine(word, line);
    }
}

void CMonitorSession::ReadingFailed(const CSensorItem& item)
{
    if (m_readingListener) m_readingListener->ReadingFailed(item);
    LogReadingEvent(CWarningMonitor::kReadFailed, item.Name() + ": no reading, the chip did not answer");
}

void CMonitorSession::ReadingRestored(const CSensorItem& item)
{
    if (m_readingListener) m_readingListener->ReadingRestored(item);
    LogReadingEvent(CWarningMonitor::kReadRestored, item.Name() + ": read again");
}

void CMonitorSession::FanNotConnected(const CSmartFanItem& fan)
{
    if (m_readingListener) m_readingListener->FanNotConnected(fan);
    const std::string text = fan.Name() + " reads no speed at start: not monitored";
    LogReadingEvent(CWarningMonitor::kNoFan, text);
    AddEvent(CSessionSnapshot::SEvent::Kind::kFanNotConnected, IndexOf(fan), text);
}

void CMonitorSession::FanConnected(const CSmartFanItem& fan)
{
    if (m_readingListener) m_readingListener->FanConnected(fan);
    LogReadingEvent(CWarningMonitor::kNoFan, fan.Name() + " reads a speed: monitored again");
}

void CMonitorSession::FanHeldAtFullDuty(const CSmartFanItem& fan)
{
    if (m_readingListener) m_readingListener->FanHeldAtFullDuty(fan);
    LogReadingEvent(CWarningMonitor::kFullDuty,
                    fan.Name() + " at full duty: " + CSmartFanItem::HoldReasonText(fan.HeldFor()));
}

void CMonitorSession::FanReleased(const CSmartFanItem& fan)
{
    if (m_readingListener) m_readingListener->FanReleased(fan);
    LogReadingEvent(CWarningMonitor::kFullDuty, fan.Name() + " follows Smart Fan again");
}
