#include "app/CKelvaneDlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMoveEvent>
#include <QPainter>

#include <algorithm>
#include <chrono>

#include "app/CAboutBox.h"
#include "app/CAlarmPresenter.h"
#include "app/CFaceWells.h"
#include "app/CSessionNotices.h"
#include "windows/CIniFile.h"
#include "app/CStartupFiles.h"
#include "platform/IMessageBox.h"
#include "skin/CSkinButton.h"
#include "platform/CAccessPathChooser.h"
#include "platform/CProfileWritePass.h"
#include "skin/SkinRegion.h"
#include "windows/CFaceCaptions.h"
#include "windows/CDBusNotifier.h"
#include "windows/CShutdownCountdown.h"
#include "windows/CHelpPage.h"
#include "windows/CInstanceChecker.h"
#include "windows/IShellOpener.h"
#include "windows/CHistoryButtons.h"
#include "windows/CWindowMenu.h"

namespace {

// The board defaults file and the paths of Root.ini and error.txt follow the
// same rule as the start-up check, so they come from there.
CStartupFiles PathsOf(const CKelvaneDlgSeams& seams)
{
    return CStartupFiles(seams.engine.programDirectory, seams.boardName);
}

CMonitorSessionSeams SessionSeams(const CKelvaneDlgSeams& seams)
{
    return CMonitorSessionSeams{seams.engine,    seams.mailer, seams.localTime, seams.boardName,
                                PathsOf(seams).LogPath(), ""};
}

}  // namespace

CKelvaneDlg::CKelvaneDlg(const CKelvaneDlgSeams& seams, std::unique_ptr<CInstanceChecker> instanceChecker,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_seams(seams),
      m_strIniPath(PathsOf(seams).IniPath()),
      m_strLogPath(PathsOf(seams).LogPath()),
      m_strBoardName(seams.boardName),
      m_skins(CSkinLibrary::SkinDirectory(QString::fromStdString(seams.engine.programDirectory))),
      m_link(SessionSeams(seams), std::chrono::milliseconds(kMonitorPeriodMs), m_prefs, m_bMailReady),
      m_suiteItems([this]() -> const CSessionSnapshot& { return Snapshot(); }),
      m_emailLogon(seams.mailer, seams.engine.messageBox),
      m_pInstanceChecker(std::move(instanceChecker)),
      m_trayHost(seams.sessionBus),
      m_TrayIcon(m_trayHost, seams.systemBus),
      // The panels and charts show the latest snapshot: no engine lock on
      // this thread.
      m_panelHost(m_link.Session().Engine(), m_skins, m_prefs.m_nSubVoltItem.data(), m_prefs.m_bCentigrade, nullptr,
                  [this](int index, ISubScreenHost::SItem& item) { return m_link.ReadItem(index, item); }),
      // So does the link with Dravik Manager.
      m_suiteLink(m_suiteItems, seams.engine.registry, seams.suiteLink, m_prefs),
      m_dialogs(CSettingDialogs::SContext{*this, m_link, m_prefs, m_skins, m_panels, seams.engine.profile,
                                          seams.languageCode, seams.shell, seams.engine.programDirectory,
                                          seams.autostartDirectory, m_strIniPath,
                                          [this](const std::string& path) { SavePreferences(path); },
                                          [this] { return InitEmail(); }}),
      m_controls(*this, m_skins),
      m_language(seams.engine.profile, seams.languageCode),
      m_placement(*this, m_prefs),
      m_trayPresence(*this, m_TrayIcon, m_placement,
                     CTrayPresence::SCommands{[this] { m_pHistory->Open(); }, [this] { ShowAbout(); },
                                              [this] { OnClose(); }}),
      m_exitGuard(*this, [this] {
          if (!m_bEnded) EndDialog(kResultCancel);
      }),
      m_drag(*this)
{
    setWindowTitle(QStringLiteral("Kelvane"));
    setWindowIcon(CSystemTray::IconFromImage(m_skins.Image(kIcon)));
    setObjectName(QStringLiteral("Kelvane"));

    // The compact form until InitDialog applies the outline.
    m_face = m_skins.Image(kCompactFace);
    const QImage outline = m_skins.Load(kCompactOutline);
    // A fixed face: equal minimum and maximum sizes tell the window manager
    // that the window can be neither resized nor maximised.
    setFixedSize(outline.isNull() ? QSize(404, 200) : outline.size());

    m_link.SetHandlers([this](bool tick) { ApplySnapshot(tick); }, [this](bool started) { EngineStarted(started); });
    CreateControls();
    const auto tr = [this](const char* english) { return Tr(english); };
    m_pAlarms = std::make_unique<CAlarmPresenter>(
        m_controls.AlarmStrip(), m_TrayIcon, m_prefs, seams.engine.clock, tr,
        std::make_unique<CDBusNotifier>(seams.sessionBus, QString::fromStdString(seams.engine.programDirectory) +
                                                              QStringLiteral("/skin/%1.png").arg(kIcon)));
    m_pNotices = std::make_unique<CSessionNotices>(*m_pAlarms, seams.engine.clock, tr);
    connect(&m_pNotices->Countdown(), &CShutdownCountdown::cancelled, this, &CKelvaneDlg::CancelShutdown);
    m_pHistory = std::make_unique<CHistoryButtons>(*this, [this] { return m_strHistoryFile; }, m_prefs,
                                                  seams.historyWindows, seams.engine.messageBox);
    ConnectButtons();
}

CKelvaneDlg::~CKelvaneDlg()
{
    m_suiteLink.Stop();
    m_pNotices->Stop();
    // The chip goes back first, on the session's thread: the fans must not
    // wait for slow file work.
    m_link.HandBack();
    m_pHistory.reset();
    SavePreferences(m_strIniPath);
    m_TrayIcon.DeleteTrayIcon();
    // The panels and the other controls are children of this window: they
    // go now, while the engine and the skin they read still exist.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    // The engine member is destroyed after this body and unloads the
    // driver.
}

void CKelvaneDlg::CreateControls()
{
    m_pWells = std::make_unique<CFaceWells>(
        m_prefs,
        CFaceWells::SControls{Display(kIdVoltDisplay), Display(kIdFanDisplay), Display(kIdTempDisplay),
                              Label(kIdVoltName), Label(kIdFanName), Label(kIdTempName), Label(kIdTempUnit)},
        font());
    m_pWindowMenu = std::make_unique<CWindowMenu>(
        *this, [this](const char* english) { return Tr(english); }, [this] { ShowAbout(); });
}

void CKelvaneDlg::ConnectButtons()
{
    const auto on = [this](int id, auto handler) { connect(Button(id), &CSkinButton::clicked, this, handler); };
    on(kIdClose, [this] { OnCancel(); });
    on(kIdHelp, [this] { OpenHelpPage(); });
    on(kIdWebSite, [this] { OpenWebSite(); });
    on(kIdExpand, [this] { ShowDetail(); });
    on(kIdCollapse, [this] { ShowCompact(); });
    on(kIdVoltDetail, [this] { ShowAreaView(Area::Volt, true); });
    on(kIdVoltBack, [this] { ShowAreaView(Area::Volt, false); });
    on(kIdFanDetail, [this] { ShowAreaView(Area::Fan, true); });
    on(kIdFanBack, [this] { ShowAreaView(Area::Fan, false); });
    on(kIdTempDetail, [this] { ShowAreaView(Area::Temp, true); });
    on(kIdTempBack, [this] { ShowAreaView(Area::Temp, false); });
    on(kIdMonitorSetting, [this] { OpenMonitorSetting(); });
    on(kIdDisplaySetting, [this] { OpenDisplaySetting(); });
    on(kIdDravikManager, [this] { OpenSuiteItems(); });
    on(kIdMinimal, [this] { MinimiseToTray(); });
    connect(&m_TrayIcon, &CSystemTray::Command, this, [this](int command) { OnTrayCommand(command); });
    // Suspend and resume arrive through the tray object only, so each is
    // handled once.
    connect(&m_TrayIcon, &CPowerAwareTray::PowerBroadcast, this, [this](int code) { OnPowerBroadcast(code); });
}

bool CKelvaneDlg::InitDialog(bool startMinimised)
{
    // A later copy has found this one's listener and asks for the window.
    // (The check itself ran before the engine took the chip, in
    // CKelvaneApp, so that a second copy never touches the chip.)
    if (m_pInstanceChecker)
        connect(m_pInstanceChecker.get(), &CInstanceChecker::ActivationRequested, this, &CKelvaneDlg::BringBack);
    AddTrayIcon();

    ApplyForm(kCompactOutline, kCompactFace);
    m_panels.SetShown(false);
    LocaliseButtons();
    LayoutFace();
    LoadPreferences(m_strIniPath);
    m_link.Start(m_seams.sessionThread);
    if (!m_bEnded) m_link.StartHistory(m_strHistoryFile);

    // The panels read their items once as they are made: from the start's
    // snapshot, which a session on its own thread has not published yet.
    if (!m_seams.sessionThread) CreatePanels();
    // The form and the area views the window had when it last closed; the
    // place is checked against the size of that form.
    const bool expanded = m_prefs.m_bExpanded;
    if (expanded) ShowDetail();
    m_placement.Restore();
    const std::pair<Area, bool> views[] = {
        {Area::Volt, m_prefs.m_bVoltGraph}, {Area::Fan, m_prefs.m_bFanGraph}, {Area::Temp, m_prefs.m_bTempGraph}};
    for (const auto& [area, graph] : views)
        if (graph) ShowAreaView(area, true);
    // A dialog that has ended (the engine did not start) does not announce
    // itself to Dravik Manager.
    if (!m_seams.sessionThread && !m_bEnded) StartSuiteLink();

    m_bStartMinimised = startMinimised;
    if (startMinimised && !m_bEnded) MinimiseToTray();
    return !m_bEnded;
}

void CKelvaneDlg::EngineStarted(bool started)
{
    if (m_bEnded) return;
    if (!started) {
        m_seams.engine.messageBox.Show("Initial value fail!", "ERROR", MessageBoxStyle::kOk);
        EndDialog(kResultCancel);
        return;
    }
    if (!m_seams.sessionThread) return;
    CreatePanels();
    const std::pair<CSubScreenPanels::Area, bool> views[] = {{CSubScreenPanels::Area::Voltage, m_prefs.m_bVoltGraph},
                                                             {CSubScreenPanels::Area::Fan, m_prefs.m_bFanGraph},
                                                             {CSubScreenPanels::Area::Temperature, m_prefs.m_bTempGraph}};
    for (const auto& [area, graph] : views)
        if (graph) m_panels.ShowArea(area, true);
    StartSuiteLink();
}

void CKelvaneDlg::CreatePanels()
{
    m_panels.CreatePanels(this, m_panelHost);
    m_panels.TranslateCaptions([this](const char* english) { return Tr(english); });
}

void CKelvaneDlg::AddTrayIcon()
{
    const QIcon icon = CSystemTray::IconFromImage(m_skins.Image(kIcon));
    m_pAlarms->SetTrayIcons(icon, CSystemTray::AlarmVariant(icon));
    m_TrayIcon.AddTrayIcon(this, icon, CSystemTray::kTooltip, CSystemTray::kIconId);
}

void CKelvaneDlg::StartSuiteLink()
{
    if (m_suiteLink.Start(m_seams.cpuClock)) Button(kIdDravikManager)->setEnabled(true);
}

void CKelvaneDlg::ApplyForm(int outlineId, int faceId)
{
    const QImage outlineBitmap = m_skins.Load(outlineId);
    const SkinRegion outline = RegionFromBitmap(outlineBitmap, kWhite, false);
    // Without an outline the window keeps its previous one.
    if (outline.valid) {
        m_outline = outline.region;
        setFixedSize(outlineBitmap.size());
        setMask(m_outline);
    }
    m_face = m_skins.Image(faceId);
    update();
}

void CKelvaneDlg::LocaliseButtons()
{
    m_language.TranslateControls(*this, {kIdMonitorSetting, kIdDisplaySetting, kIdDravikManager});
    m_TrayIcon.TranslateMenu([this](const QString& text) { return Tr(text.toUtf8().constData()); });
    m_pNotices->Countdown().SetTranslation([this](const QString& text) { return Tr(text.toUtf8().constData()); });
    m_pHistory->Translate([this](const char* english) { return Tr(english); });
}

void CKelvaneDlg::LayoutFace()
{
    m_controls.Layout([this](const char* english) { return Tr(english); });
}

void CKelvaneDlg::LoadPreferences(const std::string& path)
{
    const CIniFile file(path, m_seams.engine.profile);
    m_prefs.LoadPreferences(file);
    InitEmail();
}

void CKelvaneDlg::SavePreferences(const std::string& path) const
{
    // All the keys, and Root.ini written once.
    CProfileWritePass pass(m_seams.engine.profile);
    CIniFile file(path, m_seams.engine.profile);
    m_prefs.SavePreferences(file);
}

bool CKelvaneDlg::InitEmail() { return m_emailLogon.InitEmail(m_prefs, m_bMailReady); }

void CKelvaneDlg::ApplySnapshot(bool tick)
{
    m_pNotices->ApplyEvents(Snapshot());
    if (!tick) return UpdateCountdown();
    RefreshDisplay();
    if (Snapshot().tick != 0) {
        // The graph panels take their samples here, visible or not.
        m_panels.TickGraphs();
        emit monitoringTicked();
    }
}

void CKelvaneDlg::OnTimer(int id)
{
    if (id == kMonitorTimer) {
        // The session on this thread: the tests' stepping, and a suspend's
        // time while the runner waits.
        m_link.Tick();
    } else if (id == kSuiteTimer) {
        m_suiteLink.SendNextReading();
    }
}

void CKelvaneDlg::RefreshDisplay()
{
    m_pWells->Show(Snapshot());
    m_pAlarms->Show(Snapshot(), m_pWells->Items());
    UpdateCountdown();
}

void CKelvaneDlg::UpdateCountdown() { m_pNotices->UpdateCountdown(m_link.Current()); }

void CKelvaneDlg::ShowDetail()
{
    Button(kIdExpand)->hide();
    Button(kIdVoltDetail)->show();
    Button(kIdVoltBack)->show();
    ApplyForm(kExpandedOutline, kExpandedFace);
    m_panels.SetShown(true);
    m_pHistory->SetVisible(true);
    m_bExpanded = true;
    m_prefs.m_bExpanded = true;
    // The longer form grows downwards: it must not run off the screen.
    if (isVisible()) m_placement.KeepOnScreen();
    repaint();
}

void CKelvaneDlg::ShowCompact()
{
    Button(kIdVoltDetail)->hide();
    Button(kIdVoltBack)->hide();
    Button(kIdExpand)->show();
    ApplyForm(kCompactOutline, kCompactFace);
    m_panels.SetShown(false);
    m_pHistory->SetVisible(false);
    m_bExpanded = false;
    m_prefs.m_bExpanded = false;
    repaint();
}

void CKelvaneDlg::ShowAreaView(Area area, bool graph)
{
    const auto [backId, detailId] = [area]() -> std::pair<int, int> {
        switch (area) {
            case Area::Volt: return {kIdVoltBack, kIdVoltDetail};
            case Area::Fan: return {kIdFanBack, kIdFanDetail};
            case Area::Temp: break;
        }
        return {kIdTempBack, kIdTempDetail};
    }();
    Button(detailId)->setEnabled(!graph);
    Button(backId)->setEnabled(graph);
    const CSubScreenPanels::Area panelArea = area == Area::Volt  ? CSubScreenPanels::Area::Voltage
                                             : area == Area::Fan ? CSubScreenPanels::Area::Fan
                                                                 : CSubScreenPanels::Area::Temperature;
    if (m_panels.IsCreated()) m_panels.ShowArea(panelArea, graph);
    (area == Area::Volt ? m_prefs.m_bVoltGraph : area == Area::Fan ? m_prefs.m_bFanGraph : m_prefs.m_bTempGraph) = graph;
    emit areaViewChanged(area, graph);
}

void CKelvaneDlg::OpenHelpPage()
{
    const CHelpPage page(m_seams.engine.programDirectory, m_seams.languageCode, m_seams.shell);
    page.OpenHelpPage();
}

void CKelvaneDlg::OpenWebSite() { m_seams.shell.OpenFile(m_seams.engine.programDirectory + kAboutPage); }

void CKelvaneDlg::SetAccessState(bool simulated, std::vector<std::string> notes)
{
    m_about.SetAccessState(simulated, std::move(notes));
    m_controls.ShowSimulatedTag(simulated, simulated ? Tr("SIMULATED") : QString(),
                                QString::fromLatin1(CAccessPathChooser::kSimulatedText));
}

void CKelvaneDlg::ShowAbout() { m_about.Show(this, m_skins, m_language, Snapshot().chipSetType); }

void CKelvaneDlg::OpenSuiteItems() { m_suiteLink.OpenItems(this, m_seams.engine.profile, m_language.File()); }

void CKelvaneDlg::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    m_trayPresence.Moved();
}

void CKelvaneDlg::BringBack()
{
    if (!m_bEnded) m_trayPresence.BringBack();
}

void CKelvaneDlg::contextMenuEvent(QContextMenuEvent* event) { m_pWindowMenu->Popup(event->globalPos()); }

void CKelvaneDlg::OnCancel()
{
    if (CanExit()) EndDialog(kResultCancel);
}

void CKelvaneDlg::EndDialog(int result)
{
    m_bEnded = true;
    m_nResult = result;
    // The monitoring ends here, and the chip goes back on the session's
    // thread before it does.
    m_link.Stop();
    m_suiteLink.Stop();
    hide();
    emit finished(result);
}

void CKelvaneDlg::closeEvent(QCloseEvent* event)
{
    // The dialog ends through EndDialog, never through Qt's own close.
    event->ignore();
    OnClose();
}

void CKelvaneDlg::OnClose()
{
    m_TrayIcon.DeleteTrayIcon();
    if (!m_bEnded && CanExit()) EndDialog(kResultCancel);
}

void CKelvaneDlg::paintEvent(QPaintEvent* event)
{
    if (m_face.isNull()) return;
    QPainter painter(this);
    // Only what is to be painted, a few rows at a time: a tick repaints a
    // few small areas of many short runs, which in one blit the painter
    // would hand out to its worker threads and wait for.
    const QRect dirty = event->region().boundingRect() & m_face.rect();
    for (int top = dirty.top(); top <= dirty.bottom(); top += kPaintBandRows) {
        const QRect band(dirty.left(), top, dirty.width(), std::min(kPaintBandRows, dirty.bottom() + 1 - top));
        painter.drawImage(band.topLeft(), m_face, band);
    }
    // The captions engraved in the face, in the user's language.
    CFaceCaptions::Paint(painter, m_bExpanded, [this](const char* english) { return Tr(english); }, event->rect());
}

QStringList CKelvaneDlg::FaceCaptions() const
{
    return CFaceCaptions::List(m_bExpanded, m_panels, [this](const char* english) { return Tr(english); });
}

