// The texts the numeric sub-screens show and the points the graph sub-screens
// plot, as plain functions of a reading.
#pragma once

#include <QString>

#include <optional>

namespace SubScreenValues {

// "%2.2f", with any decimal comma of the user's locale turned into ".".
QString VoltText(double volts);
// "%d".
QString RpmText(int rpm);
// "%2.1f" of the Celsius value, or of c * 1.8 + 32 when not centigrade; "," as ".".
QString TemperatureText(double celsius, bool centigrade);
// "C" or "F".
QString TemperatureUnit(bool centigrade);

// The point a reading adds to its graph line, or none. A reading of 0 or
// less is plotted as 1 (the chart takes an average of 0 as "no point"); a
// voltage or temperature at or above the item's HiBound adds nothing.
std::optional<int> VoltPoint(double volts, double hiBound);   // trunc(x * 10)
std::optional<int> TemperaturePoint(double celsius, double hiBound);  // trunc(x * 2)
std::optional<int> FanPoint(int rpm);                          // trunc(rpm * 0.02)

}  // namespace SubScreenValues
