#include "windows/SubScreenValues.h"

#include <cmath>
#include <cstdio>

namespace SubScreenValues {

namespace {

// printf follows the process locale (Qt sets it from the environment), so a
// German desktop would print "1,50".
QString Formatted(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

std::optional<int> BoundedPoint(double value, double hiBound, double scale)
{
    if (value <= 0)
        return 1;
    if (value >= hiBound)
        return std::nullopt;
    return static_cast<int>(std::trunc(value * scale));
}

}  // namespace

QString VoltText(double volts)
{
    return Formatted("%2.2f", volts);
}

QString RpmText(int rpm)
{
    return QString::number(rpm);
}

QString TemperatureText(double celsius, bool centigrade)
{
    return Formatted("%2.1f", centigrade ? celsius : celsius * 1.8 + 32);
}

QString TemperatureUnit(bool centigrade)
{
    return centigrade ? QStringLiteral("\u00B0C") : QStringLiteral("\u00B0F");
}

std::optional<int> VoltPoint(double volts, double hiBound)
{
    return BoundedPoint(volts, hiBound, 10);
}

std::optional<int> TemperaturePoint(double celsius, double hiBound)
{
    return BoundedPoint(celsius, hiBound, 2);
}

std::optional<int> FanPoint(int rpm)
{
    if (rpm <= 0)
        return 1;
    return static_cast<int>(std::trunc(rpm * 0.02));
}

}  // namespace SubScreenValues
