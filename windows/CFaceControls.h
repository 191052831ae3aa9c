// The controls of the main window's face: the three wells' value displays,
// name and unit labels, the skin buttons, the alarm strip and the
// "SIMULATED" tag, built on the face in the dialog template's states and
// placed by the face's layout tables. Controls carry their ids as objectName
// and as the dynamic property "controlId".
#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <map>

#include "skin/SkinColour.h"

class CAlarmStrip;
class CSegmentDisplay;
class CSkinButton;
class CSkinLibrary;
class CTransparentStatic;
class QWidget;

class CFaceControls {
public:
    enum ControlId : int {
        kIdClose = 2,
        kIdDravikManager = 1000,
        kIdDisplaySetting = 1001,
        kIdMonitorSetting = 1002,
        kIdVoltDisplay = 1003,
        kIdFanDisplay = 1004,
        kIdTempDisplay = 1005,
        kIdExpand = 1006,
        kIdCollapse = 1007,
        kIdVoltName = 1008,
        kIdFanName = 1009,
        kIdTempName = 1012,
        kIdWebSite = 1013,
        kIdMinimal = 1014,
        kIdHelp = 1015,
        kIdTempBack = 1041,
        kIdTempDetail = 1042,
        kIdVoltBack = 1043,
        kIdVoltDetail = 1044,
        kIdFanBack = 1045,
        kIdFanDetail = 1046,
        kIdVoltUnit = 1047,
        kIdFanUnit = 1048,
        kIdTempUnit = 1049,
    };

    // One skin button of the face: place and images (ApplySkin ids; draw
    // mode, border and focus margin are 0).
    struct SButtonPlace {
        int id;
        int x, y;
        int normal, pressed, hover, disabled, mask;
        const char* tooltip;
    };
    // One value display or label: place and size.
    struct STextPlace {
        int id;
        int x, y, width, height;
    };
    // In the order the face is laid out.
    static const std::array<SButtonPlace, 15> kButtonLayout;
    static const std::array<STextPlace, 3> kDisplayLayout;
    static const std::array<STextPlace, 6> kLabelLayout;

    static constexpr Colorref kGreen = 0x00FF00;
    static constexpr Colorref kBlack = 0x000000;
    static constexpr Colorref kAmber = 0x00B0FF;
    // The keyboard focus ring of the face's buttons: amber, clear on the
    // dark face and unlike the green and red of the readings.
    static constexpr Colorref kFocusRing = 0x00B0FF;
    // The caption of a disabled setting key (0x00BBGGRR).
    static constexpr Colorref kDisabledKeyText = 0x4F4A45;
    // The strip over the face's captions naming every item in alarm.
    static constexpr QRect kAlarmStripPlace{22, 127, 360, 18};
    // The "SIMULATED" tag of the title strip.
    static constexpr int kSimulatedTagX = 238;
    static constexpr int kSimulatedTagY = 10;
    static constexpr int kSimulatedTagWidth = 64;
    static constexpr int kSimulatedTagHeight = 16;
    static constexpr int kSimulatedTagPixels = 10;

    // Builds the controls, children of face, which also takes the face's
    // caption font. skins must outlive the controls.
    CFaceControls(QWidget& face, const CSkinLibrary& skins);

    // Places every control and skins the buttons, their tips in the user's
    // language.
    void Layout(const std::function<QString(const char*)>& tr);
    // The tag in the title strip, made on first use: tag its caption,
    // tooltip what it means.
    void ShowSimulatedTag(bool shown, const QString& tag, const QString& tooltip);

    CSkinButton* Button(int id) const;
    CSegmentDisplay* Display(int id) const;
    CTransparentStatic* Label(int id) const;
    CAlarmStrip& AlarmStrip() const { return *m_pAlarmStrip; }

private:
    QWidget& m_face;
    const CSkinLibrary& m_skins;
    std::map<int, CSkinButton*> m_buttons;
    std::map<int, CTransparentStatic*> m_labels;
    std::map<int, CSegmentDisplay*> m_displays;
    CAlarmStrip* m_pAlarmStrip = nullptr;
    CTransparentStatic* m_pSimulatedTag = nullptr;
};
