#include "metrics/CMetricsExposition.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>

namespace {

using Kind = CReadingSnapshot::Kind;
using Item = CReadingSnapshot::Item;

struct SFamily {
    const char* name;
    const char* help;
    // The item's sample, none when the item has none in this family.
    std::function<std::optional<double>(const Item&)> sample;
};

std::optional<double> OfKind(const Item& item, Kind kind, const std::optional<double>& value) {
    return item.kind == kind ? value : std::nullopt;
}

std::string Labels(const CReadingSnapshot& snapshot, const Item& item) {
    return "{chip=\"" + CMetricsExposition::LabelValue(snapshot.chip) + "\",item=\"" +
           CMetricsExposition::LabelValue(item.item) + "\",name=\"" + CMetricsExposition::LabelValue(item.name) + "\"}";
}

}  // namespace

std::string CMetricsExposition::LabelValue(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c == '"') {
            escaped += "\\\"";
        } else if (c == '\n') {
            escaped += "\\n";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string CMetricsExposition::SampleValue(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
    char buffer[64];
    // Six significant digits: finer than any chip reads, without the
    // binary fractions of the conversions.
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return ec == std::errc() ? std::string(buffer, end) : "NaN";
}

std::string CMetricsExposition::Text(const CReadingSnapshot& snapshot, const std::string& version) {
    const auto value = [](Kind kind) {
        return [kind](const Item& item) { return item.readOk ? OfKind(item, kind, item.value) : std::nullopt; };
    };
    const auto high = [](Kind kind) { return [kind](const Item& item) { return OfKind(item, kind, item.hi); }; };
    const auto low = [](Kind kind) { return [kind](const Item& item) { return OfKind(item, kind, item.lo); }; };
    const SFamily families[] = {
        {"kelvane_voltage_volts", "Voltage read from the monitor chip.", value(Kind::kVoltage)},
        {"kelvane_temperature_celsius", "Temperature read from the monitor chip.", value(Kind::kTemperature)},
        {"kelvane_fan_rpm", "Fan speed read from the monitor chip, in revolutions per minute.", value(Kind::kFan)},
        {"kelvane_limit_high_volts", "High limit of a voltage.", high(Kind::kVoltage)},
        {"kelvane_limit_low_volts", "Low limit of a voltage.", low(Kind::kVoltage)},
        {"kelvane_limit_high_celsius", "High limit of a temperature.", high(Kind::kTemperature)},
        {"kelvane_limit_low_celsius", "Low limit (hysteresis) of a temperature.", low(Kind::kTemperature)},
        {"kelvane_limit_low_rpm", "Low limit of a fan speed, in revolutions per minute.", low(Kind::kFan)},
        {"kelvane_alarm", "1 while the item is out of its limits, else 0.",
         [](const Item& item) { return item.readOk ? std::optional<double>(item.alarm ? 1 : 0) : std::nullopt; }},
        {"kelvane_reading_ok", "1 when the item's last reading succeeded, 0 when it failed.",
         [](const Item& item) { return std::optional<double>(item.readOk ? 1 : 0); }},
    };

    std::string text = "# HELP kelvane_info The Kelvane program and the chip it reads; always 1.\n"
                       "# TYPE kelvane_info gauge\n"
                       "kelvane_info{chip=\"" + LabelValue(snapshot.chip) + "\",access=\"" + LabelValue(snapshot.access) +
                       "\",version=\"" + LabelValue(version) + "\"} 1\n";
    for (const SFamily& family : families) {
        std::string samples;
        for (const Item& item : snapshot.items) {
            if (const std::optional<double> sample = family.sample(item))
                samples += std::string(family.name) + Labels(snapshot, item) + " " + SampleValue(*sample) + "\n";
        }
        if (samples.empty()) continue;
        text += std::string("# HELP ") + family.name + " " + family.help + "\n# TYPE " + family.name + " gauge\n" + samples;
    }
    return text;
}

bool CMetricsExposition::WriteTextfile(const std::string& directory, const std::string& text, std::string& error) {
    const std::string target = directory + "/" + kTextfileName;
    // The collector reads only names ending in ".prom": the partial file is never one.
    const std::string temporary = directory + "/." + kTextfileName + "." + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = "cannot write in " + directory + ": " + std::strerror(errno);
        return false;
    }
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const int savedErrno = errno;
    const bool complete = written == text.size();
    if (::close(fd) != 0 || !complete || ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "cannot write " + target + ": " + std::strerror(complete ? errno : savedErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
