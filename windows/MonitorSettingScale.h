// The Monitor Setting dialog's conversions between item values and slider
// units, and its number texts. Pure functions, so each rule can be checked
// alone.
#pragma once

#include <QString>

namespace MonitorSettingScale {

// value × scale truncated toward zero, as a slider unit. A product that lies
// within a millionth of a whole number is that number: limits are kept in
// hundredths, and 1.13 × 100 is 112.99999999999999 in binary floating point,
// which a bare truncation would turn into 112 (and each Apply would then lower
// the limit by one more hundredth). Clamped to the int range.
int ToUnits(double value, double scale);

// printf-style text of a real ("%2.2f", "%3.1f") with every "," replaced by
// ".", so the user's locale never changes the decimal separator.
QString FormatReal(const char* format, double value);
// "%d".
QString FormatInt(int value);

// A Celsius value in the unit the user chose: Celsius, or × 1.8 + 32.
double ShownTemperature(double celsius, bool centigrade);

// A fan value for CountToRpm: the slider unit clamped to 0..255.
unsigned char FanValue(int units);

}  // namespace MonitorSettingScale
