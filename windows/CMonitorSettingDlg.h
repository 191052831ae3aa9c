// Dialog 206, "Monitor Setting": per sensor item the alarm limits and the
// alarm reactions, the temperature unit and the Smart Fan switch. It shows a
// copy of the items' settings (CMonitorSettings) and the main window's two
// flags; what it changes of the items (Apply, Default Setting, the row
// Default buttons and the Smart Fan check, as described at each handler) goes
// to the engine as a job through the host, and what it shows afterwards comes
// from the copy the job hands back.
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
#include <QPixmap>

#include <array>

#include "windows/CMonitorSettingHost.h"

class CLimitField;
class CRulerSlider;
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
    // The width; the height follows the rows the chip has.
    static constexpr int kWidth = 560;

    // A row for every input the engine knows; the chip's absent ones are
    // never shown.
    static constexpr int kVoltRows = 10;
    static constexpr int kFanRows = 5;
    static constexpr int kTempRows = 3;

    // The shut-down time a row's field offers, in seconds.
    static constexpr int kShortestShutDown = 5;
    static constexpr int kLongestShutDown = 3600;
    static constexpr int kShutDownStep = 5;

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
    // The typed fields of the row whose slider has id sliderId: its low
    // limit, its high limit and its shut-down time; null where the row has
    // none (a fan has no high field, a temperature no low field).
    CLimitField* LowField(int sliderId) const;
    CLimitField* HighField(int sliderId) const;
    CLimitField* ShutDownTimeField(int sliderId) const;
    // The ids of a row's controls, 1-based within its kind (rows beyond the
    // designed ones take ids from 1200 up).
    static int VoltSliderId(int row);
    static int FanSliderId(int row);
    static int TempSliderId(int row);

    // A line in the free space left of the Apply button, with the whole
    // sentence as its tooltip; for a chip whose settings never reach it.
    void SetNotice(const QString& line, const QString& whole);

    // Escape and the window's close button cancel like the Cancel button.
    void reject() override;

    // The value column anew from the latest readings (the host's, or the
    // items'), which the monitoring goes on taking while the dialog is open; every
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
        int index = -1;  // the engine's index of the item
        CMonitorSettings::SItem* item = nullptr;
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
        CLimitField* lowField = nullptr;
        CLimitField* highField = nullptr;
        CLimitField* timeField = nullptr;
        // The user moved the row's ruler or slider since it was filled: only
        // then does Apply take its limits from the control (whose units are
        // coarser than the item's), so untouched limits round-trip exactly.
        bool edited = false;
    };

    void BuildControls();
    // The group of the count rows of a kind that start at m_rows[first], its
    // top at y; a row whose input the chip lacks takes no place in it.
    QWidget* BuildRows(Kind kind, int first, int count, const QString& title, int y, int rowHeight);
    void BuildRow(SRow& row, QWidget* group, int y, int rowHeight);
    void PlaceTitleLineControls();

    // Fills every row from the copy and sends the Smart Fan check to the fans.
    void FillDialog();
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
    // A typed limit moves the row's slider, then the texts follow as for a
    // drag; a slider's move sets the fields.
    void OnFieldEdited(SRow& row, bool high);
    void SyncFields(SRow& row);
    void SetFieldScales(SRow& row);
    // Every enabled fan of rows 1..3 follows the Smart Fan check: Smart Fan
    // on at its low rate, or off at full speed.
    void ApplySmartFanToFans();

    void SetTempTexts(SRow& row, int highUnits);
    // A caption of the dialog's section in the user's language.
    QString Tr(const char* english) const;
    void TranslateOtherCaptions();
    // A scale picture with the words at its ends.
    QPixmap ScalePicture(Kind kind) const;
    // A shut-down cancelled from the countdown is off for the session only:
    // the row shows, and Apply stores, the user's setting, and the item is
    // switched off again once stored.
    static bool StoredShutDown(const CMonitorSettings::SItem& item);
    void KeepShutDownsCancelled();
    QString TempText(double celsius) const;
    // job on the engine (through the host, or here), then done with the
    // settings it left; a done that arrives after the dialog closed is
    // dropped.
    void Send(CMonitorSettingHost::Job job, CMonitorSettingHost::Done done);
    CMonitorSettings TakeHere() const;

    CMonitorSettingHost m_host;
    CMonitorSettings m_settings;
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
