#include "platform/CSystemLocalTime.h"

std::tm CSystemLocalTime::Now() const
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    // localtime_r: the static buffer of localtime is not safe to share.
    localtime_r(&now, &local);
    return local;
}
