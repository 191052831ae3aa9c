#include "app/CPowerEvents.h"

CPowerEvents::CPowerEvents(QDBusConnection bus, Relay relay, QObject* parent)
    : QObject(parent), m_relay(std::move(relay))
{
    if (!bus.isConnected()) return;
    m_listening = bus.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                              "PrepareForSleep", this, SLOT(OnPrepareForSleep(bool)));
}

void CPowerEvents::OnPrepareForSleep(bool sleeping)
{
    if (m_relay) m_relay(sleeping ? kSuspend : kResume);
}
