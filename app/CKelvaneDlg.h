// The program's only top-level window: a frameless face cut to the outline of
// a skin bitmap, with three rotating value displays (voltage, fan speed,
// temperature), the buttons of the setting dialogs, the help page, the web
// site and the tray, and in its expanded form three sub-screen areas. It owns
// the monitoring engine and drives it from timer 1 (2500 ms): each tick reads
// every item, shows the next entry of each rotation list (red when out of
// range, green otherwise, "OFF" when disabled) and runs the warning check.
//
// Controls carry their ids as objectName and as the dynamic property
// "controlId".
//
// Where the parts that other windows bring plug in:
//   - the Monitor Setting (1002), Display Setting (1001) and Dravik Manager
//     (1000) buttons and the tray button (1014) emit the *Requested signals;
//   - the six area buttons switch their own enable states and emit
//     areaViewChanged, which the sub-screen panels follow;
//   - monitoringTicked is emitted after every refresh of timer 1, where the
//     graph panels take their samples;
//   - the single-instance check, the tray icon and the suite link (timer 2)
//     have their places in InitDialog.
#pragma once

#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <array>
#include <map>
#include <string>

#include "app/CEmailLogon.h"
#include "app/CUserPreferences.h"
#include "app/CWarningMonitor.h"
#include "engine/CEngineSeams.h"
#include "engine/CHardwareMonitor.h"
#include "skin/CSkinLibrary.h"
#include "skin/SkinColour.h"

class CAutomationService;
class CSegmentDisplay;
class CSkinButton;
class CTransparentStatic;
class IMailer;
class IShellOpener;
class ILocalTime;
class QMenu;

// The process seams of the main window. Everything referred to must outlive
// the window.
struct CKelvaneDlgSeams {
    // The engine's seams; their message box, profile store and registry
    // (HKEY_LOCAL_MACHINE) serve the window too, and their program directory
    // is the program's.
    CEngineSeams engine;
    IShellOpener& shell;  // help page and web site
    IMailer& mailer;      // alert mails
    const ILocalTime& localTime;
    std::string languageCode;  // as CLanguage gives it ("DEU", "" outside the table)
    std::string boardName;     // normalised board name, may be empty
};

class CKelvaneDlg : public QWidget {
    Q_OBJECT

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

    // The three sub-screen areas of the expanded form.
    enum class Area { Volt, Fan, Temp };
    Q_ENUM(Area)

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

    static constexpr int kCompactOutline = 150;
    static constexpr int kCompactFace = 146;
    static constexpr int kExpandedOutline = 147;
    static constexpr int kExpandedFace = 143;
    static constexpr int kAboutPicture = 224;
    static constexpr int kIcon = 128;

    static constexpr int kMonitorTimer = 1;
    static constexpr int kMonitorPeriodMs = 2500;

    static constexpr Colorref kGreen = 0x00FF00;
    static constexpr Colorref kRed = 0x0000FF;
    static constexpr Colorref kWhite = 0xFFFFFF;
    static constexpr Colorref kBlack = 0x000000;

    // The maker's web site, opened by button 1013.
    static constexpr const char* kWebSiteAddress = "https://www.dravik.example/kelvane";

    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    // Builds the controls in their template states, the engine (which takes
    // the chip) and the paths of Root.ini and error.txt. The start-up file
    // check has already passed.
    explicit CKelvaneDlg(const CKelvaneDlgSeams& seams, QWidget* parent = nullptr);
    // Saves the preferences into Root.ini; the engine then puts the chip's
    // registers back as it found them.
    ~CKelvaneDlg() override;

    // The window's initialisation: outline, captions from the language file,
    // face layout, preferences and mail logon, engine start and first
    // refresh. False when the dialog has ended (the engine did not start:
    // "Initial value fail!" was shown).
    bool InitDialog(bool startMinimised = false);

    // Timer handler by designed id (1: monitoring tick).
    void OnTimer(int id);
    // One monitoring refresh: update the engine, show the next entry of each
    // rotation list, run the warning check.
    void RefreshDisplay();
    // A relayed power code: 4 suspend, 7 resume. True when handled.
    bool OnPowerBroadcast(int code);

    void ShowDetail();
    void ShowCompact();
    bool IsExpanded() const { return m_bExpanded; }
    // Area buttons: the graph view ("Detail") or the numeric view ("Back").
    void ShowAreaView(Area area, bool graph);

    void OpenHelpPage();
    void OpenWebSite();
    // The About box, modal.
    void ShowAbout();

    // True when no automation client holds the proxy; otherwise hides the
    // window and refuses.
    bool CanExit();
    // Button 2: the dialog ends when CanExit allows.
    void OnCancel();
    // Ends the dialog with result (kResultOk, kResultCancel): hides the
    // window and emits finished.
    void EndDialog(int result);
    bool IsEnded() const { return m_bEnded; }
    int Result() const { return m_nResult; }

    void SetAutomationService(CAutomationService* service);

    // Part of the window other windows work with.
    CHardwareMonitor& Engine() { return m_Engine; }
    CUserPreferences& Preferences() { return m_prefs; }
    const CUserPreferences& Preferences() const { return m_prefs; }
    bool IsMailReady() const { return m_bMailReady; }
    void LoadPreferences(const std::string& path);
    void SavePreferences(const std::string& path) const;
    bool InitEmail();
    const std::string& IniPath() const { return m_strIniPath; }
    const std::string& LogPath() const { return m_strLogPath; }
    const std::string& BoardName() const { return m_strBoardName; }
    const std::string& LanguageFile() const { return m_strLangFile; }
    const CSkinLibrary& Skins() const { return m_skins; }
    const CWarningMonitor& Warnings() const { return m_warnings; }
    bool IsMonitoring() const { return m_monitorTimer.isActive(); }
    bool StartsMinimised() const { return m_bStartMinimised; }

    int VoltPosition() const { return m_nVoltPos; }
    int FanPosition() const { return m_nFanPos; }
    int TempPosition() const { return m_nTempPos; }

    CSkinButton* Button(int id) const;
    CSegmentDisplay* Display(int id) const;
    CTransparentStatic* Label(int id) const;
    // The outline currently applied (the window's mask).
    const QRegion& Outline() const { return m_outline; }
    const QImage& Face() const { return m_face; }

    // A reading as the displays show it: "%3.1f" with every "," made ".",
    // so that a locale with a decimal comma never reaches the display.
    static QString FormatReal(double value);
    // The colour rule of a value display: red when the item is out of range
    // and the display is green, green when in range and red; otherwise the
    // colours stay.
    static void ApplyAlarmColour(CSegmentDisplay& display, bool outOfRange);
    // font, made smaller one pixel at a time down to smallestPixels until
    // text fits into width.
    static QFont FitFont(QFont font, const QString& text, int width, int smallestPixels);

Q_SIGNALS:
    void monitorSettingRequested();   // 1002
    void displaySettingRequested();   // 1001
    void suiteItemsRequested();       // 1000
    void minimiseToTrayRequested();   // 1014
    void areaViewChanged(CKelvaneDlg::Area area, bool graph);
    void monitoringTicked();
    void finished(int result);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void CreateControls();
    void LocaliseButtons();
    void LayoutFace();
    void StartEngine();
    void ApplyForm(int outlineId, int faceId);
    void ConnectButtons();
    QMenu* WindowMenu();

    void ShowName(CTransparentStatic& label, const std::string& name);
    void ShowVoltSlot();
    void ShowTempSlot();
    void ShowFanSlot();
    void CheckWarnings();
    static int Advance(int position, int count);

    CKelvaneDlgSeams m_seams;
    std::string m_strIniPath;
    std::string m_strLogPath;
    std::string m_strBoardName;
    std::string m_strLangFile;
    CSkinLibrary m_skins;
    CUserPreferences m_prefs;
    bool m_bMailReady = false;
    CHardwareMonitor m_Engine;
    CWarningMonitor m_warnings;
    CEmailLogon m_emailLogon;

    std::map<int, CSkinButton*> m_buttons;
    std::map<int, CTransparentStatic*> m_labels;
    std::map<int, CSegmentDisplay*> m_displays;
    QMenu* m_windowMenu = nullptr;

    QRegion m_outline;
    QImage m_face;
    bool m_bExpanded = false;

    int m_nVoltPos = 0;
    int m_nTempPos = 0;
    int m_nFanPos = 0;

    QBasicTimer m_monitorTimer;
    CAutomationService* m_pAutomation = nullptr;
    bool m_bHiddenByRefusedClose = false;
    bool m_bStartMinimised = false;
    bool m_bEnded = false;
    int m_nResult = 0;

    // Dragging by the face when the window system cannot move the window
    // itself.
    bool m_bDragging = false;
    QPoint m_dragOffset;
};
