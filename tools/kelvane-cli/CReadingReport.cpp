#include "tools/kelvane-cli/CReadingReport.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/CSessionSnapshot.h"
#include "engine/CFanItem.h"
#include "engine/CHardwareMonitor.h"

namespace {

const char* KindName(CItemReading::Kind kind) {
    switch (kind) {
        case CItemReading::Kind::kVoltage: return "voltage";
        case CItemReading::Kind::kTemperature: return "temperature";
        case CItemReading::Kind::kFan: return "fan";
    }
    return "";
}

std::optional<double> Finite(double value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// The speed a fan's low limit stands for. A limit below fan value 1 is the
// stopped fan's count, which never raises an alarm: no limit at all.
std::optional<double> LowLimitRpm(const CFanItem& fan, double limit) {
    if (!(limit >= 1.0)) return std::nullopt;
    return fan.CountToRpm(static_cast<uint8_t>(std::min(limit, 255.0)));
}

// Length of a UTF-8 sequence starting with lead, 0 when lead cannot start
// one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none
// (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t ValidSequence(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const int length = SequenceLength(lead);
    if (length == 0 || i + length > text.size()) return 0;
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    }
    if (length >= 3) {
        const unsigned char second = byte(i + 1);
        if (lead == 0xE0 && second < 0xA0) return 0;
        if (lead == 0xED && second > 0x9F) return 0;
        if (lead == 0xF0 && second < 0x90) return 0;
        if (lead == 0xF4 && second > 0x8F) return 0;
    }
    return static_cast<std::size_t>(length);
}

// What a terminal shows of a name: control characters (which could move the
// cursor or change colours) become "?".
std::string PrintableText(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return shown;
}

// Columns taken by UTF-8 text: one per code point.
std::size_t DisplayWidth(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Units padded to one width keep the numbers of a column aligned, and a
// word in place of a number ends where the numbers end.
constexpr std::size_t kUnitWidth = 3;

std::string InNumberColumn(const std::string& word) { return word + std::string(1 + kUnitWidth, ' '); }

// The unit as a person reads it: degrees with their sign.
std::string ShownUnit(const std::string& unit) { return unit == "C" || unit == "F" ? "\u00B0" + unit : unit; }

std::string WithUnit(const std::optional<double>& number, const CItemReading& reading) {
    if (!number) return InNumberColumn("-");
    std::string unit = ShownUnit(reading.unit);
    unit += std::string(kUnitWidth - std::min(kUnitWidth, DisplayWidth(unit)), ' ');
    return CReadingReport::FixedText(*number, reading.decimals) + " " + unit;
}

std::string JsonNumber(const std::optional<double>& number, int decimals) {
    return number ? CReadingReport::FixedText(*number, decimals) : "null";
}

}  // namespace

std::vector<CItemReading> CReadingReport::Collect(const CSessionSnapshot& snapshot, const CHardwareMonitor& engine,
                                                  bool all, bool fahrenheit) {
    std::vector<CItemReading> readings;
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
        const CSessionSnapshot::SItem& item = *snapshot.Item(i);
        if (!item.enabled && !all && !item.notConnected) continue;
        // An input the chip does not have is no reading, not even a disabled one.
        if (!item.present) continue;

        CItemReading reading;
        reading.section = engine.Item(i)->SectionName();
        reading.name = item.name;
        reading.enabled = item.enabled;
        reading.notConnected = item.notConnected;
        reading.failed = item.enabled && item.readFailed;
        const bool read = item.hasReading;
        if (i < CHardwareMonitor::kFirstTemp) {
            reading.kind = CItemReading::Kind::kVoltage;
            reading.unit = "V";
            reading.decimals = 2;
            if (read) reading.value = Finite(item.value);
            reading.hi = Finite(item.hiLimit);
            reading.lo = Finite(item.loLimit);
        } else if (i < CHardwareMonitor::kFirstFan) {
            // Temperatures are held in Celsius and only shown in Fahrenheit.
            const auto shown = [fahrenheit](double celsius) { return fahrenheit ? Fahrenheit(celsius) : celsius; };
            reading.kind = CItemReading::Kind::kTemperature;
            reading.unit = fahrenheit ? "F" : "C";
            reading.decimals = 1;
            if (read) reading.value = Finite(shown(item.value));
            reading.hi = Finite(shown(item.hiLimit));
            reading.lo = Finite(shown(item.loLimit));
            reading.loIsHysteresis = true;
        } else {
            reading.kind = CItemReading::Kind::kFan;
            reading.unit = "RPM";
            reading.decimals = 0;
            if (read) {
                reading.value = item.rpm;
                reading.fanValue = static_cast<int>(std::clamp(item.value, 0.0, 255.0));
            }
            if (const auto* fan = dynamic_cast<const CFanItem*>(engine.Item(i))) reading.lo = LowLimitRpm(*fan, item.loLimit);
        }
        reading.alarm = item.InAlarm();
        readings.push_back(std::move(reading));
    }
    return readings;
}

std::string CReadingReport::Table(const std::vector<CItemReading>& readings) {
    using Row = std::array<std::string, 6>;
    std::vector<Row> rows{
        {"ITEM", "NAME", InNumberColumn("VALUE"), InNumberColumn("HIGH"), InNumberColumn("LOW/HYST"), "STATE"}};
    for (const CItemReading& reading : readings) {
        const char* state = StateText(reading);
        std::string value = InNumberColumn("OFF");
        if (reading.notConnected) value = InNumberColumn("-");
        else if (reading.enabled) value = WithUnit(reading.value, reading);
        rows.push_back({PrintableText(reading.section), PrintableText(reading.name), value,
                        WithUnit(reading.hi, reading), WithUnit(reading.lo, reading), state});
    }

    std::array<std::size_t, 6> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    // Text columns flush left, number columns flush right.
    constexpr std::array<bool, 6> kRight{false, false, true, true, true, false};
    std::string text;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string padding(widths[c] - DisplayWidth(row[c]), ' ');
            if (c > 0) line += "  ";
            line += kRight[c] ? padding + row[c] : row[c] + padding;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\n";
    }
    return text;
}

std::string CReadingReport::Json(const std::vector<CItemReading>& readings, std::string_view access) {
    std::string text = "[";
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const CItemReading& r = readings[i];
        if (i > 0) text += ",";
        text += "{\"section\":" + JsonString(r.section);
        text += ",\"name\":" + JsonString(r.name);
        text += ",\"kind\":" + JsonString(KindName(r.kind));
        text += std::string(",\"enabled\":") + (r.enabled ? "true" : "false");
        text += ",\"value\":" + JsonNumber(r.value, r.decimals);
        text += ",\"unit\":" + JsonString(r.unit);
        if (r.kind == CItemReading::Kind::kFan) {
            text += ",\"rpm\":" + JsonNumber(r.value, 0);
            text += ",\"fan_value\":" + (r.fanValue ? std::to_string(*r.fanValue) : std::string("null"));
        }
        text += ",\"hi\":" + JsonNumber(r.hi, r.decimals);
        text += ",\"lo\":" + JsonNumber(r.lo, r.decimals);
        if (r.loIsHysteresis) text += ",\"hyst\":" + JsonNumber(r.lo, r.decimals);
        text += std::string(",\"alarm\":") + (r.alarm ? "true" : "false");
        text += ",\"state\":" + JsonString(StateText(r));
        if (r.failed) text += ",\"error\":\"read failed\"";
        if (!access.empty()) text += ",\"access\":" + JsonString(access);
        text += "}";
    }
    return text + "]\n";
}

std::string CReadingReport::TimeStamp(const std::tm& time) {
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &time);
    return text;
}

const char* CReadingReport::StateText(const CItemReading& reading) {
    if (reading.notConnected) return "no fan";
    if (!reading.enabled) return "off";
    if (reading.failed) return "FAILED";
    return reading.alarm ? "ALARM" : "ok";
}

std::string CReadingReport::FixedText(double value, int decimals) {
    // Room for the largest double written out in full.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    if (text.starts_with("-") && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return text;
}

std::string CReadingReport::JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else if (c < 0x80) {
            quoted += static_cast<char>(c);
        } else if (const std::size_t length = ValidSequence(text, i); length > 0) {
            quoted.append(text.substr(i, length));
            i += length;
            continue;
        } else {
            quoted += "\\ufffd";
        }
        ++i;
    }
    return quoted + "\"";
}
