// The program's only top-level window: a frameless face cut to the outline of
// a skin bitmap, with three rotating value displays (voltage, fan speed,
// temperature), the buttons of the setting dialogs, the help page, the web
// site and the tray, and in its expanded form three sub-screen areas. It
// shows the snapshots of the monitoring session (CSessionLink): each tick
// shows the next entry of each rotation list (red when out of range, green
// otherwise, "OFF" when disabled), the alarms, and feeds the graph panels.
//
// It also owns, for its whole life, the tray icon (which relays suspend and
// resume), the six sub-screen panels, the link with Dravik Manager (timer 2,
// 3000 ms, when the suite was found at start) and the single-instance
// listener handed over by the start.
//
// Controls carry their ids as objectName and as the dynamic property
// "controlId".
#pragma once

#include <QDBusConnection>
#include <QImage>
#include <QRegion>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/CEmailLogon.h"
#include "windows/CUserPreferences.h"
#include "app/CMonitorSession.h"
#include "app/CSessionLink.h"
#include "app/CSettingDialogs.h"
#include "app/CSnapshotSuiteItems.h"
#include "engine/CEngineSeams.h"
#include "engine/CHardwareMonitor.h"
#include "history/CHistoryWriter.h"
#include "skin/CSkinLibrary.h"
#include "skin/SkinColour.h"
#include "windows/CInstanceChecker.h"
#include "windows/CPowerAwareTray.h"
#include "windows/CQtTrayHost.h"
#include "windows/CSubScreenHostRefs.h"
#include "windows/CSubScreenPanels.h"
#include "windows/CSuiteConnection.h"
#include "windows/CWindowPlacement.h"
#include "windows/CFaceControls.h"
#include "windows/CTrayPresence.h"
#include "app/CAlarmPresenter.h"
#include "app/CExitGuard.h"
#include "app/CAboutBox.h"
#include "windows/CFaceDrag.h"
#include "windows/CWindowLanguage.h"
#include "app/CFaceWells.h"
#include "app/CSessionNotices.h"
#include "windows/CHistoryButtons.h"

class CAlarmStrip;
class CAutomationService;
class CShutdownCountdown;
class IDesktopNotifier;
class CSegmentDisplay;
class CSkinButton;
class CTransparentStatic;
class IMailer;
class IShellOpener;
class ILocalTime;
class CWindowMenu;
class QPushButton;

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
    // The desktop's buses: the session bus for the tray host, the system bus
    // for the login manager's suspend and resume notices. Tests give
    // unconnected ones.
    QDBusConnection sessionBus;
    QDBusConnection systemBus;
    // Where the link with Dravik Manager looks (the /proc root and the
    // window classes); tests use classes of their own.
    CSuiteTransport::Options suiteLink;
    // The processor clock in MHz as text (CSystemInfo::GetCpuClock); asked
    // only when Dravik Manager is found. May be empty.
    std::function<std::string()> cpuClock;
    // Where the Display Setting dialog writes the autostart entry.
    std::string autostartDirectory;
    // The monitoring session runs on a thread of its own (the program), the
    // engine's start included; false: the engine starts and the window's
    // timer ticks it on the window's thread (tests that step the window tick
    // by tick).
    bool sessionThread = false;
    // Makes the history window when it is first opened (the program loads
    // its module then); empty: the History buttons say it is not there.
    HistoryWindowFactory historyWindows = {};
};

class CKelvaneDlg : public QWidget {
    Q_OBJECT

public:
    using enum CFaceControls::ControlId;

    // The three sub-screen areas of the expanded form.
    enum class Area { Volt, Fan, Temp };
    Q_ENUM(Area)


    // The face's captions (CFaceCaptions: the title line and the wells; the
    // rails and panels in the expanded form; the pictures carry no words) as
    // painted now, in the user's language.
    QStringList FaceCaptions() const;
    // A caption of the window's section ("Kelvane") in the user's language.
    QString Tr(const char* english) const { return m_language.Tr(english); }

    static constexpr int kCompactOutline = 150;
    static constexpr int kCompactFace = 146;
    static constexpr int kExpandedOutline = 147;
    static constexpr int kExpandedFace = 143;
    static constexpr int kAboutPicture = 224;
    static constexpr int kIcon = 128;
    // Rows the face is painted in at a time.
    static constexpr int kPaintBandRows = 4;

    static constexpr int kMonitorTimer = 1;
    static constexpr int kMonitorPeriodMs = 2500;
    static constexpr int kSuiteTimer = 2;
    static constexpr int kSuitePeriodMs = CSuiteConnection::kPeriodMs;
    // The name the program reports itself under to Dravik Manager.
    static constexpr const char* kApplicationName = CSuiteConnection::kApplicationName;

    static constexpr Colorref kGreen = CFaceWells::kGreen;
    static constexpr Colorref kRed = CFaceWells::kRed;
    static constexpr Colorref kWhite = CFaceWells::kWhite;
    // Amber: the SIMULATED tag, and a well without a value to show (a
    // failed reading "ERR", a fan that read no speed at the start "NO FAN").
    static constexpr Colorref kAmber = CFaceWells::kAmber;
    static constexpr Colorref kBlack = CFaceControls::kBlack;

    // The project's own page, opened by button 1013: a local about page in
    // the program directory (the project keeps no web site).
    static constexpr const char* kAboutPage = "/help/about.htm";

    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    // Builds the controls in their template states, the engine (which takes
    // the chip) and the paths of Root.ini and error.txt. The start-up file
    // check has already passed. instanceChecker: the single-instance listener
    // of the first copy (CKelvaneApp makes the check before the engine takes
    // the chip); the window keeps it for its life. Null: no single-instance
    // tracking (tests, tools).
    explicit CKelvaneDlg(const CKelvaneDlgSeams& seams, std::unique_ptr<CInstanceChecker> instanceChecker = nullptr,
                         QWidget* parent = nullptr);
    // Saves the preferences into Root.ini and takes the tray icon out; the
    // engine then puts the chip's registers back as it found them.
    ~CKelvaneDlg() override;

    // The window's initialisation, in order: a later copy's activation
    // request connected to BringBack, the tray icon, outline, captions from
    // the language file, face layout, preferences and mail logon, engine
    // start and first refresh, the six panels, the link with Dravik Manager,
    // and with startMinimised ("-m"/"-M") the move to the tray. False when
    // the dialog has ended (the engine did not start: "Initial value fail!"
    // was shown). With the session on its own thread the engine starts
    // there: the panels and the suite link follow its first snapshot, and a
    // failed start ends the dialog then.
    bool InitDialog(bool startMinimised = false);

    // Timer handler by designed id (1: monitoring tick and graphs, 2: the
    // next reading to Dravik Manager).
    void OnTimer(int id);
    // The countdown box's own beat while a shutdown timer runs.
    static constexpr int kCountdownPeriodMs = CSessionNotices::kCountdownPeriodMs;
    // One monitoring refresh: a tick of the session, then the next entry of
    // each rotation list and the alarms shown.
    void RefreshDisplay();
    // The desktop notifications of alarms, failed mails and the power-off;
    // by default org.freedesktop.Notifications on the session bus. Must
    // outlive the window; null restores the default.
    void SetNotifier(IDesktopNotifier* notifier) { m_pAlarms->SetNotifier(notifier); }
    // The strip over the face's captions naming every item in alarm.
    CAlarmStrip& AlarmStrip() const { return m_controls.AlarmStrip(); }
    // The engine indices of the examined items in alarm at the last tick.
    const std::vector<int>& AlarmItems() const { return Snapshot().alarmItems; }
    // The countdown box (created with the window, shown while a shutdown
    // timer runs).
    CShutdownCountdown& Countdown() { return m_pNotices->Countdown(); }
    // Cancel of the countdown box: the item's shut-down is switched off for
    // the session, and the log records it.
    void CancelShutdown(int item) { m_link.CancelShutdown(item); }
    // A mail that could not be sent: one log line and one notification.
    void OnMailFailed(const std::string& failure) { m_link.OnMailFailed(failure); }

    // A relayed power code: 4 suspend, 7 resume. True when handled.
    bool OnPowerBroadcast(int code) { return m_link.OnPowerBroadcast(code); }

    void ShowDetail();
    void ShowCompact();
    bool IsExpanded() const { return m_bExpanded; }
    // Area buttons: the graph view ("Detail") or the numeric view ("Back").
    void ShowAreaView(Area area, bool graph);

    void OpenHelpPage();
    void OpenWebSite();
    // The About box, modal.
    void ShowAbout();

    // Button 1002: the Monitor Setting dialog, modal, with the fan and
    // temperature panels it updates.
    void OpenMonitorSetting() { m_dialogs.OpenMonitorSetting(); }
    // Button 1001: the Display Setting dialog, modal.
    void OpenDisplaySetting() { m_dialogs.OpenDisplaySetting(); }
    // Button 1000: the items sent to Dravik Manager, modal.
    void OpenSuiteItems();

    // The tray's commands and moves (CTrayPresence); button 1014 is
    // MinimiseToTray.
    void OnTrayCommand(int commandId) { m_trayPresence.OnCommand(commandId); }
    void MinimiseToTray() { m_trayPresence.MinimiseToTray(); }
    void RestoreFromTray() { m_trayPresence.RestoreFromTray(); }
    // A later copy asked for this window: back from the tray or from
    // minimised, raised and activated; nothing once the dialog has ended.
    void BringBack();
    bool IsInTray() const { return m_trayPresence.IsInTray(); }

    // True when no automation client holds the proxy; otherwise hides the
    // window and refuses, and the dialog ends once the last client lets go.
    bool CanExit() { return m_exitGuard.CanExit(); }
    void SetAutomationService(CAutomationService* service) { m_exitGuard.SetService(service); }
    // Button 2: the dialog ends when CanExit allows.
    void OnCancel();
    // Ends the dialog with result (kResultOk, kResultCancel): hides the
    // window and emits finished.
    void EndDialog(int result);
    bool IsEnded() const { return m_bEnded; }
    int Result() const { return m_nResult; }

    // How the engine reaches the chip, for the About box.
    void SetChipAccess(std::string text)
    {
        m_link.Session().SetAccess(text);
        m_about.SetChipAccess(std::move(text));
    }
    // What the window says of the chip it reads: "SIMULATED" in the title
    // strip and in About for the simulator; what was passed over on the way,
    // in About. A kernel driver's ownership (About, Monitor Setting) is the
    // access library's to say, asked when the box opens.
    void SetAccessState(bool simulated, std::vector<std::string> notes);

    // The history file every tick is recorded into, set before InitDialog;
    // empty (the default): no history.
    void SetHistoryFile(std::string path) { m_strHistoryFile = std::move(path); }
    const std::string& HistoryFile() const { return m_strHistoryFile; }
    // The writer of the running history; null without one. A session on
    // its own thread makes it there: ask only without one.
    const CHistoryWriter* History() const { return m_link.Session().History(); }
    IHistoryWindow* HistoryWindow() const { return m_pHistory->Window(); }
    // The areas' buttons that open it (volt, fan, temperature).
    QPushButton* HistoryButton(Area area) const { return m_pHistory->Button(static_cast<int>(area)); }

    // Part of the window other windows work with.
    // The engine: on the window's thread only while the session is not on
    // a thread of its own (or held for a suspend).
    CHardwareMonitor& Engine() { return m_link.Session().Engine(); }
    CMonitorSession& Session() { return m_link.Session(); }
    // The snapshot the face shows now.
    const CSessionSnapshot& Snapshot() const { return *m_link.Current(); }
    // The session's thread, when it has one.
    CSessionRunner* Runner() const { return m_link.Runner(); }
    CUserPreferences& Preferences() { return m_prefs; }
    const CUserPreferences& Preferences() const { return m_prefs; }
    void LoadPreferences(const std::string& path);
    void SavePreferences(const std::string& path) const;
    bool InitEmail();
    const std::string& IniPath() const { return m_strIniPath; }
    const std::string& LogPath() const { return m_strLogPath; }
    const std::string& BoardName() const { return m_strBoardName; }
    const std::string& LanguageFile() const { return m_language.File(); }
    const CSkinLibrary& Skins() const { return m_skins; }
    const CWarningMonitor& Warnings() const { return m_link.Session().Warnings(); }
    bool IsMonitoring() const { return m_link.IsMonitoring(); }
    bool StartsMinimised() const { return m_bStartMinimised; }
    // Timer 2 runs: Dravik Manager was found at start.
    bool IsReportingToSuite() const { return m_suiteLink.IsReporting(); }

    CPowerAwareTray& Tray() { return m_TrayIcon; }
    CSubScreenPanels& Panels() { return m_panels; }
    const CSuiteReporter& SuiteReporter() const { return m_suiteLink.Reporter(); }
    const CSuiteTransport& SuiteTransport() const { return m_suiteLink.Transport(); }
    CInstanceChecker* InstanceChecker() const { return m_pInstanceChecker.get(); }

    int VoltPosition() const { return m_pWells->VoltPosition(); }
    int FanPosition() const { return m_pWells->FanPosition(); }
    int TempPosition() const { return m_pWells->TempPosition(); }

    CSkinButton* Button(int id) const { return m_controls.Button(id); }
    CSegmentDisplay* Display(int id) const { return m_controls.Display(id); }
    CTransparentStatic* Label(int id) const { return m_controls.Label(id); }
    // The outline currently applied (the window's mask).
    const QRegion& Outline() const { return m_outline; }
    const QImage& Face() const { return m_face; }


Q_SIGNALS:
    void areaViewChanged(CKelvaneDlg::Area area, bool graph);
    // After every tick of timer 1, once the graphs have their samples.
    void monitoringTicked();
    void finished(int result);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void LocaliseButtons();
    void LayoutFace();
    // The engine's start is over (on this thread): the panels and the suite
    // link, or "Initial value fail!" and the end of the dialog.
    void EngineStarted(bool started);
    void CreatePanels();
    void ApplyForm(int outlineId, int faceId);
    void ConnectButtons();
    void AddTrayIcon();
    void StartSuiteLink();
    // The window close: the tray icon out, then the dialog ends when
    // CanExit allows.
    void OnClose();

    // The snapshot the link delivered: its events, and with a tick the
    // wells, the alarms and the graphs.
    void ApplySnapshot(bool tick);
    void UpdateCountdown();

    CKelvaneDlgSeams m_seams;
    std::string m_strIniPath;
    std::string m_strLogPath;
    std::string m_strBoardName;
    CSkinLibrary m_skins;
    CUserPreferences m_prefs;
    bool m_bMailReady = false;
    CSessionLink m_link;
    CSnapshotSuiteItems m_suiteItems;
    CEmailLogon m_emailLogon;

    std::unique_ptr<CInstanceChecker> m_pInstanceChecker;
    // The tray object refers to its host: the host is built first and
    // destroyed last.
    CQtTrayHost m_trayHost;
    CPowerAwareTray m_TrayIcon;
    CSubScreenHostRefs m_panelHost;
    CSubScreenPanels m_panels;
    CSuiteConnection m_suiteLink;
    CSettingDialogs m_dialogs;
    CFaceControls m_controls;
    CWindowLanguage m_language;
    CWindowPlacement m_placement;
    std::unique_ptr<CFaceWells> m_pWells;
    std::unique_ptr<CAlarmPresenter> m_pAlarms;
    std::unique_ptr<CSessionNotices> m_pNotices;
    std::unique_ptr<CHistoryButtons> m_pHistory;

    CTrayPresence m_trayPresence;
    std::unique_ptr<CWindowMenu> m_pWindowMenu;
    CExitGuard m_exitGuard;
    CFaceDrag m_drag;
    CAboutBox m_about;

    QRegion m_outline;
    QImage m_face;
    bool m_bExpanded = false;

    std::string m_strHistoryFile;
    bool m_bStartMinimised = false;
    bool m_bEnded = false;
    int m_nResult = 0;
};
