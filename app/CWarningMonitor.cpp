#include "app/CWarningMonitor.h"

#include <algorithm>
#include <cstdio>

#include "app/CComputerName.h"
#include "engine/CFanItem.h"
#include "engine/CHardwareMonitor.h"
#include "engine/CTempItem.h"

namespace {

// Reals are formatted in the process's locale, which the user may have set
// to a decimal comma; the log and the mails always use a full stop.
std::string WithFullStops(std::string text)
{
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::string FormatTime(const std::tm& time, const char* format)
{
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &time);
    return std::string(text, length);
}

bool InAlarm(const CWarningMonitor::Reading& item) { return item.enabled && item.outOfRange; }

}  // namespace

CWarningMonitor::CWarningMonitor(IPrivateProfile& profile, std::string logPath, IMailer& mailer,
                                 const CRegistryKey& localMachine, const ILocalTime& localTime)
    : m_profile(profile),
      m_strLogPath(std::move(logPath)),
      m_mailer(mailer),
      m_localMachine(localMachine),
      m_localTime(localTime)
{
}

std::string CWarningMonitor::VoltEntry(const Reading& item)
{
    char text[320];
    std::snprintf(text, sizeof text, "%.*s: %2.2f", static_cast<int>(item.name.size()), item.name.data(),
                  item.value);
    return WithFullStops(text) + "V  ";
}

std::string CWarningMonitor::FanEntry(const Reading& item)
{
    char text[320];
    std::snprintf(text, sizeof text, "%.*s: %d", static_cast<int>(item.name.size()), item.name.data(),
                  static_cast<int>(item.rpm));
    return std::string(text) + "RPM  ";
}

std::string CWarningMonitor::TempEntry(const Reading& item, bool centigrade)
{
    const double shown = centigrade ? item.value : item.value * 1.8 + 32;
    char text[320];
    std::snprintf(text, sizeof text, "%.*s: %3.1f", static_cast<int>(item.name.size()), item.name.data(), shown);
    return WithFullStops(text) + (centigrade ? "C  " : "F  ");
}

std::string CWarningMonitor::ComputerName() const { return CComputerName::Read(m_localMachine); }

void CWarningMonitor::WriteLogLine(const char* word, const std::string& value)
{
    const std::tm now = m_localTime.Now();
    m_profile.WriteString(m_strLogPath, kLogSection, FormatTime(now, "%Y/%m/%d %H:%M:%S ") + word + ":", value);
}

void CWarningMonitor::SendMail(const CUserPreferences& preferences, const std::string& subject,
                               const std::string& body)
{
    if (m_mailer.SendMail("", preferences.m_strEMailAddr, subject, body)) return;
    if (m_onMailFailure) m_onMailFailure(m_mailer.LastFailure());
}

CWarningMonitor::SAlarms CWarningMonitor::CheckWarnings(std::span<const Reading> items,
                                                        const CUserPreferences& preferences, bool mailReady)
{
    SAlarms alarms;
    std::string names;
    std::string text;
    const auto examine = [&](int first, int count, auto entry) {
        for (int i = first; i < first + count && i < static_cast<int>(items.size()); ++i) {
            if (!InAlarm(items[i])) continue;
            names += items[i].name;
            text += entry(items[i]);
            alarms.items.push_back(i);
        }
    };
    const auto temp = [&](const Reading& item) { return TempEntry(item, preferences.m_bCentigrade); };
    examine(kFirstVolt, kExaminedVolts, VoltEntry);
    examine(kFirstFan, kExaminedFans, FanEntry);
    examine(kFirstTemp, kExaminedTemps, temp);
    alarms.changed = alarms.items != m_previousCheck;
    m_previousCheck = alarms.items;

    if (!preferences.m_bEMailEnable && !preferences.m_bErrorLog) return alarms;

    const bool mailing = preferences.m_bEMailEnable && mailReady;
    if (!names.empty() && names != m_strLastAlarm) {
        const std::tm now = m_localTime.Now();
        m_strLastAlarm = names;
        m_lastAlarmItems = alarms.items;
        // The record comes first: a mail that is slow or lost must not cost
        // the log line.
        if (preferences.m_bErrorLog)
            m_profile.WriteString(m_strLogPath, kLogSection, FormatTime(now, "%Y/%m/%d %H:%M:%S Warning:"), text);
        if (mailing) {
            // The time part ends in a blank and the format adds one more.
            const std::string message = FormatTime(now, "%Y/%m/%d, %H:%M:%S, ") + " Warning: " + text;
            SendMail(preferences, "Computer:" + ComputerName() + " hardware monitor abnormal!", message);
        }
        return alarms;
    }

    // Back to normal. The remembered set is emptied whether or not mails
    // go out, so that the next episode of the same items is recorded too.
    if (names.empty() && !m_strLastAlarm.empty()) {
        m_strLastAlarm.clear();
        if (preferences.m_bErrorLog) {
            std::string cleared;
            for (const int i : m_lastAlarmItems) {
                if (i >= static_cast<int>(items.size())) continue;
                cleared += i >= kFirstFan ? FanEntry(items[i]) : i >= kFirstTemp ? temp(items[i]) : VoltEntry(items[i]);
            }
            WriteLogLine(kNormal, cleared + "back in range");
        }
        m_lastAlarmItems.clear();
        if (mailing) {
            const std::string computer = ComputerName();
            SendMail(preferences, "Computer:" + computer + " Hardware Monitor normal!",
                     "Computer: " + computer + "Hardware Monitor Detect Normal!");
        }
    }
    return alarms;
}

std::string CWarningMonitor::ItemEntry(const CSensorItem& item, bool centigrade)
{
    Reading reading;
    reading.name = item.Name();
    reading.value = item.Value();
    if (const auto* fan = dynamic_cast<const CFanItem*>(&item)) {
        reading.rpm = fan->Rpm();
        return FanEntry(reading);
    }
    if (dynamic_cast<const CTempItem*>(&item) != nullptr) return TempEntry(reading, centigrade);
    return VoltEntry(reading);
}

std::array<CWarningMonitor::Reading, CWarningMonitor::kItemCount> CWarningMonitor::ReadItems(
    const CHardwareMonitor& engine)
{
    static_assert(kItemCount == CHardwareMonitor::kItemCount && kFirstTemp == CHardwareMonitor::kFirstTemp &&
                  kFirstFan == CHardwareMonitor::kFirstFan);
    std::array<Reading, kItemCount> items{};
    for (int i = 0; i < kItemCount; ++i) {
        const CSensorItem* item = engine.Item(i);
        if (item == nullptr) continue;
        Reading& reading = items[i];
        reading.name = item->Name();
        reading.enabled = item->IsEnabled();
        reading.value = item->Value();
        if (const auto* fan = dynamic_cast<const CFanItem*>(item)) reading.rpm = fan->Rpm();
        // Only an item that can alarm asks the chip for its status bit.
        reading.outOfRange = reading.enabled && item->IsOutOfRange();
    }
    return items;
}

CWarningMonitor::SAlarms CWarningMonitor::CheckWarnings(const CHardwareMonitor& engine,
                                                        const CUserPreferences& preferences, bool mailReady)
{
    const std::array<Reading, kItemCount> items = ReadItems(engine);
    return CheckWarnings(items, preferences, mailReady);
}
