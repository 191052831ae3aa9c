// What the Monitor Setting dialog reaches of the main window: the engine (or
// the way to it: see send), the user's preferences (the temperature unit and the Smart Fan switch), the skin
// bitmaps, the caption translator and the two sub-screens it updates. The
// main window fills one of these and hands it to the dialog; everything
// referred to must outlive the dialog.
#pragma once

#include <functional>

#include "windows/CMonitorSettings.h"

class CHardwareMonitor;
class CUserPreferences;
class CSkinLibrary;
class CCaptionTranslator;
class CSensorItem;

struct CMonitorSettingHost {
    // A change of the items, run where the engine lives; then done, on the
    // dialog's thread, with the items' settings as the job left them (done
    // may be empty).
    using Job = std::function<void(CHardwareMonitor& engine)>;
    using Done = std::function<void(const CMonitorSettings& settings)>;

    // Without send, the dialog reads and changes it on its own thread.
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

    // For an engine on another thread, set all three; engine is then never
    // touched by the dialog. settings: the copy the dialog starts from; send
    // queues a job for the engine's thread and later calls done on the
    // dialog's thread; latestValue fills an item's last value and speed from
    // the latest reading (false: none).
    const CMonitorSettings* settings = nullptr;
    std::function<void(Job job, Done done)> send = {};
    std::function<bool(int index, double& value, int32_t& rpm)> latestValue = {};
};
