// The system's wall clock broken down in the local time zone.
#pragma once

#include "platform/ILocalTime.h"

class CSystemLocalTime : public ILocalTime {
public:
    std::tm Now() const override;
};
