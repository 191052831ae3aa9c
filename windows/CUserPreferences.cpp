#include "windows/CUserPreferences.h"

#include <climits>

#include <algorithm>
#include <cstdio>
#include <span>

namespace {

constexpr const char* kVoltSection = "VoltDisplay";
constexpr const char* kFanSection = "FanDisplay";
constexpr const char* kTempSection = "TempDisplay";
constexpr const char* kSubVoltSection = "SubVoltDisplay";
constexpr const char* kSubFanSection = "SubFanDisplay";
constexpr const char* kSubTempSection = "SubTempDisplay";
constexpr const char* kUserSection = "User";

std::string ItemKey(int number)
{
    char key[32];
    std::snprintf(key, sizeof key, "%s%d", "Item", number);
    return key;
}

std::string Decimal(int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

void ReadList(const CIniFile& file, const char* section, int32_t count, std::span<int32_t> items, int groupSize)
{
    for (int32_t i = 1; i <= count; ++i)
        items[i - 1] = CUserPreferences::ClampIndex(file.GetInt(section, ItemKey(i), 0), groupSize);
}

void WriteList(CIniFile& file, const char* section, int32_t count, std::span<const int32_t> items)
{
    for (int32_t i = 1; i <= count; ++i) file.WriteString(section, ItemKey(i), Decimal(items[i - 1]));
}

}  // namespace

int32_t CUserPreferences::ClampCount(int32_t count, int capacity)
{
    return std::clamp<int32_t>(count, 0, capacity);
}

int32_t CUserPreferences::ClampIndex(int32_t index, int groupSize)
{
    return std::clamp<int32_t>(index, 0, groupSize - 1);
}

void CUserPreferences::LoadPreferences(const CIniFile& file)
{
    m_nTempCount = ClampCount(file.GetInt(kTempSection, "count", 0), kTempCapacity);
    m_nFanCount = ClampCount(file.GetInt(kFanSection, "count", 0), kFanCapacity);
    m_nVoltCount = ClampCount(file.GetInt(kVoltSection, "count", 0), kVoltCapacity);

    m_bCentigrade = file.GetInt(kUserSection, "Centigrade", 0) != 0;
    m_bSmartFan = file.GetInt(kUserSection, "SmartFan", 0) != 0;

    ReadList(file, kVoltSection, m_nVoltCount, m_nVoltItem, kVoltItems);
    ReadList(file, kFanSection, m_nFanCount, m_nFanItem, kFanItems);
    ReadList(file, kTempSection, m_nTempCount, m_nTempItem, kTempItems);

    for (int i = 1; i <= kSubCount; ++i) {
        m_nSubVoltItem[i - 1] = ClampIndex(file.GetInt(kSubVoltSection, ItemKey(i), 0), kVoltItems);
        m_nSubFanItem[i - 1] = ClampIndex(file.GetInt(kSubFanSection, ItemKey(i), 0), kFanItems);
        m_nSubTempItem[i - 1] = ClampIndex(file.GetInt(kSubTempSection, ItemKey(i), 0), kTempItems);
    }

    // Written as "autorun"; profile key names are compared without case.
    m_bAutoRun = file.GetInt(kUserSection, "AutoRun", 0) != 0;
    m_bEMailEnable = file.GetInt(kUserSection, "EMailEnable", 0) != 0;
    m_bErrorLog = file.GetInt(kUserSection, "ErrorLog", 0) != 0;
    m_strEMailAddr = file.GetString(kUserSection, "EMailAddr", "");

    // A missing key reads as the default twice over: only a position with
    // both keys stands.
    const int32_t x = file.GetInt(kUserSection, "WindowX", INT32_MIN);
    const int32_t y = file.GetInt(kUserSection, "WindowY", INT32_MIN);
    m_bWindowPlaced = x != INT32_MIN && y != INT32_MIN;
    m_nWindowX = m_bWindowPlaced ? x : 0;
    m_nWindowY = m_bWindowPlaced ? y : 0;
    m_bExpanded = file.GetInt(kUserSection, "Expanded", 0) != 0;
    m_bVoltGraph = file.GetInt(kUserSection, "VoltGraph", 0) != 0;
    m_bFanGraph = file.GetInt(kUserSection, "FanGraph", 0) != 0;
    m_bTempGraph = file.GetInt(kUserSection, "TempGraph", 0) != 0;
}

void CUserPreferences::SavePreferences(CIniFile& file) const
{
    const int32_t voltCount = ClampCount(m_nVoltCount, kVoltCapacity);
    const int32_t fanCount = ClampCount(m_nFanCount, kFanCapacity);
    const int32_t tempCount = ClampCount(m_nTempCount, kTempCapacity);

    file.WriteString(kVoltSection, "count", Decimal(voltCount));
    file.WriteString(kTempSection, "count", Decimal(tempCount));
    file.WriteString(kFanSection, "count", Decimal(fanCount));

    file.WriteString(kUserSection, "autorun", Decimal(m_bAutoRun ? 1 : 0));
    file.WriteString(kUserSection, "EMailEnable", Decimal(m_bEMailEnable ? 1 : 0));
    file.WriteString(kUserSection, "EMailAddr", m_strEMailAddr);
    file.WriteString(kUserSection, "Centigrade", Decimal(m_bCentigrade ? 1 : 0));
    file.WriteString(kUserSection, "SmartFan", Decimal(m_bSmartFan ? 1 : 0));
    file.WriteString(kUserSection, "ErrorLog", Decimal(m_bErrorLog ? 1 : 0));

    WriteList(file, kVoltSection, voltCount, m_nVoltItem);
    WriteList(file, kFanSection, fanCount, m_nFanItem);
    WriteList(file, kTempSection, tempCount, m_nTempItem);

    for (int i = 1; i <= kSubCount; ++i) {
        file.WriteString(kSubVoltSection, ItemKey(i), Decimal(m_nSubVoltItem[i - 1]));
        file.WriteString(kSubFanSection, ItemKey(i), Decimal(m_nSubFanItem[i - 1]));
        file.WriteString(kSubTempSection, ItemKey(i), Decimal(m_nSubTempItem[i - 1]));
    }

    if (m_bWindowPlaced) {
        file.WriteString(kUserSection, "WindowX", Decimal(m_nWindowX));
        file.WriteString(kUserSection, "WindowY", Decimal(m_nWindowY));
    }
    file.WriteString(kUserSection, "Expanded", Decimal(m_bExpanded ? 1 : 0));
    file.WriteString(kUserSection, "VoltGraph", Decimal(m_bVoltGraph ? 1 : 0));
    file.WriteString(kUserSection, "FanGraph", Decimal(m_bFanGraph ? 1 : 0));
    file.WriteString(kUserSection, "TempGraph", Decimal(m_bTempGraph ? 1 : 0));
}
