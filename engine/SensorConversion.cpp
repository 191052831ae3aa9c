#include "engine/SensorConversion.h"

#include <cmath>

namespace SensorConversion {

std::optional<double> VoltsFromRaw(unsigned raw, int32_t r1, int32_t r2, double offset, double step) {
    if (r2 == 0) return std::nullopt;
    const double scale = (static_cast<double>(r1) + r2) / r2;
    return offset + scale * raw * step;
}

std::optional<double> RawFromVolts(double volts, int32_t r1, int32_t r2, double offset, double step) {
    if (r2 == 0 || static_cast<int64_t>(r1) + r2 == 0 || step == 0.0) return std::nullopt;
    const double scale = (static_cast<double>(r1) + r2) / r2;
    return (volts - offset) / (scale * step);
}

std::optional<double> InvertedVoltsFromRaw(unsigned raw, int32_t r1, int32_t r2) {
    if (r2 == 0 || static_cast<int64_t>(r1) + r2 == 0) return std::nullopt;
    const double scale = std::fabs((static_cast<double>(r1) + r2) / r2);
    return -scale * raw * kVoltStep;
}

std::optional<double> RawFromInvertedVolts(double volts, int32_t r1, int32_t r2) {
    if (r2 == 0 || static_cast<int64_t>(r1) + r2 == 0) return std::nullopt;
    const double scale = std::fabs((static_cast<double>(r1) + r2) / r2);
    return -volts / (scale * kVoltStep);
}

std::optional<double> NegativeVoltsFromRaw(unsigned raw, int32_t r1, int32_t r2) {
    if (r2 == 0 || static_cast<int64_t>(r1) + r2 == 0) return std::nullopt;
    const double d = static_cast<double>(r1) / (static_cast<double>(r1) + r2);
    return (raw * kVoltStep - kNegativeReference * d) / (1.0 - d);
}

std::optional<double> RawFromNegativeVolts(double volts, int32_t r1, int32_t r2) {
    // With R2 = 0 every voltage would map to the reference itself.
    if (r2 == 0 || static_cast<int64_t>(r1) + r2 == 0) return std::nullopt;
    const double d = static_cast<double>(r1) / (static_cast<double>(r1) + r2);
    return (volts * (1.0 - d) + kNegativeReference * d) / kVoltStep;
}

uint8_t LimitByteFromRaw(double raw) {
    if (std::isnan(raw) || raw <= 0.0) return 0;
    if (raw >= 255.0) return 255;
    return static_cast<uint8_t>(raw);
}

double CelsiusFromField(double field, unsigned totalBits, bool halfDegrees) {
    if (totalBits >= 2 && totalBits <= 16) {
        const double span = std::ldexp(1.0, static_cast<int>(totalBits));
        if (field >= span / 2) field -= span;
    }
    return halfDegrees ? field * 0.5 : field;
}

double FieldFromCelsius(double celsius, unsigned totalBits, bool halfDegrees) {
    double steps = halfDegrees ? celsius * 2.0 : celsius;
    if (std::isnan(steps)) return 0.0;
    steps = std::trunc(steps);
    if (totalBits < 2 || totalBits > 16) return steps;
    const double span = std::ldexp(1.0, static_cast<int>(totalBits));
    if (steps > span / 2 - 1) steps = span / 2 - 1;
    if (steps < -span / 2) steps = -span / 2;
    return steps < 0 ? steps + span : steps;
}

double FanValueFromCount(double count, double fanScale) {
    double x = count * fanScale;
    if (x > 255.0) x = 255.0;
    return 255.0 - x;
}

double CountFromFanValue(double fanValue, double fanScale) {
    double x = (255.0 - fanValue) * fanScale;
    if (std::isnan(x) || x < 0.0) return 0.0;
    if (x > 255.0) return 255.0;
    return x;
}

int32_t CountToRpm(uint8_t fanValue, uint8_t divisor, bool halved) {
    if (divisor == 0) return 0;
    int32_t k = 255 - fanValue;
    if (k == 0) k = 1;
    int32_t rpm = kFanClock / (static_cast<int32_t>(divisor) * k);
    return halved ? rpm / 2 : rpm;
}

uint8_t DivisorCode(uint8_t divisor) {
    uint8_t code = 0;
    while (divisor > 1) {
        divisor >>= 1;
        ++code;
    }
    return code;
}

uint8_t DivisorFromCode(unsigned code) { return code > 7 ? 0 : static_cast<uint8_t>(1u << code); }

}  // namespace SensorConversion
