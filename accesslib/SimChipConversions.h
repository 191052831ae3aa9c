// The simulated chip's analog front end: how a pin voltage, a temperature and a
// fan speed become register values, and how the chip reads its own limit
// registers back. Each rule is one small pure function.
#pragma once

#include <cstdint>

// One step of the voltage converter: 16 mV.
inline constexpr double kVoltsPerStep = 0.016;
// The fan counter counts a 22.5 kHz clock for two pulses: count x rpm x divisor
// = 1350000 (half the clock, 675000, on parts whose counter runs at half speed).
inline constexpr double kFanCountClock = 1350000.0;

// Pin voltage to the 8-bit reading at step volts per count (16 mV unless the
// input runs in another mode): truncated, 0 below 0 V, 255 at the top.
uint8_t VoltageToRegister(double pinVolts, double step = kVoltsPerStep);

// Temperature to the 8-bit two's complement reading in whole degrees (rounded
// down to the sensor's step, kept to -128..127).
uint8_t TemperatureToRegister8(double celsius);

// Temperature to the 9-bit two's complement reading in half degrees (rounded
// down to the step, kept to -128..127.5). The high byte holds bits 8..1, bit 7
// of the low register holds bit 0.
uint16_t TemperatureToHalfDegrees9(double celsius);
uint8_t HalfDegreesHighByte(uint16_t halfDegrees9);
uint8_t HalfDegreesLowByte(uint16_t halfDegrees9);

// A 9-bit register pair (high byte, low register with bit 7) as signed half degrees.
int HalfDegreesFromRegisters(uint8_t high, uint8_t low);
// An 8-bit two's complement register as signed whole degrees.
int DegreesFromRegister(uint8_t value);

// The count that the fan counter latches: clock / (rpm x divisor), truncated;
// 255 when the fan stands (rpm 0 or less) or the count does not fit in 8 bits.
// clockDivider is 1, or 2 on parts whose counter runs at half speed.
uint8_t FanCount(double rpm, unsigned divisor, unsigned clockDivider);

// A fan's speed when its PWM output runs at duty (0..255): a quarter of its
// full speed at duty 0, rising linearly to full speed at 255.
double FanRpmAtDuty(double fullSpeedRpm, uint8_t duty);
