#include "app/CAlarmPresenter.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>

#include "app/CFaceWells.h"
#include "platform/IClock.h"
#include "windows/CAlarmStrip.h"
#include "windows/CPowerAwareTray.h"
#include "windows/CUserPreferences.h"
#include "windows/IDesktopNotifier.h"

CAlarmPresenter::CAlarmPresenter(CAlarmStrip& strip, CPowerAwareTray& tray, const CUserPreferences& prefs,
                                 const IClock& clock, Translate tr, std::unique_ptr<IDesktopNotifier> ownNotifier)
    : m_strip(strip),
      m_tray(tray),
      m_prefs(prefs),
      m_clock(clock),
      m_tr(std::move(tr)),
      m_pOwnNotifier(std::move(ownNotifier)),
      m_pNotifier(m_pOwnNotifier.get())
{
}

CAlarmPresenter::~CAlarmPresenter() = default;

void CAlarmPresenter::SetTrayIcons(QIcon normal, QIcon alarm)
{
    m_trayIcon = std::move(normal);
    m_trayAlarmIcon = std::move(alarm);
}

void CAlarmPresenter::SetNotifier(IDesktopNotifier* notifier)
{
    m_pNotifier = notifier != nullptr ? notifier : m_pOwnNotifier.get();
}

std::string CAlarmPresenter::AlarmTooltip(const std::vector<std::string>& entries, const std::string& title)
{
    if (entries.empty()) return CSystemTray::kTooltip;
    std::string tooltip = title + ": ";
    for (std::size_t i = 0; i < entries.size(); ++i) tooltip += (i ? ", " : "") + entries[i];
    return tooltip;
}

std::string CAlarmPresenter::NormalTooltip(const std::vector<std::string>& entries)
{
    std::string tooltip = CSystemTray::kTooltip;
    for (std::size_t i = 0; i < entries.size(); ++i) tooltip += (i ? ", " : ": ") + entries[i];
    return tooltip;
}

QString CAlarmPresenter::ValueWithUnit(const CSessionSnapshot::SItem& item) const
{
    char text[64];
    if (item.kind == CSessionSnapshot::Kind::kFan) {
        std::snprintf(text, sizeof text, "%d RPM", static_cast<int>(item.rpm));
        return QString::fromLatin1(text);
    }
    if (item.kind == CSessionSnapshot::Kind::kTemp) {
        const bool centigrade = m_prefs.m_bCentigrade;
        return CFaceWells::FormatReal(centigrade ? item.value : item.value * 1.8 + 32) +
               (centigrade ? QStringLiteral(" \u00B0C") : QStringLiteral(" \u00B0F"));
    }
    return CFaceWells::FormatVolts(item.value) + QStringLiteral(" V");
}

QString CAlarmPresenter::Entry(const CSessionSnapshot::SItem& item) const
{
    return QString::fromStdString(item.name) + QLatin1Char(' ') + ValueWithUnit(item);
}

void CAlarmPresenter::Show(const CSessionSnapshot& snapshot, const std::array<int, 3>& wellItems)
{
    QStringList entries;
    std::vector<std::string> tooltipEntries;
    for (const int i : snapshot.alarmItems) {
        const CSessionSnapshot::SItem* item = snapshot.Item(i);
        if (item == nullptr) continue;
        entries << Entry(*item);
        tooltipEntries.push_back(entries.back().toStdString());
    }
    m_strip.SetEntries(entries);
    if (entries.isEmpty()) {
        // The wells' current readings, as the face shows them.
        tooltipEntries.clear();
        for (const int index : wellItems) {
            const CSessionSnapshot::SItem* item = snapshot.Item(index);
            if (item == nullptr || !item->present) continue;
            tooltipEntries.push_back(item->enabled ? Entry(*item).toStdString() : item->name + " OFF");
        }
    }
    const std::string tooltip = entries.isEmpty()
                                    ? NormalTooltip(tooltipEntries)
                                    : AlarmTooltip(tooltipEntries, m_tr("Kelvane - alarm").toStdString());
    const bool alarm = !entries.isEmpty();
    if (alarm != m_bTrayShowsAlarm || tooltip != m_strTrayTooltip) {
        m_bTrayShowsAlarm = alarm;
        m_strTrayTooltip = tooltip;
        m_tray.SetIcon(alarm ? m_trayAlarmIcon : m_trayIcon, tooltip);
    }
    UpdateNotifications(snapshot);
}

QString CAlarmPresenter::NotificationKey(int item) { return QStringLiteral("alarm-%1").arg(item); }

void CAlarmPresenter::UpdateNotifications(const CSessionSnapshot& snapshot)
{
    ++m_nAlarmTicks;
    if (m_pNotifier == nullptr) return;
    // Episodes that ended: the red bubble becomes a short-lived note that
    // the value is back.
    const std::vector<int>& alarms = snapshot.alarmItems;
    for (auto it = m_episodes.begin(); it != m_episodes.end();) {
        if (std::find(alarms.begin(), alarms.end(), it->first) != alarms.end()) {
            ++it;
            continue;
        }
        if (const CSessionSnapshot::SItem* item = snapshot.Item(it->first))
            m_pNotifier->Show(NotificationKey(it->first),
                              m_tr("Kelvane: %1 back to normal").arg(QString::fromStdString(item->name)),
                              Entry(*item), false, kBackToNormalExpireMs);
        it = m_episodes.erase(it);
    }
    const int64_t now = m_clock.Ticks();
    for (const int i : alarms) {
        const CSessionSnapshot::SItem* item = snapshot.Item(i);
        if (item == nullptr) continue;
        // Critical only while the item's shut-down timer runs: that alarm
        // ends with the machine off unless someone acts.
        const int64_t left = item->SecondsLeftAt(now);
        const bool critical = left >= 0 || item->shutdownPending;
        QString body = Entry(*item);
        if (critical) body += QLatin1Char('\n') + m_tr("Power-off in %1 s").arg(left < 0 ? 0 : left);
        const auto found = m_episodes.find(i);
        const bool isNew = found == m_episodes.end();
        if (!isNew) {
            const SEpisode& episode = found->second;
            if (episode.critical == critical && episode.body == body) continue;
            // A changing value re-shows the bubble: a normal one at most once
            // a minute, a critical one (its countdown) on every tick.
            if (episode.critical == critical && !critical &&
                m_nAlarmTicks - episode.shownAtTick < kNormalNotificationTicks)
                continue;
        }
        m_pNotifier->Show(NotificationKey(i), m_tr("Kelvane alarm: %1").arg(QString::fromStdString(item->name)),
                          body, critical, critical ? 0 : kAlarmExpireMs);
        m_episodes[i] = SEpisode{body, critical, m_nAlarmTicks};
    }
}
