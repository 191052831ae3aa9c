#include "app/CSnapshotSuiteItems.h"

#include "engine/CHardwareMonitor.h"

const CSessionSnapshot::SItem* CSnapshotSuiteItems::Fan(int fan) const
{
    if (fan < 0 || fan >= CHardwareMonitor::kFanCount) return nullptr;
    return m_current().Item(CHardwareMonitor::kFirstFan + fan);
}

const CSessionSnapshot::SItem* CSnapshotSuiteItems::Temp(int temperature) const
{
    if (temperature < 0 || temperature >= CHardwareMonitor::kTempCount) return nullptr;
    return m_current().Item(CHardwareMonitor::kFirstTemp + temperature);
}

bool CSnapshotSuiteItems::IsFanEnabled(int fan) const
{
    const auto* item = Fan(fan);
    return item != nullptr && item->enabled;
}

int CSnapshotSuiteItems::FanRpm(int fan) const
{
    const auto* item = Fan(fan);
    return item != nullptr ? item->rpm : 0;
}

bool CSnapshotSuiteItems::IsFanInAlarm(int fan) const
{
    const auto* item = Fan(fan);
    return item != nullptr && item->outOfRange;
}

bool CSnapshotSuiteItems::IsTemperatureEnabled(int temperature) const
{
    const auto* item = Temp(temperature);
    return item != nullptr && item->enabled;
}

double CSnapshotSuiteItems::TemperatureValue(int temperature) const
{
    const auto* item = Temp(temperature);
    return item != nullptr ? item->value : 0.0;
}

bool CSnapshotSuiteItems::IsTemperatureInAlarm(int temperature) const
{
    const auto* item = Temp(temperature);
    return item != nullptr && item->outOfRange;
}
