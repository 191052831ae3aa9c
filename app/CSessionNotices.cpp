#include "app/CSessionNotices.h"

#include <QTimerEvent>

#include "app/CAlarmPresenter.h"
#include "platform/IClock.h"
#include "windows/CShutdownCountdown.h"
#include "windows/IDesktopNotifier.h"

CSessionNotices::CSessionNotices(const CAlarmPresenter& alarms, const IClock& clock, Translate tr)
    : m_alarms(alarms), m_clock(clock), m_tr(std::move(tr)), m_pCountdown(std::make_unique<CShutdownCountdown>())
{
}

CSessionNotices::~CSessionNotices() = default;

void CSessionNotices::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        UpdateCountdown();
    else
        QObject::timerEvent(event);
}

void CSessionNotices::UpdateCountdown(std::shared_ptr<const CSessionSnapshot> snapshot)
{
    m_snapshot = std::move(snapshot);
    UpdateCountdown();
}

void CSessionNotices::UpdateCountdown()
{
    if (!m_snapshot) return;
    int64_t least = 0;
    const int soonest = m_snapshot->SoonestShutdown(m_clock.Ticks(), &least);
    CShutdownCountdown& box = *m_pCountdown;
    if (soonest < 0) {
        if (box.Item() >= 0) box.Dismiss();
        m_timer.stop();
        return;
    }
    const CSessionSnapshot::SItem& item = *m_snapshot->Item(soonest);
    // A pending item's box shows the request or its refusal, set when the
    // engine asked.
    if (!item.shutdownPending || box.Item() < 0)
        box.ShowCountdown(soonest, least, QString::fromStdString(item.name), m_alarms.ValueWithUnit(item));
    if (!m_timer.isActive()) m_timer.start(kCountdownPeriodMs, this);
}

void CSessionNotices::ApplyEvents(const CSessionSnapshot& snapshot)
{
    using Kind = CSessionSnapshot::SEvent::Kind;
    IDesktopNotifier* notifier = m_alarms.Notifier();
    for (const CSessionSnapshot::SEvent& event : snapshot.events) {
        const CSessionSnapshot::SItem* item = snapshot.Item(event.item);
        switch (event.kind) {
            case Kind::kPowerOffRequested:
                if (item)
                    m_pCountdown->ShowPoweringOff(event.item, QString::fromStdString(item->name),
                                                  m_alarms.ValueWithUnit(*item));
                break;
            case Kind::kPowerOffRefused: {
                if (!item) break;
                const QString name = QString::fromStdString(item->name);
                const QString value = m_alarms.ValueWithUnit(*item);
                m_pCountdown->ShowRefused(event.item, name, value, QString::fromStdString(event.text));
                if (notifier != nullptr)
                    notifier->Notify(m_tr("Kelvane could not power off this computer"),
                                     name + QLatin1Char(' ') + value + QStringLiteral(": ") +
                                         QString::fromStdString(event.text),
                                     true);
                break;
            }
            case Kind::kFanNotConnected:
                if (notifier != nullptr)
                    notifier->Notify(QStringLiteral("Kelvane: fan not monitored"), QString::fromStdString(event.text),
                                     false);
                break;
            case Kind::kMailFailed:
                if (notifier != nullptr)
                    notifier->Notify(m_tr("Kelvane: alert mail not sent"), QString::fromStdString(event.text), false);
                break;
            case Kind::kHistoryMessage:
                if (notifier != nullptr)
                    notifier->Notify(QStringLiteral("Kelvane history"), QString::fromStdString(event.text), false);
                break;
        }
    }
}
