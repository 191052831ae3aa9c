#include "history/CHistoryWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

CHistoryWriter::CHistoryWriter(std::string path, MessageSink sink, int64_t maxBytes)
    : m_path(std::move(path)), m_sink(std::move(sink)), m_maxBytes(maxBytes) {}

CHistoryWriter::~CHistoryWriter() {
    m_store.Close();
    if (m_lockFd >= 0) ::close(m_lockFd);
}

std::string CHistoryWriter::LockPath(const std::string& path, const std::string& chip) {
    std::string name = chip;
    for (char& c : name) {
        if (c == '/' || c == '\0') c = '_';
    }
    return path + "." + name + ".lock";
}

std::string CHistoryWriter::AsideName(const std::string& path, int64_t timeMs) {
    const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    return path + ".damaged-" + stamp;
}

void CHistoryWriter::TurnOff(const std::string& reason) {
    m_store.Close();
    if (m_state != State::kOff && m_sink)
        m_sink("Kelvane history is off: " + reason + " (" + m_path + "). Monitoring goes on without it.");
    m_state = State::kOff;
}

bool CHistoryWriter::OpenStore(int64_t timeMs) {
    std::string error;
    CHistoryStore::Failure failure = m_store.Open(m_path, CHistoryStore::Mode::kWrite, error, m_maxBytes);
    if (failure == CHistoryStore::Failure::kDamaged) {
        const std::string aside = AsideName(m_path, timeMs);
        if (!CHistoryStore::SetAside(m_path, aside)) {
            TurnOff(error + ", and it could not be set aside");
            return false;
        }
        if (m_sink)
            m_sink("Kelvane history: " + m_path + " was damaged or not a Kelvane history (" + error +
                   "); it was set aside as " + aside + " and a new history was started.");
        failure = m_store.Open(m_path, CHistoryStore::Mode::kWrite, error, m_maxBytes);
    }
    if (failure != CHistoryStore::Failure::kNone) {
        TurnOff(error);
        return false;
    }
    return true;
}

bool CHistoryWriter::Start(const CReadingSnapshot& snapshot) {
    const std::string lockPath = LockPath(m_path, snapshot.chip);
    m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_lockFd < 0) {
        TurnOff("its folder cannot be written");
        return false;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
        m_state = State::kReadOnly;
        if (m_sink)
            m_sink("Kelvane history: another Kelvane program records chip " + snapshot.chip + " into " + m_path +
                   "; this one only reads it.");
        return false;
    }
    if (!OpenStore(snapshot.timeMs)) return false;
    m_state = State::kWriting;
    std::string error;
    m_store.Thin(snapshot.timeMs, error);
    m_lastThinMs = snapshot.timeMs;
    return true;
}

std::vector<CHistoryStore::SEvent> CHistoryWriter::EventsOf(const CReadingSnapshot& snapshot) {
    std::vector<CHistoryStore::SEvent> events;
    const auto add = [&](const CReadingSnapshot::Item* item, const char* kind) {
        CHistoryStore::SEvent event;
        event.timeMs = snapshot.timeMs;
        event.chip = snapshot.chip;
        event.kind = kind;
        if (item) {
            event.item = item->item;
            event.name = item->name;
            event.value = item->value;
        }
        events.push_back(std::move(event));
    };
    for (const CReadingSnapshot::Item& item : snapshot.items) {
        SItemState& state = m_itemStates[item.item];
        const bool failed = !item.readOk;
        if (failed && !state.failed) add(&item, "failed");
        if (!failed && state.failed) add(&item, "recovered");
        state.failed = failed;
        // A failed reading tells nothing of the alarm: the episode stays as it was.
        if (failed) continue;
        if (item.alarm && !state.alarm) add(&item, "alarm");
        if (!item.alarm && state.alarm) add(&item, "normal");
        state.alarm = item.alarm;
    }
    if (snapshot.powerOffRequested && !m_powerOffRequested) add(nullptr, "poweroff");
    m_powerOffRequested = snapshot.powerOffRequested;
    return events;
}

bool CHistoryWriter::Record(const CReadingSnapshot& snapshot) {
    if (m_state == State::kNotStarted && !Start(snapshot)) return false;
    if (m_state != State::kWriting) return false;
    // The events of a tick lost to a busy file go with the next one.
    std::vector<CHistoryStore::SEvent> events = std::move(m_pendingEvents);
    m_pendingEvents.clear();
    for (CHistoryStore::SEvent& event : EventsOf(snapshot)) events.push_back(std::move(event));
    std::string error;
    CHistoryStore::Failure failure = m_store.WriteTick(snapshot, events, error);
    if (failure == CHistoryStore::Failure::kDamaged) {
        m_store.Close();
        if (OpenStore(snapshot.timeMs)) failure = m_store.WriteTick(snapshot, events, error);
        if (m_state == State::kOff) return false;
    }
    if (failure == CHistoryStore::Failure::kBusy) {
        m_pendingEvents = std::move(events);
        return false;
    }
    if (failure != CHistoryStore::Failure::kNone) {
        TurnOff(error);
        return false;
    }
    if (snapshot.timeMs - m_lastThinMs >= kThinPeriodMs || snapshot.timeMs < m_lastThinMs) {
        m_lastThinMs = snapshot.timeMs;
        if (m_store.Thin(snapshot.timeMs, error) == CHistoryStore::Failure::kUnusable) TurnOff(error);
    }
    return true;
}
