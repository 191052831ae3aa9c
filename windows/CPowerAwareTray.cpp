#include "windows/CPowerAwareTray.h"

CPowerAwareTray::CPowerAwareTray(ITrayHost& host, QDBusConnection systemBus, AnimationSwitch animationsOn,
                                 QObject* parent)
    : CSystemTray(host, std::move(animationsOn), parent),
      m_powerEvents(std::move(systemBus), [this](int code) { emit PowerBroadcast(code); })
{
}
