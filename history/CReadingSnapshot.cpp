#include "history/CReadingSnapshot.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "engine/CHardwareMonitor.h"

namespace {

std::optional<double> Finite(double value) { return std::isfinite(value) ? std::optional<double>(value) : std::nullopt; }

}  // namespace

std::string CReadingSnapshot::ChipName(const CHardwareMonitor& engine) {
    const char* file = CMonitorChip::DescriptorFileForChipId(engine.ChipId());
    const std::string stem = file ? std::filesystem::path(file).stem().string() : std::string();
    return stem.empty() ? "unknown" : stem;
}

CReadingSnapshot CReadingSnapshot::Take(CHardwareMonitor& engine, int64_t timeMs, std::string access) {
    CReadingSnapshot snapshot;
    snapshot.timeMs = timeMs;
    snapshot.chip = ChipName(engine);
    snapshot.access = std::move(access);
    snapshot.powerOffRequested = engine.IsPowerOffRequested();
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
        const CSensorItem& sensor = *engine.Item(i);
        if (!sensor.IsEnabled() || !sensor.IsPresent()) continue;
        Item item;
        item.item = sensor.SectionName();
        item.name = sensor.Name();
        if (i < CHardwareMonitor::kFirstTemp) {
            item.kind = Kind::kVoltage;
        } else if (i < CHardwareMonitor::kFirstFan) {
            item.kind = Kind::kTemperature;
        } else {
            item.kind = Kind::kFan;
        }
        if (item.kind == Kind::kFan) {
            const CSmartFanItem& fan = *engine.Fan(i - CHardwareMonitor::kFirstFan);
            item.readOk = fan.IsValueSet() && fan.IsRpmSet();
            if (item.readOk) item.value = fan.Rpm();
            // A low limit below fan value 1 is the stopped fan's count: no limit.
            if (fan.LoLimit() >= 1.0) item.lo = fan.CountToRpm(static_cast<uint8_t>(std::min(fan.LoLimit(), 255.0)));
        } else {
            item.value = sensor.IsValueSet() ? Finite(sensor.Value()) : std::nullopt;
            item.readOk = item.value.has_value();
            item.hi = Finite(sensor.HiLimit());
            item.lo = Finite(sensor.LoLimit());
        }
        // A transfer that failed this tick leaves the item's last value in
        // place: it is a failed reading, never that value again.
        if (sensor.IsReadFailed()) item.readOk = false;
        if (!item.readOk) item.value.reset();
        item.alarm = item.readOk && sensor.IsOutOfRange();
        snapshot.items.push_back(std::move(item));
    }
    return snapshot;
}

std::string CReadingSnapshot::AccessLabel(const std::string& access) {
    return access.starts_with("chip service") ? "service" : "library";
}

const char* CReadingSnapshot::UnitOf(Kind kind) {
    switch (kind) {
        case Kind::kVoltage: return "V";
        case Kind::kTemperature: return "C";
        case Kind::kFan: return "RPM";
    }
    return "";
}

const char* CReadingSnapshot::KindName(Kind kind) {
    switch (kind) {
        case Kind::kVoltage: return "voltage";
        case Kind::kTemperature: return "temperature";
        case Kind::kFan: return "fan";
    }
    return "";
}

std::optional<CReadingSnapshot::Kind> CReadingSnapshot::KindFromName(const std::string& name) {
    for (Kind kind : {Kind::kVoltage, Kind::kTemperature, Kind::kFan}) {
        if (name == KindName(kind)) return kind;
    }
    return std::nullopt;
}
