// The forced power-off of the machine. The real one asks the system's
// session manager to power off; tests, benchmarks and demos install a
// recording double so that nothing they run can ever switch a machine off.
#pragma once

#include <string>

class IPowerOff {
public:
    virtual ~IPowerOff() = default;
    // Asks for an immediate power-off; true when the request was accepted.
    virtual bool PowerOff() = 0;
    // Why the last request was refused, as one line for the warning log;
    // empty when it was accepted or nothing is known.
    virtual std::string RefusalText() const { return {}; }
};
