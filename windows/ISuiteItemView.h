// What the suite link reads of the sensor items: the two fans and two
// temperatures it can report. Indices are the engine's: Fan(0..4),
// Temp(0..2).
#pragma once

class ISuiteItemView {
public:
    virtual ~ISuiteItemView() = default;

    virtual bool IsFanEnabled(int fan) const = 0;
    virtual int FanRpm(int fan) const = 0;
    virtual bool IsFanInAlarm(int fan) const = 0;

    virtual bool IsTemperatureEnabled(int temperature) const = 0;
    // Degrees Celsius.
    virtual double TemperatureValue(int temperature) const = 0;
    virtual bool IsTemperatureInAlarm(int temperature) const = 0;
};
