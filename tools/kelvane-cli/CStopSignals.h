// Ctrl-C, SIGTERM, SIGHUP and SIGQUIT as a request to stop. The engine puts the chip's control
// registers and fan duties back in its destructor, so the program must leave
// through its normal path: the signal only sets a flag that the reading loop
// looks at, and waits between readings end early when it is set. A third
// signal ends the program at once, for a reading that never finishes.
//
// SIGPIPE is ignored while an object exists: a reader at the other end of a
// pipe that goes away shows up as a failed write, again through the normal
// path, instead of killing the process with the chip left as it was.
//
// One object at a time; the flag a signal handler sets is necessarily
// process-wide.
#pragma once

#include <signal.h>

#include <cstddef>

class CStopSignals {
public:
    CStopSignals();
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

    bool StopRequested() const;
    // Waits seconds; false when a stop was requested before or during the
    // wait (which then ends at once).
    bool Wait(double seconds) const;

private:
    static constexpr std::size_t kSignalCount = 4;
    struct sigaction m_previous[kSignalCount] {};
    struct sigaction m_previousPipe {};
};
