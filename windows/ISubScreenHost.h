// What the sub-screen panels need from the main window: the engine whose
// items they show, the skin, the three voltage items chosen for the voltage
// sub-screen and the temperature unit. The panels read these on every use, so
// a change the main window makes is seen at the panels' next refresh or tick.
#pragma once

#include <mutex>

class CHardwareMonitor;
class CSkinLibrary;

class ISubScreenHost {
public:
    virtual ~ISubScreenHost() = default;

    virtual CHardwareMonitor& Engine() = 0;
    virtual const CSkinLibrary& Skin() const = 0;
    // The voltage item index (0..9) of slot 0..2 of the voltage sub-screen.
    virtual int SubVoltItem(int slot) const = 0;
    // Degrees Celsius (true) or Fahrenheit (false).
    virtual bool IsCentigrade() const = 0;
    // Held by whoever reads the chip into the items (a monitoring session on
    // a thread of its own); a panel's own refresh passes over a beat while
    // it is taken. None: the items are this thread's alone.
    virtual std::mutex* EngineMutex() { return nullptr; }
};
