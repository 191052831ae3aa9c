// The warning check run after every monitoring tick: collects the enabled
// items that the chip reports out of range and, when that set changes, writes
// one entry into the warning log and sends one alert mail, as the user's
// switches allow; when everything is back in range it sends one all-clear
// mail.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/CUserPreferences.h"
#include "app/IMailer.h"
#include "platform/ILocalTime.h"
#include "platform/IPrivateProfile.h"

class CHardwareMonitor;
class CRegistryKey;

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

    // Every service must outlive this object. logPath: the warning log
    // error.txt; localMachine: the registry under HKEY_LOCAL_MACHINE, where
    // the computer name lies.
    CWarningMonitor(IPrivateProfile& profile, std::string logPath, IMailer& mailer,
                    const CRegistryKey& localMachine, const ILocalTime& localTime);

    // items: the eighteen items in engine order (a shorter span examines
    // those present). mailReady: the mail logon succeeded.
    void CheckWarnings(std::span<const Reading> items, const CUserPreferences& preferences, bool mailReady);

    // The same over the engine's items as its last UpdateAll left them.
    void CheckWarnings(const CHardwareMonitor& engine, const CUserPreferences& preferences, bool mailReady);

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

    IPrivateProfile& m_profile;
    std::string m_strLogPath;
    IMailer& m_mailer;
    const CRegistryKey& m_localMachine;
    const ILocalTime& m_localTime;
    std::string m_strLastAlarm;
};
