// The suite link's view of the items: the snapshot the window shows now, so
// that a reading for the suite never waits for the engine or the chip. An
// item is in alarm as the last tick's status pass found it; an item the
// engine lacks reads as disabled.
#pragma once

#include <functional>

#include "app/CSessionSnapshot.h"
#include "windows/ISuiteItemView.h"

class CSnapshotSuiteItems : public ISuiteItemView {
public:
    using Current = std::function<const CSessionSnapshot&()>;

    explicit CSnapshotSuiteItems(Current current) : m_current(std::move(current)) {}

    bool IsFanEnabled(int fan) const override;
    int FanRpm(int fan) const override;
    bool IsFanInAlarm(int fan) const override;
    bool IsTemperatureEnabled(int temperature) const override;
    double TemperatureValue(int temperature) const override;
    bool IsTemperatureInAlarm(int temperature) const override;

private:
    const CSessionSnapshot::SItem* Fan(int fan) const;
    const CSessionSnapshot::SItem* Temp(int temperature) const;

    Current m_current;
};
