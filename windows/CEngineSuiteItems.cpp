#include "windows/CEngineSuiteItems.h"

#include "engine/CHardwareMonitor.h"

bool CEngineSuiteItems::IsFanEnabled(int fan) const
{
    const auto* item = m_engine.Fan(fan);
    return item != nullptr && item->IsEnabled();
}

int CEngineSuiteItems::FanRpm(int fan) const
{
    const auto* item = m_engine.Fan(fan);
    return item != nullptr ? item->Rpm() : 0;
}

bool CEngineSuiteItems::IsFanInAlarm(int fan) const
{
    const auto* item = m_engine.Fan(fan);
    return item != nullptr && item->IsOutOfRange();
}

bool CEngineSuiteItems::IsTemperatureEnabled(int temperature) const
{
    const auto* item = m_engine.Temp(temperature);
    return item != nullptr && item->IsEnabled();
}

double CEngineSuiteItems::TemperatureValue(int temperature) const
{
    const auto* item = m_engine.Temp(temperature);
    return item != nullptr ? item->Value() : 0.0;
}

bool CEngineSuiteItems::IsTemperatureInAlarm(int temperature) const
{
    const auto* item = m_engine.Temp(temperature);
    return item != nullptr && item->IsOutOfRange();
}
