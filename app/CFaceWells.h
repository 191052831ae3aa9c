// The face's three wells (voltage, fan speed, temperature): which entry of
// each rotation list is shown on a tick, and how it is painted: its name
// fitted into the well, its value red when out of range and green
// otherwise, "OFF" when disabled, amber "ERR" or "NO FAN" without a value.
#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include <array>
#include <functional>
#include <string>

#include "app/CSessionSnapshot.h"
#include "skin/SkinColour.h"

class CSegmentDisplay;
class CTransparentStatic;
class CUserPreferences;

class CFaceWells {
public:
    static constexpr Colorref kGreen = 0x00FF00;
    static constexpr Colorref kRed = 0x0000FF;
    static constexpr Colorref kWhite = 0xFFFFFF;
    // A well without a value to show (a failed reading "ERR", a fan that
    // read no speed at the start "NO FAN").
    static constexpr Colorref kAmber = 0x00B0FF;

    // The controls of the wells, children of the face.
    struct SControls {
        CSegmentDisplay* voltDisplay = nullptr;
        CSegmentDisplay* fanDisplay = nullptr;
        CSegmentDisplay* tempDisplay = nullptr;
        CTransparentStatic* voltName = nullptr;
        CTransparentStatic* fanName = nullptr;
        CTransparentStatic* tempName = nullptr;
        CTransparentStatic* tempUnit = nullptr;
    };

    // prefs: the rotation lists and the temperature unit, read on every
    // tick. nameFont: the face's font the names are fitted from.
    CFaceWells(const CUserPreferences& prefs, SControls controls, QFont nameFont);

    // One tick: the entry each well shows now, painted from snapshot, and
    // the positions moved on.
    void Show(const CSessionSnapshot& snapshot);
    // The items the three wells showed at the last tick (volt, fan, temp),
    // engine indices; -1 for none.
    const std::array<int, 3>& Items() const { return m_items; }

    int VoltPosition() const { return m_nVoltPos; }
    int FanPosition() const { return m_nFanPos; }
    int TempPosition() const { return m_nTempPos; }

    // Which rotation position a well shows on this tick, and which it moves
    // on to: while items of the list are in alarm the well stays on them
    // (taking them in turn when there are several); otherwise it rotates.
    // count 0 is a list of the one entry 0. Entries naming an item the chip
    // does not have are passed over (the stored list keeps them); a list of
    // nothing but such entries stays where it is. No present test: every
    // entry counts.
    static int PositionToShow(int position, int count, const std::function<bool(int)>& inAlarm,
                              const std::function<bool(int)>& present = {});
    static int NextPosition(int shown, int count, const std::function<bool(int)>& inAlarm,
                            const std::function<bool(int)>& present = {});

    // A reading as the displays show it: "%3.1f" with every "," made ".",
    // so that a locale with a decimal comma never reaches the display.
    static QString FormatReal(double value);
    // A voltage as the wells show it: two decimals ("1.46", "-12.05").
    static QString FormatVolts(double value);
    // The colour rule of a value display: red when the item is out of range
    // and the display is green, green when in range and red; otherwise the
    // colours stay.
    static void ApplyAlarmColour(CSegmentDisplay& display, bool outOfRange);
    // The well's text and colour for an item without a value, or false.
    static bool ShowUnreadable(CSegmentDisplay& display, const CSessionSnapshot::SItem& item);
    // font, made smaller one pixel at a time down to smallestPixels until
    // text fits into width.
    static QFont FitFont(QFont font, const QString& text, int width, int smallestPixels);

private:
    // How a name is set in a label of a size: its font, its label style,
    // and whether it is cut (then whole in the tooltip).
    struct SNameFit {
        QFont font;
        std::uint32_t style;
        bool cut;
    };
    static constexpr qsizetype kMaxNameFits = 64;

    static int Advance(int position, int count);
    void ShowName(CTransparentStatic& label, const std::string& name) const;
    SNameFit FitName(const QString& text, int width, int height) const;
    // An entry of a list; value paints an enabled item's reading.
    void ShowSlot(const CSessionSnapshot::SItem* item, CSegmentDisplay& display, CTransparentStatic& name,
                  const std::function<void(const CSessionSnapshot::SItem&)>& value) const;

    const CUserPreferences& m_prefs;
    SControls m_controls;
    QFont m_nameFont;
    // The wells take turns with the same few names in labels of fixed
    // sizes: each is fitted once, by text and label size.
    mutable QHash<QString, SNameFit> m_nameFits;
    int m_nVoltPos = 0;
    int m_nTempPos = 0;
    int m_nFanPos = 0;
    std::array<int, 3> m_items{-1, -1, -1};
};
