#include "windows/CPowerEvents.h"

#include <QDBusMessage>
#include <QDBusReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

CPowerEvents::CPowerEvents(QDBusConnection bus, Relay relay, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_relay(std::move(relay))
{
    if (!m_bus.isConnected()) return;
    m_listening = m_bus.connect(kService, kPath, kInterface, QStringLiteral("PrepareForSleep"), this,
                                SLOT(OnPrepareForSleep(bool)));
    if (m_listening) TakeSleepDelay();
}

void CPowerEvents::TakeSleepDelay()
{
    if (m_sleepDelay.isValid()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Kelvane")
         << QStringLiteral("Keep the monitor chip's settings over the sleep") << QStringLiteral("delay");
    // Without a lock (no login manager, or it refuses) the notices still come,
    // only without the wait.
    const QDBusReply<QDBusUnixFileDescriptor> reply = m_bus.call(call, QDBus::Block, 2000);
    if (reply.isValid()) m_sleepDelay = reply.value();
}

void CPowerEvents::OnPrepareForSleep(bool sleeping)
{
    if (m_relay) m_relay(sleeping ? kSuspend : kResume);
    if (sleeping)
        m_sleepDelay = QDBusUnixFileDescriptor();  // closes our copy: the suspend may go on
    else
        TakeSleepDelay();
}
