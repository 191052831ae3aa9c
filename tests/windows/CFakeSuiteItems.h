// The items the suite link reports, set by hand.
#pragma once

#include "windows/ISuiteItemView.h"

#include <array>

struct CFakeSuiteItems : ISuiteItemView {
    struct Item {
        bool enabled = true;
        double value = 0.0;  // degrees Celsius, or RPM for fans
        bool alarm = false;
    };
    std::array<Item, 5> fans{};
    std::array<Item, 3> temperatures{};

    bool IsFanEnabled(int fan) const override { return fans.at(fan).enabled; }
    int FanRpm(int fan) const override { return static_cast<int>(fans.at(fan).value); }
    bool IsFanInAlarm(int fan) const override { return fans.at(fan).alarm; }
    bool IsTemperatureEnabled(int t) const override { return temperatures.at(t).enabled; }
    double TemperatureValue(int t) const override { return temperatures.at(t).value; }
    bool IsTemperatureInAlarm(int t) const override { return temperatures.at(t).alarm; }
};
