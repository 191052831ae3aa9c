// The forced power-off of the machine. The real one asks the system's
// session manager to power off; tests, benchmarks and demos install a
// recording double so that nothing they run can ever switch a machine off.
#pragma once

class IPowerOff {
public:
    virtual ~IPowerOff() = default;
    // Asks for an immediate power-off; true when the request was accepted.
    virtual bool PowerOff() = 0;
};
