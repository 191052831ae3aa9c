#include "history/CTimeText.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace {

// Exactly digits decimal digits at text[at].
std::optional<int> Digits(const std::string& text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

std::optional<int64_t> CTimeText::ParseDuration(const std::string& text) {
    if (text.size() < 2) return std::nullopt;
    int64_t unit = 0;
    switch (text.back()) {
        case 's': unit = 1000; break;
        case 'm': unit = 60'000; break;
        case 'h': unit = 3'600'000; break;
        case 'd': unit = 86'400'000; break;
        case 'w': unit = 7 * 86'400'000LL; break;
        default: return std::nullopt;
    }
    int64_t count = 0;
    const char* end = text.data() + text.size() - 1;
    auto [ptr, ec] = std::from_chars(text.data(), end, count);
    // Up to about a century: anything longer is a typing error.
    if (ec != std::errc() || ptr != end || count < 1 || count > 3'200'000'000'000LL / unit) return std::nullopt;
    return count * unit;
}

std::optional<int64_t> CTimeText::ParseTime(const std::string& text, int64_t nowMs) {
    if (text == "now") return nowMs;
    const std::optional<int> year = Digits(text, 0, 4);
    const std::optional<int> month = Digits(text, 5, 2);
    const std::optional<int> day = Digits(text, 8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-') return std::nullopt;
    if (*year < 1970 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month)) return std::nullopt;
    int hour = 0, minute = 0, second = 0;
    std::size_t at = 10;
    if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) {
        const std::optional<int> h = Digits(text, at + 1, 2);
        const std::optional<int> m = Digits(text, at + 4, 2);
        if (!h || !m || text[at + 3] != ':' || *h > 23 || *m > 59) return std::nullopt;
        hour = *h;
        minute = *m;
        at += 6;
        if (at < text.size() && text[at] == ':') {
            const std::optional<int> s = Digits(text, at + 1, 2);
            if (!s || *s > 59) return std::nullopt;
            second = *s;
            at += 3;
        }
    }
    std::optional<int> offsetMinutes;
    if (at < text.size()) {
        if (text[at] == 'Z' && at + 1 == text.size()) {
            offsetMinutes = 0;
        } else if (text[at] == '+' || text[at] == '-') {
            const std::optional<int> oh = Digits(text, at + 1, 2);
            const std::size_t minuteAt = at + 3 < text.size() && text[at + 3] == ':' ? at + 4 : at + 3;
            const std::optional<int> om = Digits(text, minuteAt, 2);
            if (!oh || !om || minuteAt + 2 != text.size() || *oh > 23 || *om > 59) return std::nullopt;
            offsetMinutes = (text[at] == '-' ? -1 : 1) * (*oh * 60 + *om);
        } else {
            return std::nullopt;
        }
    }
    if (offsetMinutes) {
        const int64_t seconds = DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)) * 86400 +
                                hour * 3600 + minute * 60 + second - *offsetMinutes * 60;
        return seconds * 1000;
    }
    std::tm local{};
    local.tm_year = *year - 1900;
    local.tm_mon = *month - 1;
    local.tm_mday = *day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<int64_t>(seconds) * 1000;
}

std::string CTimeText::LocalIso(int64_t timeMs) {
    const std::time_t seconds = static_cast<std::time_t>(timeMs >= 0 ? timeMs / 1000 : (timeMs - 999) / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;
    char zone[40];
    std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', (offset < 0 ? -offset : offset) / 60,
                  (offset < 0 ? -offset : offset) % 60);
    return std::string(text) + zone;
}
