// The kernel hwmon drivers' units (millivolts at the pin, millidegrees C,
// RPM and divisor) against the chip's register values, one rule each.
// Attribute to register rounds to the nearest step and keeps to the
// register's range, as the drivers do for a limit written to them.
#pragma once

#include <cstdint>

// 16 mV per step (0 .. 4080 mV).
uint8_t RegisterFromMillivolts(int64_t millivolts);
int64_t MillivoltsFromRegister(uint8_t value);
// The W83637HF core in VRM9 mode: 4.88 mV per step above 700 mV.
uint8_t Vrm9RegisterFromMillivolts(int64_t millivolts);
int64_t Vrm9MillivoltsFromRegister(uint8_t value);
// Whether a core reading can only have come from VRM9 mode: in 16 mV mode
// every reading is a whole number of steps.
bool IsVrm9Reading(int64_t millivolts);

// 8-bit two's complement, whole degrees.
uint8_t Register8FromMillidegrees(int64_t millidegrees);
int64_t MillidegreesFromRegister8(uint8_t value);
// 9-bit two's complement in half degrees: the high byte, and bit 7 of the
// low register.
uint8_t High9FromMillidegrees(int64_t millidegrees);
uint8_t Low9FromMillidegrees(int64_t millidegrees);
int64_t MillidegreesFromRegisters9(uint8_t high, uint8_t low);

// count = 1350000 / (rpm x divisor); a stopped or too slow fan counts 255,
// and an RPM of 0 stands for count 255 (a fan limit of 0 is "no limit").
uint8_t FanCountFromRpm(int64_t rpm, unsigned divisor);
int64_t RpmFromFanCount(uint8_t count, unsigned divisor);
// The divisor code (log2) of a divisor, -1 for one that is no power of two
// in 1..128.
int DivisorCode(int64_t divisor);
