#include "accesslib/SimChipConversions.h"

#include <cmath>

namespace {

// A reading exactly on a step (3.2 V is 200 steps) must not fall to the step
// below through the rounding of the division.
constexpr double kStepTolerance = 1e-9;

double FiniteOr(double value, double fallback) { return std::isfinite(value) ? value : fallback; }

}  // namespace

uint8_t VoltageToRegister(double pinVolts, double step) {
  if (!(step > 0.0)) return 0;
  const double steps = std::floor(FiniteOr(pinVolts, 0.0) / step + kStepTolerance);
  if (steps <= 0.0) return 0;
  if (steps >= 255.0) return 255;
  return static_cast<uint8_t>(steps);
}

uint8_t TemperatureToRegister8(double celsius) {
  double degrees = std::floor(FiniteOr(celsius, 0.0) + kStepTolerance);
  if (degrees < -128.0) degrees = -128.0;
  if (degrees > 127.0) degrees = 127.0;
  return static_cast<uint8_t>(static_cast<int>(degrees) & 0xFF);
}

uint16_t TemperatureToHalfDegrees9(double celsius) {
  double halves = std::floor(FiniteOr(celsius, 0.0) * 2.0 + kStepTolerance);
  if (halves < -256.0) halves = -256.0;
  if (halves > 255.0) halves = 255.0;
  return static_cast<uint16_t>(static_cast<int>(halves) & 0x1FF);
}

uint8_t HalfDegreesHighByte(uint16_t halfDegrees9) { return static_cast<uint8_t>((halfDegrees9 >> 1) & 0xFF); }

uint8_t HalfDegreesLowByte(uint16_t halfDegrees9) { return static_cast<uint8_t>((halfDegrees9 & 1) << 7); }

int HalfDegreesFromRegisters(uint8_t high, uint8_t low) {
  const int raw = (high << 1) | (low >> 7);
  return raw >= 256 ? raw - 512 : raw;
}

int DegreesFromRegister(uint8_t value) { return value >= 128 ? value - 256 : value; }

uint8_t FanCount(double rpm, unsigned divisor, unsigned clockDivider) {
  rpm = FiniteOr(rpm, 0.0);
  if (rpm <= 0.0 || divisor == 0 || clockDivider == 0) return 255;
  const double count = std::floor(kFanCountClock / (clockDivider * rpm * divisor) + kStepTolerance);
  if (count >= 255.0) return 255;
  return static_cast<uint8_t>(count);
}

double FanRpmAtDuty(double fullSpeedRpm, uint8_t duty) {
  return FiniteOr(fullSpeedRpm, 0.0) * (0.25 + 0.75 * duty / 255.0);
}
