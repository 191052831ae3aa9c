#include "accesslib/CSimConfig.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "accesslib/ChipModel.h"

namespace {

// The reference board's inputs: pin voltages that read as its nominal rails,
// temperatures, and fan speeds at full duty.
constexpr double kDefaultInputs[kSimInputCount] = {
    1.50, 1.20, 3.30, 2.976, 3.158, 0.567, 0.8635, 3.30, 3.00, 0.0,  // IN0..IN9
    38.0, 45.5, 35.0,                                                 // TEMP1..TEMP3
    4500, 3000, 2700, 0, 0,                                           // FAN1..FAN5
};

// The -12 V and -5 V rails of a W83781D board: its reference wiring passes
// them through an inverting stage of x-3.477 and x-1.505 (the dividers of
// the W83781D's board defaults, W83781Ddef.ini), so the pins read
// 12 / 3.477 and 5 / 1.505 volts.
constexpr int kNegativeInputs[2] = {5, 6};
constexpr double kInvertedNegativePins[2] = {12.0 / 3.477, 5.0 / 1.505};

struct InputRange {
  double min, max;
};
constexpr InputRange kVoltageRange{0.0, 4.08};
constexpr InputRange kTemperatureRange{-55.0, 125.0};
constexpr InputRange kFanRange{0.0, 100000.0};

InputRange RangeOf(int index) {
  if (index < kSimFirstTemperatureInput) return kVoltageRange;
  if (index < kSimFirstFanInput) return kTemperatureRange;
  return kFanRange;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::optional<double> ParseReal(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 64) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(copy.c_str(), &end);
  if (errno != 0 || end != copy.c_str() + copy.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 32) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(copy.c_str(), &end, 10);
  if (errno != 0 || end != copy.c_str() + copy.size()) return std::nullopt;
  return value;
}

std::optional<int> InputIndex(std::string_view name) {
  for (int i = 0; i < kSimInputCount; ++i) {
    if (SameText(name, CSimConfig::InputName(i))) return i;
  }
  return std::nullopt;
}

bool Fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

// "0" (none) or a comma-separated list of fan numbers 1..5.
std::optional<uint8_t> ParseFanList(std::string_view text) {
  uint8_t mask = 0;
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  while (true) {
    const size_t comma = text.find(',');
    const auto fan = ParseInteger(text.substr(0, comma));
    if (!fan || *fan < 0 || *fan > kSimFanInputs) return std::nullopt;
    if (*fan > 0) mask = static_cast<uint8_t>(mask | (1u << (*fan - 1)));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return mask;
}

std::optional<bool> ParseSwitch(std::string_view text) {
  const auto value = ParseInteger(text);
  if (!value || (*value != 0 && *value != 1)) return std::nullopt;
  return *value == 1;
}

// A value ends at a comment that follows blank space ("1.50   ; VCore").
std::string_view StripComment(std::string_view value) {
  for (size_t i = 1; i < value.size(); ++i) {
    if ((value[i] == ';' || value[i] == '#') && std::isspace(static_cast<unsigned char>(value[i - 1]))) {
      return Trim(value.substr(0, i));
    }
  }
  return Trim(value);
}

}  // namespace

std::string CSimConfig::InputName(int index) {
  if (index < 0 || index >= kSimInputCount) return {};
  if (index < kSimFirstTemperatureInput) return "IN" + std::to_string(index);
  if (index < kSimFirstFanInput) return "TEMP" + std::to_string(index - kSimFirstTemperatureInput + 1);
  return "FAN" + std::to_string(index - kSimFirstFanInput + 1);
}

const char* CSimConfig::InputUnit(int index) {
  if (index < kSimFirstTemperatureInput) return "V";
  if (index < kSimFirstFanInput) return "C";
  return "rpm";
}

SimSettings CSimConfig::Defaults() {
  SimSettings settings{};
  settings.model = DefaultChipModel();
  for (int i = 0; i < kSimInputCount; ++i) settings.inputs[i] = kDefaultInputs[i];
  settings.faults.busErrorCode = 0;
  return settings;
}

bool CSimConfig::Assign(SimSettings& settings, std::string_view name, std::string_view value, std::string& error) {
  name = Trim(name);
  if (const auto index = InputIndex(name)) {
    const InputRange range = RangeOf(*index);
    const auto number = ParseReal(value);
    if (!number) return Fail(error, "not a number for " + std::string(name) + ": " + std::string(value));
    if (*number < range.min || *number > range.max) {
      char limits[64];
      std::snprintf(limits, sizeof(limits), " out of range (%g to %g): ", range.min, range.max);
      return Fail(error, std::string(name) + limits + std::string(value));
    }
    settings.inputs[*index] = *number;
    return true;
  }
  SimFaults& faults = settings.faults;
  if (SameText(name, "BusErrors")) {
    const auto n = ParseInteger(value);
    if (!n || *n < 0 || *n > 65535) return Fail(error, "BusErrors must be 0 to 65535: " + std::string(value));
    faults.busErrors = static_cast<uint16_t>(*n);
    return true;
  }
  if (SameText(name, "BusErrorCode")) {
    const auto n = ParseInteger(value);
    if (!n || *n == 0 || *n < -32768 || *n > 32767) {
      return Fail(error, "BusErrorCode must be a non-zero 16-bit number: " + std::string(value));
    }
    faults.busErrorCode = static_cast<int16_t>(*n);
    return true;
  }
  if (SameText(name, "StoppedFan")) {
    const auto mask = ParseFanList(value);
    if (!mask) return Fail(error, "StoppedFan must be 0 or fan numbers 1 to 5: " + std::string(value));
    faults.stoppedFans = *mask;
    return true;
  }
  if (SameText(name, "NoChip") || SameText(name, "DriverLoadFails")) {
    const auto on = ParseSwitch(value);
    if (!on) return Fail(error, std::string(name) + " must be 0 or 1: " + std::string(value));
    (SameText(name, "NoChip") ? faults.noChip : faults.driverLoadFails) = *on ? 1 : 0;
    return true;
  }
  return Fail(error, "unknown input or fault: " + std::string(name));
}

SimSettings CSimConfig::Parse(std::string_view text) {
  SimSettings settings = Defaults();
  std::string section;
  std::string ignored;
  bool negativeGiven[2] = {false, false};
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      section = close == std::string_view::npos ? std::string() : std::string(Trim(line.substr(1, close - 1)));
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = StripComment(line.substr(equals + 1));
    if (SameText(section, "Chip")) {
      if (SameText(key, "Model")) {
        if (const auto model = FindChipModel(value)) settings.model = *model;
      } else if (SameText(key, "VCoreOffset")) {
        if (const auto on = ParseSwitch(value)) settings.vcoreOffset = *on ? 1 : 0;
      }
    } else if (SameText(section, "Inputs")) {
      const auto index = InputIndex(key);
      if (index && Assign(settings, key, value, ignored)) {
        for (int k = 0; k < 2; ++k) negativeGiven[k] = negativeGiven[k] || *index == kNegativeInputs[k];
      }
    } else if (SameText(section, "Faults")) {
      if (!InputIndex(key)) Assign(settings, key, value, ignored);
    }
  }
  if (ChipModelAt(settings.model).invertingNegativeInputs) {
    for (int k = 0; k < 2; ++k) {
      if (!negativeGiven[k]) settings.inputs[kNegativeInputs[k]] = kInvertedNegativePins[k];
    }
  }
  return settings;
}

SimSettings CSimConfig::Load(const std::string& path) {
  // O_NONBLOCK: a FIFO in the file's place must not wait for a writer; only
  // a regular file is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Defaults();
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Defaults();
  }
  std::vector<char> buffer(kMaxFileSize);
  size_t filled = 0;
  while (filled < buffer.size()) {
    const ssize_t n = ::read(fd, buffer.data() + filled, buffer.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    filled += static_cast<size_t>(n);
  }
  ::close(fd);
  return Parse(std::string_view(buffer.data(), filled));
}
