// How the items in alarm are shown beside the wells: the strip over the
// face's captions, the tray icon and its tooltip, and a desktop notification
// per item and episode.
#pragma once

#include <QIcon>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/CSessionSnapshot.h"
#include "windows/CFaceControls.h"

class CAlarmStrip;
class CPowerAwareTray;
class CUserPreferences;
class IClock;
class IDesktopNotifier;

class CAlarmPresenter {
public:
    // A caption of the window's section in the user's language.
    using Translate = std::function<QString(const char*)>;

    // prefs: the temperature unit. clock: the engine's, which the shut-down
    // timers count on. ownNotifier: the default notifier (the session bus's).
    CAlarmPresenter(CAlarmStrip& strip, CPowerAwareTray& tray, const CUserPreferences& prefs, const IClock& clock,
                    Translate tr, std::unique_ptr<IDesktopNotifier> ownNotifier);
    ~CAlarmPresenter();

    // The tray icon without and with an alarm.
    void SetTrayIcons(QIcon normal, QIcon alarm);
    // Null restores the default. Must outlive the presenter.
    void SetNotifier(IDesktopNotifier* notifier);
    IDesktopNotifier* Notifier() const { return m_pNotifier; }

    // One tick: the strip, the tooltip and the notifications of snapshot's
    // alarms; without any, the tooltip names the wells' items (engine
    // indices, -1 for none).
    void Show(const CSessionSnapshot& snapshot, const std::array<int, 3>& wellItems);

    // The tray icon's tooltip while items are in alarm ("Kelvane - alarm:
    // VCore 1.62 V, CPU FAN 0 RPM"), and otherwise the wells' readings
    // ("Kelvane: VCore 1.46 V, SYSTEM FAN 2986 RPM, CPU 45.0 °C"); each entry
    // "NAME VALUE UNIT".
    static std::string AlarmTooltip(const std::vector<std::string>& entries,
                                    const std::string& title = "Kelvane - alarm");
    static std::string NormalTooltip(const std::vector<std::string>& entries);
    // Desktop notifications of alarms: one per item and episode (key
    // NotificationKey(item)), replaced while it lasts and turned into a
    // "back to normal" note when it ends. Critical (kept until dismissed)
    // only while the item's shut-down timer runs; a normal one expires.
    static constexpr int kAlarmExpireMs = 10000;
    static constexpr int kBackToNormalExpireMs = 5000;
    // A normal alarm's changing value is shown anew at most this often.
    static constexpr int kNormalNotificationTicks = 24;
    static QString NotificationKey(int item);
    static constexpr QRect kAlarmStripPlace = CFaceControls::kAlarmStripPlace;

    // An item's value with its unit as the box and the notifications show it
    // ("1.85 V", "0 RPM", "95.0 °C"), and with its name before it.
    QString ValueWithUnit(const CSessionSnapshot::SItem& item) const;
    QString Entry(const CSessionSnapshot::SItem& item) const;

private:
    void UpdateNotifications(const CSessionSnapshot& snapshot);

    CAlarmStrip& m_strip;
    CPowerAwareTray& m_tray;
    const CUserPreferences& m_prefs;
    const IClock& m_clock;
    Translate m_tr;
    std::unique_ptr<IDesktopNotifier> m_pOwnNotifier;
    IDesktopNotifier* m_pNotifier = nullptr;
    QIcon m_trayIcon;
    QIcon m_trayAlarmIcon;
    struct SEpisode {
        QString body;
        bool critical = false;
        int shownAtTick = 0;
    };
    std::map<int, SEpisode> m_episodes;  // by engine index
    int m_nAlarmTicks = 0;
    bool m_bTrayShowsAlarm = false;
    std::string m_strTrayTooltip;
};
