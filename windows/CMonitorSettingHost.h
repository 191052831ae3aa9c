// What the Monitor Setting dialog reaches of the main window: the engine, the
// user's preferences (the temperature unit and the Smart Fan switch), the skin
// bitmaps, the caption translator and the two sub-screens it updates. The
// main window fills one of these and hands it to the dialog; everything
// referred to must outlive the dialog.
#pragma once

#include <functional>

class CHardwareMonitor;
class CUserPreferences;
class CSkinLibrary;
class CCaptionTranslator;
class CSensorItem;

struct CMonitorSettingHost {
    CHardwareMonitor& engine;
    // m_bCentigrade (set: Celsius) and m_bSmartFan are read and changed.
    CUserPreferences& preferences;
    const CSkinLibrary& skins;
    const CCaptionTranslator& translator;
    // The fan sub-screen's ResetLayout and Refresh; the temperature
    // sub-screen's SetUnitLetters ("C" when centigrade, else "F"). An empty
    // function is skipped, for a main window without sub-screens.
    std::function<void()> resetFanLayout;
    std::function<void()> refreshFans;
    std::function<void(bool centigrade)> setTempUnitLetters;
    // Whether the user cancelled the item's shut-down from the countdown box
    // in this session (its stored setting is then still on). Empty: none.
    std::function<bool(const CSensorItem& item)> isShutDownCancelled = {};
};
