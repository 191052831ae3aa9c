// The stand-in for Dravik Manager: it listens where the suite's main window
// would ("@Dravik Manager:<pid>"), publishes its "ID" and "Path" values in
// the registry hive, prints every packet it receives, and can send Kelvane a
// choice of readings (a type-1 packet of three mask bytes).
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

struct DravikManagerSimOptions {
    std::string hivePath;          // default: registry.db in the program directory
    std::string windowClass = "Dravik Manager";
    bool writeId = true;
    bool writePath = true;
    std::optional<std::vector<int>> select;  // item codes 0..23
    std::optional<long> toPid;               // else every "@Kelvane:*"
    std::optional<long> count;               // packets received before stopping
    std::optional<double> seconds;           // run time before stopping
    bool help = false;
};

class CDravikManagerSim {
public:
    // The one-line synopsis, and the whole help text that starts with it.
    static const char* UsageLine();
    static std::string Usage();

    // The options of a command line (without the program name); nothing,
    // with a reason in error, for a bad one.
    static std::optional<DravikManagerSimOptions> ParseOptions(std::span<const std::string> arguments,
                                                               std::string& error);

    // "F5 01 03 m0 m1 m2 sum FA": the suite's type-1 packet whose masks hold
    // bit (code mod 8) of byte (code div 8) for every code.
    static std::vector<std::uint8_t> SelectionPacket(std::span<const int> codes);

    // One line for a received datagram: "code 11 CPU FAN 2345 RPM alarm 0",
    // "code 17 CPU Temperature 105 F alarm 1", "code 19 CPU Frequency 2400
    // MHz", or what kind of packet it was otherwise.
    static std::string Describe(std::span<const std::uint8_t> datagram);

    explicit CDravikManagerSim(DravikManagerSimOptions options) : m_options(std::move(options)) {}
    // Binds, registers, sends the selection, then prints packets until the
    // count or the time is reached or a SIGINT/SIGTERM arrives. The exit code.
    int Run(std::ostream& out, std::ostream& err);

private:
    DravikManagerSimOptions m_options;
};
