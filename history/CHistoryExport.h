// The history as text for other programs: CSV with one column per item (or
// min/avg/max columns per item for aggregates) and JSON with the events.
// Times are ISO 8601 in local time with their offset; numbers always use
// "." whatever the locale. Temperatures are in Celsius or, when asked, in
// Fahrenheit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/CHistoryStore.h"

class CHistoryExport {
public:
    // "V", "°C" or "°F", "RPM".
    static std::string UnitText(CReadingSnapshot::Kind kind, bool fahrenheit);
    // value in the shown unit.
    static double Shown(CReadingSnapshot::Kind kind, double value, bool fahrenheit);
    // Series of one read (one resolution); rows are the union of their
    // times, cells empty where an item has no reading.
    static std::string Csv(const std::vector<CHistoryStore::SSeries>& series, bool fahrenheit);
    static std::string Json(const std::vector<CHistoryStore::SSeries>& series,
                            const std::vector<CHistoryStore::SEvent>& events, int64_t fromMs, int64_t toMs,
                            bool fahrenheit);
    static const char* ResolutionName(CHistoryStore::Resolution resolution);

    static std::string Number(double value, int decimals);
    static std::string JsonString(const std::string& text);
    static std::string CsvField(const std::string& text);
};
