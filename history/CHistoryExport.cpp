#include "history/CHistoryExport.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "history/CTimeText.h"

namespace {

int DecimalsOf(CReadingSnapshot::Kind kind) {
    switch (kind) {
        case CReadingSnapshot::Kind::kVoltage: return 3;
        case CReadingSnapshot::Kind::kTemperature: return 1;
        case CReadingSnapshot::Kind::kFan: return 0;
    }
    return 2;
}

bool IsAggregate(const CHistoryStore::SSeries& series) {
    return series.resolution != CHistoryStore::Resolution::kRaw || series.bucketMs > 0;
}

// Column titles: the item's name and unit, its key added where two items
// share a name.
std::vector<std::string> Titles(const std::vector<CHistoryStore::SSeries>& series) {
    std::map<std::string, int> uses;
    for (const auto& s : series) ++uses[s.item.name];
    std::vector<std::string> titles;
    for (const auto& s : series) {
        std::string title = s.item.name.empty() ? s.item.item : s.item.name;
        if (uses[s.item.name] > 1 || s.item.name.empty()) title += " [" + s.item.chip + " " + s.item.item + "]";
        titles.push_back(title);
    }
    return titles;
}

}  // namespace

std::string CHistoryExport::UnitText(CReadingSnapshot::Kind kind, bool fahrenheit) {
    switch (kind) {
        case CReadingSnapshot::Kind::kVoltage: return "V";
        case CReadingSnapshot::Kind::kTemperature: return fahrenheit ? "\xC2\xB0" "F" : "\xC2\xB0" "C";
        case CReadingSnapshot::Kind::kFan: return "RPM";
    }
    return "";
}

double CHistoryExport::Shown(CReadingSnapshot::Kind kind, double value, bool fahrenheit) {
    return kind == CReadingSnapshot::Kind::kTemperature && fahrenheit ? value * 1.8 + 32.0 : value;
}

const char* CHistoryExport::ResolutionName(CHistoryStore::Resolution resolution) {
    switch (resolution) {
        case CHistoryStore::Resolution::kRaw: return "reading";
        case CHistoryStore::Resolution::kMinute: return "minute";
        case CHistoryStore::Resolution::kHour: return "hour";
    }
    return "";
}

std::string CHistoryExport::Number(double value, int decimals) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "";
    std::string text(buffer, end);
    if (text.starts_with("-") && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return text;
}

std::string CHistoryExport::CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CHistoryExport::JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string CHistoryExport::Csv(const std::vector<CHistoryStore::SSeries>& series, bool fahrenheit) {
    const std::vector<std::string> titles = Titles(series);
    std::string text = "time";
    for (std::size_t i = 0; i < series.size(); ++i) {
        const std::string unit = " (" + UnitText(series[i].item.kind, fahrenheit) + ")";
        if (IsAggregate(series[i])) {
            for (const char* part : {" min", " avg", " max"}) text += "," + CsvField(titles[i] + part + unit);
        } else {
            text += "," + CsvField(titles[i] + unit);
        }
    }
    text += "\n";

    std::map<int64_t, std::vector<const CHistoryStore::SPoint*>> rows;
    for (std::size_t i = 0; i < series.size(); ++i) {
        for (const CHistoryStore::SPoint& point : series[i].points) {
            auto& row = rows[point.timeMs];
            row.resize(series.size(), nullptr);
            row[i] = &point;
        }
    }
    for (const auto& [timeMs, row] : rows) {
        text += CTimeText::LocalIso(timeMs);
        for (std::size_t i = 0; i < series.size(); ++i) {
            const CHistoryStore::SPoint* point = row[i];
            const CReadingSnapshot::Kind kind = series[i].item.kind;
            const int decimals = DecimalsOf(kind);
            const auto cell = [&](double value, int extra) {
                return point ? Number(Shown(kind, value, fahrenheit), decimals + extra) : std::string();
            };
            if (IsAggregate(series[i])) {
                text += "," + cell(point ? point->min : 0, 0) + "," + cell(point ? point->avg : 0, 1) + "," +
                        cell(point ? point->max : 0, 0);
            } else {
                text += "," + cell(point ? point->avg : 0, 0);
            }
        }
        text += "\n";
    }
    return text;
}

std::string CHistoryExport::Json(const std::vector<CHistoryStore::SSeries>& series,
                                 const std::vector<CHistoryStore::SEvent>& events, int64_t fromMs, int64_t toMs,
                                 bool fahrenheit) {
    std::string text = "{\"from\":" + JsonString(CTimeText::LocalIso(fromMs)) +
                       ",\"to\":" + JsonString(CTimeText::LocalIso(toMs)) + ",\"items\":[";
    for (std::size_t i = 0; i < series.size(); ++i) {
        const CHistoryStore::SSeries& s = series[i];
        const int decimals = DecimalsOf(s.item.kind);
        const auto number = [&](double value, int extra) { return Number(Shown(s.item.kind, value, fahrenheit), decimals + extra); };
        if (i > 0) text += ",";
        text += "{\"chip\":" + JsonString(s.item.chip) + ",\"item\":" + JsonString(s.item.item) +
                ",\"name\":" + JsonString(s.item.name) + ",\"kind\":" + JsonString(CReadingSnapshot::KindName(s.item.kind)) +
                ",\"unit\":" + JsonString(UnitText(s.item.kind, fahrenheit)) +
                ",\"resolution\":" + JsonString(ResolutionName(s.resolution)) +
                ",\"bucket_seconds\":" + std::to_string(s.bucketMs / 1000) + ",\"points\":[";
        for (std::size_t k = 0; k < s.points.size(); ++k) {
            const CHistoryStore::SPoint& p = s.points[k];
            if (k > 0) text += ",";
            text += "{\"time\":" + JsonString(CTimeText::LocalIso(p.timeMs));
            if (IsAggregate(s)) {
                text += ",\"min\":" + number(p.min, 0) + ",\"avg\":" + number(p.avg, 1) + ",\"max\":" + number(p.max, 0) +
                        ",\"count\":" + std::to_string(p.count) + "}";
            } else {
                text += ",\"value\":" + number(p.avg, 0) + "}";
            }
        }
        text += "]}";
    }
    text += "],\"events\":[";
    // An event's value is in its item's unit, as the item's points are.
    std::map<std::string, CReadingSnapshot::Kind> kinds;
    for (const CHistoryStore::SSeries& s : series) kinds[s.item.chip + "/" + s.item.item] = s.item.kind;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const CHistoryStore::SEvent& e = events[i];
        const auto kind = kinds.find(e.chip + "/" + e.item);
        const std::optional<double> value =
            e.value && kind != kinds.end() ? std::optional<double>(Shown(kind->second, *e.value, fahrenheit)) : e.value;
        if (i > 0) text += ",";
        text += "{\"time\":" + JsonString(CTimeText::LocalIso(e.timeMs)) + ",\"chip\":" + JsonString(e.chip) +
                ",\"item\":" + JsonString(e.item) + ",\"name\":" + JsonString(e.name) + ",\"kind\":" + JsonString(e.kind) +
                ",\"value\":" + (value ? Number(*value, 3) : std::string("null")) + "}";
    }
    return text + "]}\n";
}
