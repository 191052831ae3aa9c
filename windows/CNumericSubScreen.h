// A numeric sub-screen: three slots, each an alarm indicator, a seven-segment
// value, a unit and a name. The panel refreshes itself on its own 3000 ms
// timer; the indicator turns to its alarm image once when the slot's item goes
// out of range and back to normal on the first tick in range.
#pragma once

#include "skin/SkinColour.h"
#include "windows/CSubScreenPanel.h"
#include "windows/ISubScreenHost.h"

#include <QBasicTimer>
#include <QPoint>
#include <QSize>
#include <QString>

#include <array>

class CSegmentDisplay;
class CSkinButton;
class CTransparentStatic;

class CNumericSubScreen : public CSubScreenPanel {
    Q_OBJECT

public:
    // The names' type: this size, or smaller down to the smallest.
    static constexpr int kNamePixels = 10;
    static constexpr int kSmallestNamePixels = 8;

    static constexpr int kSlotCount = 3;
    static constexpr int kRefreshPeriodMs = 3000;

    // Control ids of slots 1..3.
    static constexpr std::array<int, kSlotCount> kIndicatorIds{1029, 1030, 1031};
    static constexpr std::array<int, kSlotCount> kValueIds{1038, 1039, 1040};
    static constexpr std::array<int, kSlotCount> kUnitIds{1050, 1051, 1052};
    static constexpr std::array<int, kSlotCount> kNameIds{1008, 1009, 1012};

    // The indicator's images (normal, pressed, hover, disabled, focus, mask).
    // The indicator is disabled, so its disabled image is the one that shows.
    struct IndicatorImages {
        int normal, pressed, hover, disabled, focus, mask;
    };
    static constexpr IndicatorImages kInitialImages{193, 193, 194, 194, 0, 191};
    static constexpr IndicatorImages kNormalImages{193, 193, 194, 194, 0, 191};
    static constexpr IndicatorImages kAlarmImages{193, 193, 194, 193, 0, 191};
    static constexpr IndicatorImages kItemOffImages{193, 193, 194, 192, 0, 191};

    // Segment colours (unlit, lit) of a value and of an item that is off.
    static constexpr Colorref kUnlitColour = 0xFFFFFF;
    static constexpr Colorref kLitColour = 0xFF0000;
    static constexpr Colorref kItemOffLitColour = 0x000000;
    // An item in alarm: its value lights red, like the lamp beside it.
    static constexpr Colorref kAlarmLitColour = 0x0000FF;
    // An item without a reading this tick (its transfer failed), or a fan
    // that read no speed at the start: amber, neither a value nor an alarm.
    static constexpr Colorref kUnreadableLitColour = 0x0099FF;
    static constexpr const char* kUnreadableText = "ERR";
    static constexpr const char* kNoFanText = "NO FAN";

    // What sets one panel of this kind apart from the others.
    struct Design {
        int dialogId;
        int timerId;
        IndicatorImages initialImages;
        std::array<QPoint, kSlotCount> unitPositions;
        QSize unitSize;
    };

    // Places the controls, gives every indicator its initial images and
    // every value display its colours and style, and marks every indicator
    // as showing its normal image.
    void ResetLayout();
    // Names, units and values from the host's items; (re)starts the panel's
    // timer.
    void Refresh();
    // One tick of the panel's timer under a timer id; a panel acts only on
    // its own id (the fan panel on any).
    void OnTimer(int id);

    int TimerId() const { return m_design.timerId; }
    bool IsTimerActive() const { return m_timer.isActive(); }
    int RefreshTimerId() const { return m_timer.timerId(); }
    // True while the panel can be seen: shown, and inside its window (the
    // compact form cuts the panels off). Out of view its timer stops at the
    // next beat; coming back into view refreshes it at once and restarts it.
    bool InView() const;
    // True while the slot's indicator shows its normal image.
    bool IsIndicatorNormal(int slot) const { return m_bIndicatorNormal.at(static_cast<size_t>(slot)); }

    CSkinButton* Indicator(int slot) const { return m_slots.at(static_cast<size_t>(slot)).indicator; }
    CSegmentDisplay* ValueDisplay(int slot) const { return m_slots.at(static_cast<size_t>(slot)).value; }
    CTransparentStatic* UnitLabel(int slot) const { return m_slots.at(static_cast<size_t>(slot)).unit; }
    CTransparentStatic* NameLabel(int slot) const { return m_slots.at(static_cast<size_t>(slot)).name; }

protected:
    CNumericSubScreen(ISubScreenHost& host, const Design& design, QWidget* parent);

    using SItem = ISubScreenHost::SItem;
    // The engine index of a slot's item; -1 when the slot names no item.
    virtual int SlotIndex(int slot) const = 0;
    virtual QString UnitText() const = 0;
    virtual QString ValueText(const SItem& item) const = 0;
    virtual bool HandlesTimer(int id) const { return id == m_design.timerId; }

    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot {
        CSkinButton* indicator = nullptr;
        CSegmentDisplay* value = nullptr;
        CTransparentStatic* unit = nullptr;
        CTransparentStatic* name = nullptr;
    };

    void ApplyIndicatorImages(int slot, const IndicatorImages& images);
    void ShowItemOff(int slot);
    // The text and colour of an item without a value to show, or false.
    bool ShowUnreadable(int slot, const SItem& item);
    // The slot's item into item; false when the slot names none.
    bool ReadSlot(int slot, SItem& item) const;
    // A slot that showed its item as off takes the normal look again once
    // the item is on, or its value would be drawn in black on the dark well.
    void LeaveItemOff(int slot);
    // Out of view since the timer stopped: refreshed and restarted once seen.
    void ResumeIfInView();

    Design m_design;
    std::array<Slot, kSlotCount> m_slots;
    std::array<bool, kSlotCount> m_bIndicatorNormal{};
    std::array<bool, kSlotCount> m_bShowsItemOff{};
    bool m_bParked = false;
    QBasicTimer m_timer;
};
