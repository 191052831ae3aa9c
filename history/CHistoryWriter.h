// Records every tick's snapshot into the history file. The tick calls
// Record with the snapshot it took; nothing here ever stops monitoring: a
// file that cannot be written (a full disk, a read-only place) switches the
// history off with one message, and a damaged or foreign file is set aside
// and a new one started.
//
// One writer per chip: the first program to record a chip holds an
// exclusive lock next to the file for as long as it runs; a second one
// (the window beside kelvane-cli --watch) only reads.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "history/CHistoryStore.h"
#include "history/CReadingSnapshot.h"

class CHistoryWriter {
public:
    using MessageSink = std::function<void(const std::string&)>;
    enum class State { kNotStarted, kWriting, kReadOnly, kOff };

    // How often the levels are thinned while recording.
    static constexpr int64_t kThinPeriodMs = 10 * CHistoryStore::kMinuteMs;

    // path: the history file (created at the first Record); messages go to
    // sink, at most one per change of state. maxBytes bounds the file.
    CHistoryWriter(std::string path, MessageSink sink, int64_t maxBytes = CHistoryStore::kMaxBytes);
    ~CHistoryWriter();
    CHistoryWriter(const CHistoryWriter&) = delete;
    CHistoryWriter& operator=(const CHistoryWriter&) = delete;

    // One tick. True when the tick was recorded.
    bool Record(const CReadingSnapshot& snapshot);
    State GetState() const { return m_state; }
    const std::string& Path() const { return m_path; }
    // The lock that makes one program the chip's writer.
    static std::string LockPath(const std::string& path, const std::string& chip);
    // The name a damaged file is set aside under: path + ".damaged-" and the
    // UTC time as YYYYMMDDTHHMMSSZ.
    static std::string AsideName(const std::string& path, int64_t timeMs);

    // The events a tick adds to the state before it: alarms that began and
    // ended, readings that failed or came back, a power-off asked for.
    std::vector<CHistoryStore::SEvent> EventsOf(const CReadingSnapshot& snapshot);

private:
    bool Start(const CReadingSnapshot& snapshot);
    bool OpenStore(int64_t timeMs);
    void TurnOff(const std::string& reason);

    std::string m_path;
    MessageSink m_sink;
    int64_t m_maxBytes;
    State m_state = State::kNotStarted;
    CHistoryStore m_store;
    int m_lockFd = -1;
    int64_t m_lastThinMs = 0;

    struct SItemState {
        bool alarm = false;
        bool failed = false;
    };
    std::map<std::string, SItemState> m_itemStates;
    bool m_powerOffRequested = false;
    std::vector<CHistoryStore::SEvent> m_pendingEvents;
};
