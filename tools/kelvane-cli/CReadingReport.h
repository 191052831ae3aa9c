// The sensor items as kelvane-cli shows them: one reading per item, in the
// units shown, and the two ways of printing a set of them (an aligned table
// for people, a JSON array for scripts). Numbers never follow the locale:
// the decimal point is always ".".
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CHardwareMonitor;
struct CSessionSnapshot;

struct CItemReading {
    enum class Kind { kVoltage, kTemperature, kFan };

    std::string section;  // VOLT1 ... FAN5
    std::string name;
    Kind kind = Kind::kVoltage;
    bool enabled = false;
    // Volts, degrees (C or F) or, for fans, revolutions per minute; none for
    // an item that is off or has not been read.
    std::optional<double> value;
    // Fans: the fan value 0..255 behind the speed.
    std::optional<int> fanValue;
    // Limits in the unit of value; none where the item has none. Fans have
    // only a low limit, as a speed, and none when it is below fan value 1.
    std::optional<double> hi;
    std::optional<double> lo;
    // The second limit is a hysteresis (the temperature the alarm clears
    // at), not a low limit: temperatures.
    bool loIsHysteresis = false;
    bool alarm = false;
    // The reading failed (bus error, lock time-out, service gone): no value.
    bool failed = false;
    // A fan that read no speed at the start and is not monitored.
    bool notConnected = false;
    std::string unit;  // "V", "C", "F", "RPM" (the table shows "°C", "°F")
    int decimals = 0;
};

class CReadingReport {
public:
    // The items of a session's snapshot in array order (VOLT1..VOLT10,
    // TEMP1..TEMP3, FAN1..FAN5), the disabled ones only when all is set (a
    // fan that is off for want of a speed at the start is always listed).
    // The engine the snapshot came from gives the items' section names and
    // the speeds of the fans' limits; it is not read.
    static std::vector<CItemReading> Collect(const CSessionSnapshot& snapshot, const CHardwareMonitor& engine,
                                             bool all, bool fahrenheit);

    // Columns ITEM NAME VALUE HIGH LOW/HYST STATE, a header line first,
    // padded to the widest cell; STATE is "ok", "ALARM", "off", "FAILED"
    // (no reading) or "no fan". Temperatures carry the degree sign.
    static std::string Table(const std::vector<CItemReading>& readings);
    // One line: a JSON array of one object per reading; a failed reading
    // has value null and "error":"read failed", every object names its state
    // as the table does, and carries "access" (how the chip was reached)
    // when access is not empty. A temperature's second limit is given as
    // "hyst" as well as "lo".
    static std::string Json(const std::vector<CItemReading>& readings, std::string_view access = {});
    // The line over each table of a watch: "2026-12-09 17:45:02".
    static std::string TimeStamp(const std::tm& time);

    // value with exactly decimals digits after ".", whatever the locale; a
    // negative value that rounds to zero loses its sign.
    static std::string FixedText(double value, int decimals);
    // A JSON string literal: quotes, backslashes and control characters
    // escaped, bytes that are not UTF-8 replaced by U+FFFD.
    static std::string JsonString(std::string_view text);

    static double Fahrenheit(double celsius) { return celsius * 1.8 + 32.0; }
    static const char* StateText(const CItemReading& reading);
};
