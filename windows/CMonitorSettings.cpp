#include "windows/CMonitorSettings.h"

#include "engine/SensorConversion.h"

int32_t CMonitorSettings::SItem::CountToRpm(uint8_t count) const
{
    return SensorConversion::CountToRpm(count, divisor, halved);
}

CMonitorSettings CMonitorSettings::Take(const CHardwareMonitor& engine, const std::function<bool(int)>& cancelled)
{
    CMonitorSettings settings;
    // These parts count two pulses per turn (as CFanItem::CountToRpm).
    const bool halved = engine.ChipId() == 0x50 || engine.ChipId() == 0x51;
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
        const CSensorItem* item = engine.Item(i);
        if (item == nullptr) continue;
        SItem& out = settings.items[static_cast<std::size_t>(i)];
        out.exists = true;
        out.name = item->Name();
        out.present = item->IsPresent();
        out.enabled = item->IsEnabled();
        out.enabledByDefault = item->EnabledByDefault();
        out.beep = item->IsBeepEnabled();
        out.shutDown = item->IsShutDownEnabled();
        out.shutDownCancelled = cancelled && cancelled(i);
        out.shutDownTime = item->ShutDownTime();
        out.hiLimit = item->HiLimit();
        out.loLimit = item->LoLimit();
        out.hiBound = item->HiBound();
        out.loBound = item->LoBound();
        out.value = item->Value();
        if (const auto* fan = dynamic_cast<const CFanItem*>(item)) {
            out.rpm = fan->Rpm();
            out.divisor = fan->IsDivisorKnown() ? fan->Divisor() : 0;
            out.halved = halved;
        }
    }
    return settings;
}
