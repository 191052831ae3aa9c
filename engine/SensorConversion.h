// The conversions between chip registers and the items' units, each as one
// small pure function: value-from-register for the readings and
// register-from-value for the limits. Divider settings that have no finite
// result give no value (std::nullopt) instead of a division by zero.
#pragma once

#include <cstdint>
#include <optional>

namespace SensorConversion {

// One step of the chip's 8-bit voltage converter, in volts at the pin.
inline constexpr double kVoltStep = 0.016;
// Negative rails are shifted against this reference before they reach a pin.
inline constexpr double kNegativeReference = 3.6;
// The offset that some chips add to the positive inputs when their offset bit
// is set.
inline constexpr double kOffsetW83791D = 0.718;
// The core input of some chips in VRM9 mode: 4.88 mV per step above 0.70 V.
inline constexpr double kVrm9Step = 0.00488;
inline constexpr double kVrm9Offset = 0.70;
// Fan count = kFanClock / (rpm x divisor).
inline constexpr int32_t kFanClock = 1350000;

// A positive rail seen through the divider R1/R2: offset + (R1 + R2) / R2 x
// raw x step. Nothing when R2 is 0.
std::optional<double> VoltsFromRaw(unsigned raw, int32_t r1, int32_t r2, double offset, double step = kVoltStep);
// The inverse, before truncation. Nothing when R2 or R1 + R2 is 0.
std::optional<double> RawFromVolts(double volts, int32_t r1, int32_t r2, double offset, double step = kVoltStep);

// A negative rail behind an inverting stage (the first-generation parts):
// the pin rises with the rail's magnitude, V = -|(R1 + R2) / R2| x raw x
// step, so the rail reads negative whichever of R1, R2 carries the sign.
// Nothing when R2 or R1 + R2 is 0.
std::optional<double> InvertedVoltsFromRaw(unsigned raw, int32_t r1, int32_t r2);
// The inverse, before truncation: the rail's magnitude in converter steps.
std::optional<double> RawFromInvertedVolts(double volts, int32_t r1, int32_t r2);

// A negative rail shifted against 3.6 V through R1/R2 (d = R1 / (R1 + R2)):
// V = (raw x step - 3.6 d) / (1 - d). Nothing when R1 + R2 or R2 is 0.
std::optional<double> NegativeVoltsFromRaw(unsigned raw, int32_t r1, int32_t r2);
// The inverse: raw = (V (1 - d) + 3.6 d) / step. Nothing when R1 + R2 or R2
// is 0.
std::optional<double> RawFromNegativeVolts(double volts, int32_t r1, int32_t r2);

// A converted limit as a register byte: truncated toward zero, above 255 as
// 255, below 0 (or not a number) as 0 so that it never wraps round.
uint8_t LimitByteFromRaw(double raw);

// Temperature registers hold two's complement numbers totalBits wide (8-bit
// 0xFB is -5 C; the 9-bit pair 0xFF/0x80 is -1 half degree, -0.5 C); the
// sensors of nine bits count half degrees.
double CelsiusFromField(double field, unsigned totalBits, bool halfDegrees);
// The inverse, truncated toward zero to the register's step and kept to the
// range the register can hold, as the unsigned field value to write.
double FieldFromCelsius(double celsius, unsigned totalBits, bool halfDegrees);

// Fan value (0..255, larger is faster) from the fan count scaled by FanScale.
double FanValueFromCount(double count, double fanScale);
// The count limit of a lowest fan value: (255 - fanValue) x FanScale, kept
// to 0..255.
double CountFromFanValue(double fanValue, double fanScale);
// Speed of a fan value b (1..254 in use): 1350000 / (divisor x (255 - b)),
// with 255 - b taken as at least 1; halved where the chip counts two pulses
// per turn. A divisor of 0 (not known yet) gives 0.
int32_t CountToRpm(uint8_t fanValue, uint8_t divisor, bool halved);

// The divisor code of a divisor: floor(log2 d), 0 for d = 0.
uint8_t DivisorCode(uint8_t divisor);
// The divisor of a code, 2^code kept to 8 bits (codes past 7 give 0).
uint8_t DivisorFromCode(unsigned code);

}  // namespace SensorConversion
