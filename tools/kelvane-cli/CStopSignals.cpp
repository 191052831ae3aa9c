#include "tools/kelvane-cli/CStopSignals.h"

#include <sys/select.h>
#include <time.h>

#include <cmath>
#include <cstddef>

namespace {

// Ctrl-C, a stop request, a terminal that went away (a closed window, a
// dropped ssh) and Ctrl-\ all end the run through the normal path.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile sig_atomic_t g_stopSignals = 0;

void OnStopSignal(int signal) {
    if (g_stopSignals < 2) {
        g_stopSignals = g_stopSignals + 1;
        return;
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

double Now() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

CStopSignals::CStopSignals() {
    g_stopSignals = 0;
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    ::sigemptyset(&stop.sa_mask);
    // No SA_RESTART: a blocking call that the signal interrupts returns.
    stop.sa_flags = 0;
    for (std::size_t i = 0; i < kSignalCount; ++i) ::sigaction(kStopSignals[i], &stop, &m_previous[i]);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &m_previousPipe);
}

CStopSignals::~CStopSignals() {
    for (std::size_t i = 0; i < kSignalCount; ++i) ::sigaction(kStopSignals[i], &m_previous[i], nullptr);
    ::sigaction(SIGPIPE, &m_previousPipe, nullptr);
}

bool CStopSignals::StopRequested() const { return g_stopSignals != 0; }

bool CStopSignals::Wait(double seconds) const {
    // The stop signals are held back between the look at the flag and the
    // wait, and let through only inside pselect, so a signal that comes just
    // before the wait still ends it.
    sigset_t stopSet;
    sigset_t previous;
    ::sigemptyset(&stopSet);
    for (const int signal : kStopSignals) ::sigaddset(&stopSet, signal);
    ::pthread_sigmask(SIG_BLOCK, &stopSet, &previous);
    sigset_t waitMask = previous;
    for (const int signal : kStopSignals) ::sigdelset(&waitMask, signal);

    const double deadline = Now() + seconds;
    bool stopped = false;
    for (;;) {
        if (g_stopSignals != 0) {
            stopped = true;
            break;
        }
        const double remaining = deadline - Now();
        if (remaining <= 0.0) break;
        double whole = 0.0;
        const double fraction = std::modf(remaining, &whole);
        timespec timeout{static_cast<time_t>(whole), static_cast<long>(fraction * 1e9)};
        ::pselect(0, nullptr, nullptr, nullptr, &timeout, &waitMask);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return !stopped;
}
