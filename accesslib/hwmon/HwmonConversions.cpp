#include "accesslib/hwmon/HwmonConversions.h"

#include <algorithm>

namespace {

constexpr int64_t kFanClock = 1350000;

// Nearest integer of numerator / denominator (denominator > 0).
int64_t RoundedDivision(int64_t numerator, int64_t denominator) {
  return numerator >= 0 ? (numerator + denominator / 2) / denominator
                        : -((-numerator + denominator / 2) / denominator);
}

uint8_t Clamp8(int64_t value) { return static_cast<uint8_t>(std::clamp<int64_t>(value, 0, 255)); }

}  // namespace

uint8_t RegisterFromMillivolts(int64_t millivolts) { return Clamp8(RoundedDivision(millivolts, 16)); }

int64_t MillivoltsFromRegister(uint8_t value) { return value * 16; }

uint8_t Vrm9RegisterFromMillivolts(int64_t millivolts) {
  return Clamp8(RoundedDivision((millivolts - 700) * 100, 488));
}

int64_t Vrm9MillivoltsFromRegister(uint8_t value) { return RoundedDivision(value * 488 + 70000, 100); }

bool IsVrm9Reading(int64_t millivolts) { return millivolts % 16 != 0; }

uint8_t Register8FromMillidegrees(int64_t millidegrees) {
  const int64_t degrees = std::clamp<int64_t>(RoundedDivision(millidegrees, 1000), -128, 127);
  return static_cast<uint8_t>(static_cast<int8_t>(degrees));
}

int64_t MillidegreesFromRegister8(uint8_t value) { return static_cast<int8_t>(value) * 1000; }

namespace {

int64_t HalfDegrees(int64_t millidegrees) { return std::clamp<int64_t>(RoundedDivision(millidegrees, 500), -256, 255); }

}  // namespace

uint8_t High9FromMillidegrees(int64_t millidegrees) {
  // Arithmetic shift: the high byte is the signed value's bits 8..1.
  return static_cast<uint8_t>(static_cast<int8_t>(HalfDegrees(millidegrees) >> 1));
}

uint8_t Low9FromMillidegrees(int64_t millidegrees) { return (HalfDegrees(millidegrees) & 1) ? 0x80 : 0x00; }

int64_t MillidegreesFromRegisters9(uint8_t high, uint8_t low) {
  return (static_cast<int8_t>(high) * 2 + ((low & 0x80) ? 1 : 0)) * 500;
}

uint8_t FanCountFromRpm(int64_t rpm, unsigned divisor) {
  if (rpm <= 0 || divisor == 0) return 255;
  return static_cast<uint8_t>(std::clamp<int64_t>(RoundedDivision(kFanClock, rpm * divisor), 1, 255));
}

int64_t RpmFromFanCount(uint8_t count, unsigned divisor) {
  if (count == 255 || divisor == 0) return 0;
  return RoundedDivision(kFanClock, std::max<int64_t>(count, 1) * divisor);
}

int DivisorCode(int64_t divisor) {
  for (int code = 0; code <= 7; ++code) {
    if (divisor == (int64_t{1} << code)) return code;
  }
  return -1;
}
