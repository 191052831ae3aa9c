#include "windows/ISubScreenHost.h"

#include "engine/CFanItem.h"
#include "engine/CHardwareMonitor.h"

bool ISubScreenHost::ReadItem(int index, SItem& out)
{
    const CSensorItem* item = Engine().Item(index);
    if (item == nullptr) return false;
    out.name = item->Name();
    out.present = item->IsPresent();
    out.enabled = item->IsEnabled();
    out.enabledByDefault = item->EnabledByDefault();
    out.readFailed = item->IsReadFailed();
    out.outOfRange = item->IsOutOfRange();
    out.value = item->Value();
    out.hiBound = item->HiBound();
    const auto* fan = dynamic_cast<const CFanItem*>(item);
    out.notConnected = fan != nullptr && fan->IsNotConnected();
    out.rpm = fan != nullptr ? fan->Rpm() : 0;
    return true;
}
