// Times as people write them on a command line and as the exports show
// them: ISO 8601 in local time with its offset from UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CTimeText {
public:
    // "90s", "15m", "24h", "7d", "2w": a whole number above 0 and a unit,
    // in milliseconds. Nothing for anything else.
    static std::optional<int64_t> ParseDuration(const std::string& text);
    // "2026-12-09", "2026-12-09T14:30", "2026-12-09T14:30:05" (or a space
    // for the "T"), in local time unless "Z" or an offset "+01:00"/"-0500"
    // follows; "now" is nowMs. Milliseconds since the epoch, nothing for a
    // date or time that does not exist.
    static std::optional<int64_t> ParseTime(const std::string& text, int64_t nowMs);
    // "2026-12-09T14:30:05+01:00" in the local time zone (TZ).
    static std::string LocalIso(int64_t timeMs);
};
