// Dialog 206, "Monitor Setting": per sensor item the alarm limits and the
// alarm reactions, the temperature unit and the Smart Fan switch. It keeps no
// settings of its own: it shows the engine's items and the main window's two
// flags, and writes them back (Apply, Default Setting, the row Default
// buttons, the unit buttons and the Smart Fan check act at once on the
// engine, as described at each handler).
//
// Rows: voltage items 1..8 with a two-thumb ruler slider, fan items 1..3 and
// temperature items 1..3 with plain sliders over a scale picture. Every
// control carries its designed id as objectName and as the dynamic property
// "controlId"; the design's ids are all distinct, so a lookup by id finds one
// control. The Enable and Beep check boxes of every row, the fans' high
// texts and the temperatures' low texts exist but are never shown.
#pragma once

#include <QBasicTimer>
#include <QDialog>

#include <array>

#include "windows/CMonitorSettingHost.h"

class CRulerSlider;
class CSensorItem;
class CSkinButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class QWidget;

class CMonitorSettingDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDialogId = 206;
    // 302 × 263 dialog units.
    static constexpr int kWidth = 453;
    static constexpr int kHeight = 427;

    static constexpr int kVoltRows = 8;
    static constexpr int kFanRows = 3;
    static constexpr int kTempRows = 3;

    enum ControlId : int {
        kIdApply = 1,
        kIdCancel = 2,
        kIdDefaultSetting = 1153,
        kIdCentigrade = 1169,
        kIdFahrenheit = 1170,
        kIdSmartFan = 1171,
        kIdBeepHeader = 1178,
        kIdItemHeader = 1183,
        kIdValueHeader = 1184,
        kIdLowHeader = 1185,
        kIdHighHeader = 1186,
        kIdShutDownHeader = 1187,
        kIdLoadDefaultHeader = 1188,
        kIdEnableHeader = 1189,
    };

    // The translated controls, in the order their captions are looked up.
    static const std::array<int, 12> kTranslatedIds;

    // Runs the dialog's initialisation: captions from the translation file
    // (section "Monitor Setting"), the rows filled from the engine without
    // defaults (which applies the Smart Fan flag to the fans at once), and
    // the skin of the three buttons.
    explicit CMonitorSettingDlg(const CMonitorSettingHost& host, QWidget* parent = nullptr);

    // The control with a designed id, or null.
    QWidget* Control(int id) const;

    // A line in the free space left of the Apply button, with the whole
    // sentence as its tooltip; for a chip whose settings never reach it.
    void SetNotice(const QString& line, const QString& whole);

    // Escape and the window's close button cancel like the Cancel button.
    void reject() override;

    // The value column anew from the items, which the main window's
    // monitoring tick keeps reading while the dialog is open; every
    // kValueRefreshMs while shown. Limits and check boxes are left alone.
    void RefreshValues();
    static constexpr int kValueRefreshMs = 2500;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    enum class Kind { Volt, Fan, Temp };

    // One item's controls. Pointers that a kind has no control for stay null.
    struct SRow {
        Kind kind = Kind::Volt;
        int number = 0;  // 1-based within its kind
        CSensorItem* item = nullptr;
        QLabel* name = nullptr;
        QLabel* value = nullptr;
        QLabel* low = nullptr;
        QLabel* high = nullptr;
        CRulerSlider* ruler = nullptr;
        QSlider* slider = nullptr;
        QLabel* scale = nullptr;
        QCheckBox* enable = nullptr;
        QCheckBox* beep = nullptr;
        QCheckBox* shutDown = nullptr;
        QPushButton* loadDefault = nullptr;
    };

    void BuildControls();
    // The group of the count rows of a kind that start at m_rows[first], its
    // top at y; a row whose input the chip lacks takes no place in it.
    QWidget* BuildRows(Kind kind, int first, int count, const QString& title, int y, int rowHeight);
    void BuildRow(SRow& row, QWidget* group, int y, int rowHeight);
    void PlaceTitleLineControls();

    // Fills every row from the engine; with defaults, the engine first loads
    // its defaults and reads the chip once, the fan sub-screen is laid out
    // anew and the Smart Fan flag is set.
    void FillDialog(bool defaults);
    void FillVoltRow(SRow& row);
    void FillFanRow(SRow& row);
    void FillTempRow(SRow& row);
    // Shows and enables a live row's visible controls.
    static void ShowRow(SRow& row);
    static void HideRow(SRow& row);
    // Whether the chip has the row's input (an absent row is never shown).
    static bool IsPresentRow(const SRow& row);
    // The unit over each group's value column, the temperature's from the
    // unit flag.
    void SetUnitTags();

    // Apply steps 1-4: the flags, each enabled row into its item and the
    // chip, the item settings saved, the sub-screen's unit letters.
    void ApplySettings();
    void WriteRow(SRow& row);

    void OnApply();
    void OnDefaultSetting();
    void OnRowDefault(SRow& row);
    void OnSmartFanClicked();
    void OnUnitClicked(bool centigrade);
    void OnRulerTrack(SRow& row);
    void OnSliderMoved(SRow& row);
    // Every enabled fan of rows 1..3 follows the Smart Fan check: Smart Fan
    // on at its low rate, or off at full speed.
    void ApplySmartFanToFans();

    void SetTempTexts(SRow& row, int highUnits);
    QString TempText(double celsius) const;

    CMonitorSettingHost m_host;
    std::array<SRow, kVoltRows + kFanRows + kTempRows> m_rows{};
    std::array<QLabel*, 3> m_unitTags{};  // by Kind
    QBasicTimer m_valueTimer;
    QCheckBox* m_pSmartFan = nullptr;
    QRadioButton* m_pCentigrade = nullptr;
    QRadioButton* m_pFahrenheit = nullptr;
    CSkinButton* m_pDefaultSetting = nullptr;
    CSkinButton* m_pApply = nullptr;
    CSkinButton* m_pCancel = nullptr;
};
