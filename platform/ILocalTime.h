// The wall clock in the user's local time, as the warning log and the alert
// mails stamp it. Tests set the time by hand.
#pragma once

#include <ctime>

class ILocalTime {
public:
    virtual ~ILocalTime() = default;
    virtual std::tm Now() const = 0;
};
