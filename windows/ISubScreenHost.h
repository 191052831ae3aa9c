// What the sub-screen panels need from the main window: the items they show,
// the skin, the three voltage items chosen for the voltage sub-screen and the
// temperature unit. The panels read these on every use, so a change the main
// window makes is seen at the panels' next refresh or tick.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class CHardwareMonitor;
class CSkinLibrary;

class ISubScreenHost {
public:
    // What a panel shows of one item, as the latest reading left it.
    struct SItem {
        std::string name;
        bool present = false;
        bool enabled = false;
        bool enabledByDefault = false;
        bool readFailed = false;
        // A fan that read no speed at the start.
        bool notConnected = false;
        bool outOfRange = false;
        double value = 0.0;  // volts or degrees Celsius
        double hiBound = 0.0;
        int32_t rpm = 0;     // fans only
    };

    virtual ~ISubScreenHost() = default;

    virtual CHardwareMonitor& Engine() = 0;
    virtual const CSkinLibrary& Skin() const = 0;
    // The voltage item index (0..9) of slot 0..2 of the voltage sub-screen.
    virtual int SubVoltItem(int slot) const = 0;
    // Degrees Celsius (true) or Fahrenheit (false).
    virtual bool IsCentigrade() const = 0;
    // The item at an engine index (CHardwareMonitor::Item) into item; false
    // when there is none. Here: read from Engine() on the caller's thread; a
    // host whose engine lives on another thread answers from its latest
    // snapshot instead.
    virtual bool ReadItem(int index, SItem& item);
    // Held by whoever reads the chip into the items when the panels read
    // Engine() themselves; a panel's own refresh passes over a beat while it
    // is taken. None: the items are this thread's alone, or ReadItem does
    // not reach the engine.
    virtual std::mutex* EngineMutex() { return nullptr; }
};
