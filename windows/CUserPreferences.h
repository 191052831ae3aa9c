// The user's display and alert choices kept in Root.ini: the three rotation
// lists of the main displays, the choices of the sub-screens and the alert
// switches. A plain value the main window holds; the setting dialogs change
// its members directly.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "windows/CIniFile.h"

class CUserPreferences {
public:
    // A rotation list may hold every item of its group.
    static constexpr int kVoltCapacity = 10;
    static constexpr int kFanCapacity = 5;
    static constexpr int kTempCapacity = 3;
    static constexpr int kSubCount = 3;
    // Items per group: VOLT1-VOLT10, FAN1-FAN5, TEMP1-TEMP3 (every input the
    // engine knows; a list may name any of them).
    static constexpr int kVoltItems = 10;
    static constexpr int kFanItems = 5;
    static constexpr int kTempItems = 3;

    // Reads every value; a missing key keeps 0, false or empty. Does not log
    // on to the mail system: the owner calls InitEmail afterwards.
    //
    // A hand-edited file may hold counts beyond a list's capacity or item
    // indices outside their group; counts are cut to [0, capacity] and
    // indices to the group's range so that no list is read or indexed
    // outside its bounds.
    void LoadPreferences(const CIniFile& file);

    // Writes the whole set of keys. List entries beyond the current count
    // are neither written nor removed.
    void SavePreferences(CIniFile& file) const;

    int32_t m_nVoltCount = 0;
    std::array<int32_t, kVoltCapacity> m_nVoltItem{};
    int32_t m_nFanCount = 0;
    std::array<int32_t, kFanCapacity> m_nFanItem{};
    int32_t m_nTempCount = 0;
    std::array<int32_t, kTempCapacity> m_nTempItem{};
    std::array<int32_t, kSubCount> m_nSubVoltItem{};
    std::array<int32_t, kSubCount> m_nSubFanItem{};
    std::array<int32_t, kSubCount> m_nSubTempItem{};
    bool m_bCentigrade = false;
    bool m_bSmartFan = false;
    bool m_bAutoRun = false;
    bool m_bEMailEnable = false;
    bool m_bErrorLog = false;
    std::string m_strEMailAddr;

    // Where the user left the window, in [User] WindowX and WindowY; written
    // once the window has been placed (m_bWindowPlaced), read back only when
    // both keys are present.
    bool m_bWindowPlaced = false;
    int32_t m_nWindowX = 0;
    int32_t m_nWindowY = 0;
    // [User] Expanded: the window restarts in its expanded form; VoltGraph,
    // FanGraph, TempGraph: the area shows its graph rather than its numbers.
    bool m_bExpanded = false;
    bool m_bVoltGraph = false;
    bool m_bFanGraph = false;
    bool m_bTempGraph = false;

    // The count as far as the list can hold it.
    static int32_t ClampCount(int32_t count, int capacity);
    // An item index inside a group of groupSize items.
    static int32_t ClampIndex(int32_t index, int groupSize);
};
