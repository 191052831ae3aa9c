#include "windows/MonitorSettingScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace MonitorSettingScale {

int ToUnits(double value, double scale)
{
    const double scaled = value * scale;
    if (std::isnan(scaled)) return 0;
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    if (scaled >= kMax) return std::numeric_limits<int>::max();
    if (scaled <= kMin) return std::numeric_limits<int>::min();
    const double nearest = std::round(scaled);
    if (std::fabs(scaled - nearest) < 1e-6) return static_cast<int>(nearest);
    return static_cast<int>(std::trunc(scaled));
}

QString FormatReal(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    QString result = QString::fromLatin1(text);
    result.replace(QLatin1Char(','), QLatin1Char('.'));
    return result;
}

QString FormatInt(int value) { return QString::number(value); }

double ShownTemperature(double celsius, bool centigrade) { return centigrade ? celsius : celsius * 1.8 + 32.0; }

unsigned char FanValue(int units) { return static_cast<unsigned char>(std::clamp(units, 0, 255)); }

}  // namespace MonitorSettingScale
