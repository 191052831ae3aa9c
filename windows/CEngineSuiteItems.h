// The suite link's view of the engine's items. An item is in alarm when its
// Status field reads non-zero from the chip; a missing item reads as
// disabled.
#pragma once

#include "windows/ISuiteItemView.h"

class CHardwareMonitor;

class CEngineSuiteItems : public ISuiteItemView {
public:
    // The engine must outlive the view.
    explicit CEngineSuiteItems(CHardwareMonitor& engine) : m_engine(engine) {}

    bool IsFanEnabled(int fan) const override;
    int FanRpm(int fan) const override;
    bool IsFanInAlarm(int fan) const override;
    bool IsTemperatureEnabled(int temperature) const override;
    double TemperatureValue(int temperature) const override;
    bool IsTemperatureInAlarm(int temperature) const override;

private:
    CHardwareMonitor& m_engine;
};
