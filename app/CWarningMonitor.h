// The warning check run after every monitoring tick: collects the enabled
// items that the chip reports out of range and, when that set changes, writes
// one entry into the warning log and sends one alert mail, as the user's
// switches allow; when everything is back in range it writes a "Normal" entry
// and sends one all-clear mail, so that every alarm episode is on record.
//
// The log is the private-profile file error.txt, section "ErrorRecord", one
// key per event: the local time, a blank and the event's word with a colon
// ("2005/03/01 14:05:09 Warning:"), and as value the items' entries
// ("VCore: 1.85V  ") followed, for the events other than warnings, by a few
// words on what happened.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "windows/CUserPreferences.h"
#include "app/IMailer.h"
#include "platform/ILocalTime.h"
#include "platform/IPrivateProfile.h"

class CHardwareMonitor;
class CRegistryKey;
class CSensorItem;

class CWarningMonitor {
public:
    // One sensor item as the check sees it.
    struct Reading {
        std::string_view name;
        bool enabled = false;
        bool outOfRange = false;
        double value = 0.0;  // volts or degrees Celsius
        int32_t rpm = 0;     // fans only
    };

    // Positions in the engine's item order: VOLT1-VOLT10, TEMP1-TEMP3,
    // FAN1-FAN5. Only VOLT1-VOLT8, FAN1-FAN3 and TEMP1-TEMP3 are examined.
    static constexpr int kFirstVolt = 0;
    static constexpr int kExaminedVolts = 8;
    static constexpr int kFirstTemp = 10;
    static constexpr int kExaminedTemps = 3;
    static constexpr int kFirstFan = 13;
    static constexpr int kExaminedFans = 3;
    static constexpr int kItemCount = 18;

    static constexpr const char* kLogSection = "ErrorRecord";
    // The words of the log keys.
    static constexpr const char* kWarning = "Warning";
    static constexpr const char* kNormal = "Normal";
    static constexpr const char* kPowerOff = "PowerOff";
    static constexpr const char* kPowerOffRefused = "PowerOffRefused";
    static constexpr const char* kShutdownCancelled = "ShutdownCancelled";
    static constexpr const char* kMailFailed = "MailFailed";
    // A reading that failed and came back; a fan without speed at the start
    // and one that turned later; a Smart Fan fan held at full duty and
    // released.
    static constexpr const char* kReadFailed = "ReadFailed";
    static constexpr const char* kReadRestored = "ReadRestored";
    static constexpr const char* kNoFan = "NoFan";
    static constexpr const char* kFullDuty = "FullDuty";

    // What one check found, for the tray icon and the notifications.
    struct SAlarms {
        std::vector<int> items;  // engine indices of the examined items in alarm, in log order
        bool changed = false;    // the set differs from the previous check's
    };
    using MailFailureHandler = std::function<void(const std::string& failure)>;

    // Every service must outlive this object. logPath: the warning log
    // error.txt; localMachine: the registry under HKEY_LOCAL_MACHINE, where
    // the computer name lies.
    CWarningMonitor(IPrivateProfile& profile, std::string logPath, IMailer& mailer,
                    const CRegistryKey& localMachine, const ILocalTime& localTime);

    // items: the eighteen items in engine order (a shorter span examines
    // those present). mailReady: the mail logon succeeded. The log entry
    // is written before the mail goes out.
    SAlarms CheckWarnings(std::span<const Reading> items, const CUserPreferences& preferences, bool mailReady);

    // The same over the engine's items as its last UpdateAll left them.
    SAlarms CheckWarnings(const CHardwareMonitor& engine, const CUserPreferences& preferences, bool mailReady);

    // Called when a mail fails at once (the mailer returned false).
    void SetMailFailureHandler(MailFailureHandler handler) { m_onMailFailure = std::move(handler); }

    // One line "<time> <word>:" = value in the log, now.
    void WriteLogLine(const char* word, const std::string& value);
    // The entry of one item as the warnings write it, by its kind.
    static std::string ItemEntry(const CSensorItem& item, bool centigrade);

    // The engine's eighteen items as the check sees them; the names point
    // into the engine's items. A missing item reads as disabled.
    static std::array<Reading, kItemCount> ReadItems(const CHardwareMonitor& engine);

    // The Names of the items in alarm at the last warning, without
    // separators; empty at start and after an all-clear mail.
    const std::string& LastAlarm() const { return m_strLastAlarm; }

    // One warning-text entry with its unit and two blanks, "," made ".".
    static std::string VoltEntry(const Reading& item);
    static std::string FanEntry(const Reading& item);
    static std::string TempEntry(const Reading& item, bool centigrade);

private:
    std::string ComputerName() const;
    void SendMail(const CUserPreferences& preferences, const std::string& subject, const std::string& body);

    IPrivateProfile& m_profile;
    std::string m_strLogPath;
    IMailer& m_mailer;
    const CRegistryKey& m_localMachine;
    const ILocalTime& m_localTime;
    std::string m_strLastAlarm;
    // The entries of the last warning's items, for the "Normal" entry.
    std::vector<int> m_lastAlarmItems;
    std::vector<int> m_previousCheck;
    MailFailureHandler m_onMailFailure;
};
