#include "app/CKelvaneDlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeySequence>
#include <QMenu>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimerEvent>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>

#include "app/CAboutDlg.h"
#include "app/CAutomationService.h"
#include "windows/CIniFile.h"
#include "app/CPowerEventHandler.h"
#include "app/CStartupFiles.h"
#include "engine/CFanItem.h"
#include "engine/CTempItem.h"
#include "history/CHistoryLocation.h"
#include "platform/IClock.h"
#include "platform/IMessageBox.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "platform/CAccessPathChooser.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinCaption.h"
#include "skin/SkinRegion.h"
#include "windows/CAlarmStrip.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CFaceCaptions.h"
#include "windows/CDBusNotifier.h"
#include "windows/CShutdownCountdown.h"
#include "windows/CDisplaySettingDlg.h"
#include "windows/CFanSubScreen.h"
#include "windows/CHelpPage.h"
#include "windows/CHistoryWindow.h"
#include "windows/CInstanceChecker.h"
#include "windows/CMonitorSettingDlg.h"
#include "windows/CSuiteItemsDlg.h"
#include "windows/CSuiteLinkWatcher.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltSubScreen.h"
#include "windows/IShellOpener.h"
#include "windows/NameFit.h"

const std::array<CKelvaneDlg::SButtonPlace, 15> CKelvaneDlg::kButtonLayout{{
    {kIdClose, 338, 15, 184, 183, 182, 181, 181, "Close Kelvane"},
    {kIdMinimal, 304, 15, 180, 179, 178, 177, 177, "Minimal"},
    {kIdHelp, 321, 15, 243, 241, 242, 177, 177, "Help"},
    {kIdMonitorSetting, 49, 152, 171, 169, 168, 133, 133, "Moniter Item Setting"},
    {kIdDisplaySetting, 153, 152, 171, 169, 168, 133, 133, "Display Item Setting"},
    {kIdDravikManager, 257, 152, 171, 169, 168, 171, 133, "Dravik Manager Setting"},
    {kIdExpand, 178, 180, 160, 158, 159, 157, 157, "Show Sub Screen"},
    {kIdCollapse, 178, 545, 176, 175, 174, 173, 173, "Close Sub Screen"},
    {kIdWebSite, 168, 3, 189, 188, 187, 186, 186, "Dravik Website Link"},
    {kIdFanBack, 178, 301, 201, 200, 199, 200, 198, "Back"},
    {kIdFanDetail, 201, 301, 205, 204, 203, 204, 202, "Detail"},
    {kIdVoltBack, 178, 181, 201, 200, 199, 200, 198, "Back"},
    {kIdVoltDetail, 201, 181, 205, 204, 203, 204, 202, "Detail"},
    {kIdTempBack, 178, 421, 201, 200, 199, 200, 198, "Back"},
    {kIdTempDetail, 201, 421, 205, 204, 203, 204, 202, "Detail"},
}};

const std::array<CKelvaneDlg::STextPlace, 3> CKelvaneDlg::kDisplayLayout{{
    {kIdFanDisplay, 170, 70, 65, 35},
    {kIdTempDisplay, 305, 76, 50, 23},
    {kIdVoltDisplay, 42, 76, 58, 23},
}};

// The name labels span the inside of their wells: 50 pixels cannot hold
// item names such as "CPU Temperature", which the user may also rename. They
// keep the height and the top of the face's layout.
const std::array<CKelvaneDlg::STextPlace, 6> CKelvaneDlg::kLabelLayout{{
    {kIdFanUnit, 180, 107, 44, 12},
    {kIdVoltUnit, 62, 101, 24, 12},
    {kIdTempUnit, 320, 101, 24, 12},
    {kIdVoltName, 36, 54, 72, 22},
    {kIdFanName, 163, 48, 78, 22},
    {kIdTempName, 296, 54, 72, 22},
}};

namespace {

constexpr const char* kLanguageSection = "Kelvane";
constexpr const char* kSuiteItemsSection = "Dravik Manager Items";

// Text sizes of the face, in pixels, so that the face looks the same at any
// desktop font size: the skin's pictures do not scale either.
constexpr int kCaptionPixels = 11;
constexpr int kNamePixels = 11;
constexpr int kSmallestNamePixels = 8;
constexpr int kTwoLinePixels = 9;
constexpr int kUnitPixels = 10;

void TagControl(QWidget& control, int id)
{
    control.setObjectName(QString::number(id));
    control.setProperty("controlId", id);
}

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
      m_session(SessionSeams(seams)),
      m_snapshot(m_session.Latest()),
      m_emailLogon(seams.mailer, seams.engine.messageBox),
      m_pInstanceChecker(std::move(instanceChecker)),
      m_trayHost(seams.sessionBus),
      m_TrayIcon(m_trayHost, seams.systemBus),
      m_panelHost(m_session.Engine(), m_skins, m_prefs.m_nSubVoltItem.data(), m_prefs.m_bCentigrade,
                  &m_session.EngineMutex()),
      m_suiteItems(m_session.Engine()),
      m_suiteTransport(seams.engine.registry, seams.suiteLink),
      m_suiteReporter(m_suiteItems, m_suiteTransport, kApplicationName)
{
    setWindowTitle(QStringLiteral("Kelvane"));
    setWindowIcon(QIcon(QPixmap::fromImage(m_skins.Image(kIcon))));
    setObjectName(QStringLiteral("Kelvane"));

    // The compact form until InitDialog applies the outline.
    m_face = m_skins.Image(kCompactFace);
    const QImage outline = m_skins.Image(kCompactOutline);
    // A fixed face: equal minimum and maximum sizes tell the window manager
    // that the window can be neither resized nor maximised.
    setFixedSize(outline.isNull() ? QSize(404, 200) : outline.size());

    m_pOwnNotifier = std::make_unique<CDBusNotifier>(
        seams.sessionBus,
        QString::fromStdString(seams.engine.programDirectory) + QStringLiteral("/skin/%1.png").arg(kIcon));
    m_pNotifier = m_pOwnNotifier.get();
    m_pCountdown = std::make_unique<CShutdownCountdown>();
    connect(m_pCountdown.get(), &CShutdownCountdown::cancelled, this, &CKelvaneDlg::CancelShutdown);
    // A mailer that sends on its own thread reports here, on that thread:
    // the report is handed to the session, and the window told.
    m_seams.mailer.SetFailureHandler([this](const std::string& failure) {
        m_session.PostMailFailed(failure);
        // A runner drains the queue itself; else this thread does.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_pRunner || m_nSessionHolds > 0) ApplySnapshot(nullptr);
            },
            Qt::QueuedConnection);
    });

    CreateControls();
    CreateHistoryButtons();
    ConnectButtons();
}

CKelvaneDlg::~CKelvaneDlg()
{
    m_monitorTimer.stop();
    m_suiteTimer.stop();
    m_countdownTimer.stop();
    m_seams.mailer.SetFailureHandler(nullptr);
    // The chip goes back first, on the session's thread: the fans must not
    // wait for slow file work.
    m_session.PostReleaseChip();
    if (m_pRunner) m_pRunner->Stop();
    m_pRunner.reset();
    m_session.Drain();
    m_pHistoryWindow.reset();
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
    // Construction order of the window: name labels, buttons, unit labels,
    // value displays. Each starts as the dialog template has it.
    QFont caption = font();
    caption.setPixelSize(kCaptionPixels);
    setFont(caption);

    for (const int id : {kIdVoltName, kIdFanName, kIdTempName}) {
        auto* label = new CTransparentStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, this);
        TagControl(*label, id);
        m_labels[id] = label;
    }
    for (const SButtonPlace& place : kButtonLayout) {
        auto* button = new CSkinButton(&m_skins, this);
        TagControl(*button, place.id);
        // Reached with Tab (a click does not take the focus), pressed with
        // Space or Return, with an amber ring while focused.
        button->setFocusPolicy(Qt::TabFocus);
        button->SetActivatesOnReturn(true);
        button->SetFocusRing(kFocusRing);
        m_buttons[place.id] = button;
    }
    // Tab walks the face as it reads: the setting keys, the sub-screen
    // controls, then the badge and the title-bar buttons.
    const int tabOrder[] = {kIdMonitorSetting, kIdDisplaySetting, kIdDravikManager, kIdExpand,   kIdVoltBack,
                            kIdVoltDetail,     kIdFanBack,        kIdFanDetail,     kIdTempBack, kIdTempDetail,
                            kIdCollapse,       kIdWebSite,        kIdMinimal,       kIdHelp,     kIdClose};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(m_buttons[tabOrder[i - 1]], m_buttons[tabOrder[i]]);
    const std::pair<int, const char*> units[] = {{kIdVoltUnit, "V"}, {kIdFanUnit, "RPM"}, {kIdTempUnit, "\u00B0C"}};
    for (const auto& [id, text] : units) {
        auto* label = new CTransparentStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, this);
        TagControl(*label, id);
        QFont unitFont = caption;
        unitFont.setPixelSize(kUnitPixels);
        label->setFont(unitFont);
        label->SetText(QString::fromUtf8(text));
        m_labels[id] = label;
    }
    for (const int id : {kIdVoltDisplay, kIdFanDisplay, kIdTempDisplay}) {
        auto* display = new CSegmentDisplay(this);
        TagControl(*display, id);
        m_displays[id] = display;
    }

    // Over the captions under the wells, which an alarm makes the lesser
    // news; above every other control of that band.
    m_pAlarmStrip = new CAlarmStrip(this);
    m_pAlarmStrip->setGeometry(kAlarmStripPlace);

    m_buttons[kIdDravikManager]->setText(QStringLiteral("Dravik Manager"));
    m_buttons[kIdDisplaySetting]->setText(QStringLiteral("Display Setting"));
    m_buttons[kIdMonitorSetting]->setText(QStringLiteral("Monitor Setting"));
    m_buttons[kIdDravikManager]->setEnabled(false);  // until Dravik Manager is found
    m_buttons[kIdTempBack]->setEnabled(false);
    m_buttons[kIdFanBack]->setEnabled(false);
    m_buttons[kIdVoltBack]->setEnabled(false);
    m_buttons[kIdVoltBack]->hide();
    m_buttons[kIdVoltDetail]->hide();

    // The face is a caption everywhere, so a right click on it opens what
    // the window menu offered, and so does the window-menu key.
    // Window managers take Alt+Space for their own menu; the menu key and
    // Shift+F10, the keys of a context menu, are left to the window.
    for (const QKeySequence& key : {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::SHIFT | Qt::Key_F10),
                                    QKeySequence(Qt::Key_Menu)}) {
        auto* menuKey = new QShortcut(key, this);
        connect(menuKey, &QShortcut::activated, this, [this] { WindowMenu()->popup(mapToGlobal(QPoint(0, 0))); });
    }
    // A disabled setting key keeps its caption readable on the light key
    // picture: dark grey with a light emboss, not white on light grey.
    for (const int id : {kIdMonitorSetting, kIdDisplaySetting, kIdDravikManager}) {
        QPalette keyPalette = m_buttons[id]->palette();
        keyPalette.setColor(QPalette::Disabled, QPalette::WindowText, ColorFromColorref(kDisabledKeyText));
        keyPalette.setColor(QPalette::Light, QColor(0xF4, 0xF4, 0xF4));
        m_buttons[id]->setPalette(keyPalette);
    }
}

void CKelvaneDlg::ConnectButtons()
{
    const auto on = [this](int id, auto handler) { connect(m_buttons.at(id), &CSkinButton::clicked, this, handler); };
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
    connect(&m_TrayIcon, &CSystemTray::Command, this, &CKelvaneDlg::OnTrayCommand);
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
    LocaliseButtons();
    LayoutFace();
    LoadPreferences(m_strIniPath);
    StartEngine();
    StartHistory();

    m_panels.CreatePanels(this, m_panelHost);
    m_panels.TranslateCaptions([this](const char* english) { return Tr(english); });
    // The form and the area views the window had when it last closed; the
    // place is checked against the size of that form.
    const bool expanded = m_prefs.m_bExpanded;
    if (expanded) ShowDetail();
    RestorePlacement();
    const std::pair<Area, bool> views[] = {
        {Area::Volt, m_prefs.m_bVoltGraph}, {Area::Fan, m_prefs.m_bFanGraph}, {Area::Temp, m_prefs.m_bTempGraph}};
    for (const auto& [area, graph] : views)
        if (graph) ShowAreaView(area, true);
    // A dialog that has ended (the engine did not start) does not announce
    // itself to Dravik Manager.
    if (!m_bEnded) StartSuiteLink();

    m_bStartMinimised = startMinimised;
    if (startMinimised && !m_bEnded) MinimiseToTray();
    if (m_seams.sessionThread && !m_bEnded && m_monitorTimer.isActive()) {
        // From here on no chip transfer runs on the window's thread.
        m_monitorTimer.stop();
        m_pRunner = std::make_unique<CSessionRunner>(m_session, std::chrono::milliseconds(kMonitorPeriodMs),
                                                     [this] { SessionPublished(); });
        m_pRunner->Start();
    }
    return !m_bEnded;
}

void CKelvaneDlg::AddTrayIcon()
{
    m_trayIcon = CSystemTray::IconFromResource(m_seams.engine.programDirectory, kIcon);
    m_trayAlarmIcon = CSystemTray::AlarmVariant(m_trayIcon);
    m_TrayIcon.AddTrayIcon(this, m_trayIcon, CSystemTray::kTooltip, CSystemTray::kIconId);
}

void CKelvaneDlg::StartSuiteLink()
{
    // The endpoint is bound before the suite learns this program's id, so
    // that its first choice of readings cannot arrive at nobody.
    if (m_suiteTransport.Listen()) {
        m_pSuiteWatcher = std::make_unique<CSuiteLinkWatcher>(m_suiteTransport, m_suiteReporter);
    }
    if (!m_suiteTransport.FindSuiteWindow()) return;
    // The processor clock is read only when there is someone to send it to.
    if (!m_suiteReporter.Start(m_seams.cpuClock ? m_seams.cpuClock() : std::string())) return;
    m_buttons.at(kIdDravikManager)->setEnabled(true);
    m_suiteTimer.start(kSuitePeriodMs, this);
}

void CKelvaneDlg::ApplyForm(int outlineId, int faceId)
{
    const QImage outlineBitmap = m_skins.Image(outlineId);
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
    const CCaptionTranslator translator(m_seams.engine.profile, m_seams.languageCode);
    m_strLangFile = translator.TranslateCaptions(*this, kLanguageSection,
                                                 {kIdMonitorSetting, kIdDisplaySetting, kIdDravikManager});
    m_TrayIcon.TranslateMenu([this](const QString& text) { return Tr(text.toUtf8().constData()); });
    m_pCountdown->SetTranslation([this](const QString& text) { return Tr(text.toUtf8().constData()); });
    for (QPushButton* button : m_historyButtons) {
        if (!button) continue;
        button->setText(Tr("History"));
        button->setToolTip(Tr("The history of these readings"));
    }
}

QString CKelvaneDlg::Tr(const char* english) const
{
    // Looked up once: notifications and tooltips are made on every tick.
    const auto found = m_captions.find(english);
    if (found != m_captions.end()) return found->second;
    const QString caption =
        CCaptionTranslator::Lookup(m_seams.engine.profile, m_strLangFile, kLanguageSection, QString::fromUtf8(english));
    m_captions.emplace(english, caption);
    return caption;
}

void CKelvaneDlg::LayoutFace()
{
    for (const SButtonPlace& place : kButtonLayout) {
        CSkinButton* button = m_buttons.at(place.id);
        button->move(place.x, place.y);
        button->ApplySkin(place.normal, place.pressed, place.hover, place.disabled, 0, place.mask, 0, 0, 0);
        button->SetTipText(Tr(place.tooltip));
    }
    for (const STextPlace& place : kDisplayLayout) {
        CSegmentDisplay* display = m_displays.at(place.id);
        display->setGeometry(place.x, place.y, place.width, place.height);
        display->SetSegmentColours(kBlack, kGreen);
        display->SetTransparentMode(true);
        display->ChangeDisplayStyle(0, SDS_KEEP_ASPECT | SDS_LIT_ONLY | SDS_SOFT_EDGE);
    }
    for (const STextPlace& place : kLabelLayout) {
        CTransparentStatic* label = m_labels.at(place.id);
        label->setGeometry(place.x, place.y, place.width, place.height);
        label->SetTextColour(kGreen);
    }
}

void CKelvaneDlg::LoadPreferences(const std::string& path)
{
    const CIniFile file(path, m_seams.engine.profile);
    m_prefs.LoadPreferences(file);
    InitEmail();
}

void CKelvaneDlg::SavePreferences(const std::string& path) const
{
    CIniFile file(path, m_seams.engine.profile);
    m_prefs.SavePreferences(file);
}

bool CKelvaneDlg::InitEmail() { return m_emailLogon.InitEmail(m_prefs, m_bMailReady); }

void CKelvaneDlg::StartEngine()
{
    m_session.SetSettings(m_prefs, m_bMailReady);
    if (m_session.Start()) {
        m_monitorTimer.start(kMonitorPeriodMs, this);
    } else {
        m_seams.engine.messageBox.Show("Initial value fail!", "ERROR", MessageBoxStyle::kOk);
        EndDialog(kResultCancel);
    }
    ApplySnapshot(m_session.TakeLatest());
}

void CKelvaneDlg::SendSettings()
{
    if (m_pRunner && m_nSessionHolds == 0)
        m_session.PostSettings(m_prefs, m_bMailReady);
    else
        m_session.SetSettings(m_prefs, m_bMailReady);
}

void CKelvaneDlg::SessionPublished()
{
    // On the runner's thread: one queued call at a time, which takes the
    // latest snapshot with every event since the previous one.
    if (m_bPublishQueued.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_bPublishQueued = false;
            ApplySnapshot(m_session.TakeLatest());
        },
        Qt::QueuedConnection);
}

void CKelvaneDlg::HoldSession()
{
    if (m_nSessionHolds++ > 0 || !m_pRunner) return;
    m_pRunner->Pause();
    ApplySnapshot(m_session.TakeLatest());
    m_monitorTimer.start(kMonitorPeriodMs, this);
}

void CKelvaneDlg::ReleaseSession()
{
    SendSettings();
    if (--m_nSessionHolds > 0 || !m_pRunner) return;
    m_monitorTimer.stop();
    m_pRunner->Resume();
}

void CKelvaneDlg::ApplySnapshot(CMonitorSession::Snapshot snapshot)
{
    if (!snapshot) {
        // Commands posted on this thread (sync use): run them now.
        m_session.Drain();
        snapshot = m_session.TakeLatest();
    }
    const bool tick = !m_bShown || snapshot->tick != m_snapshot->tick;
    m_bShown = true;
    m_snapshot = std::move(snapshot);
    ApplyEvents(*m_snapshot);
    if (tick) {
        const bool first = m_snapshot->tick == 0;
        RefreshDisplay();
        if (!first) {
            // The graph panels take their samples here, visible or not.
            {
                const auto hold = m_session.LockEngine();
                m_panels.TickGraphs();
            }
            emit monitoringTicked();
        }
    } else {
        UpdateCountdown();
    }
}

void CKelvaneDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_monitorTimer.timerId())
        OnTimer(kMonitorTimer);
    else if (event->timerId() == m_countdownTimer.timerId())
        UpdateCountdown();
    else if (event->timerId() == m_suiteTimer.timerId())
        OnTimer(kSuiteTimer);
    else
        QWidget::timerEvent(event);
}

void CKelvaneDlg::OnTimer(int id)
{
    if (id == kMonitorTimer) {
        // The session on this thread: the tests' stepping, and a dialog's
        // time while the runner waits.
        SendSettings();
        ApplySnapshot(m_session.Tick());
    } else if (id == kSuiteTimer) {
        // A reading for the suite waits for the next beat rather than for
        // the chip.
        if (const auto hold = m_session.TryLockEngine(); hold.owns_lock())
            m_suiteReporter.SendNextReading(m_prefs.m_bCentigrade);
    }
}

QString CKelvaneDlg::FormatReal(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f", value);
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

QString CKelvaneDlg::FormatVolts(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

void CKelvaneDlg::ApplyAlarmColour(CSegmentDisplay& display, bool outOfRange)
{
    if (outOfRange && display.GetLitColour() != kRed)
        display.SetSegmentColours(kWhite, kRed);
    else if (!outOfRange && display.GetLitColour() != kGreen)
        display.SetSegmentColours(kWhite, kGreen);
}

bool CKelvaneDlg::ShowUnreadable(CSegmentDisplay& display, const CSessionSnapshot::SItem& item)
{
    // Neither a value (a failed transfer read 0) nor a green "OFF" (a fan
    // that read no speed at the start is not known to be fine).
    const bool noFan = item.notConnected;
    if (!noFan && !(item.enabled && item.readFailed)) return false;
    if (display.GetLitColour() != kAmber) display.SetSegmentColours(kWhite, kAmber);
    display.SetDisplayText(noFan ? QStringLiteral("NO FAN") : QStringLiteral("ERR"));
    return true;
}

int CKelvaneDlg::Advance(int position, int count)
{
    // A list of count 0 never advances: its slot keeps position 0.
    const int next = position + 1;
    return next >= count ? 0 : next;
}

int CKelvaneDlg::PositionToShow(int position, int count, const std::function<bool(int)>& inAlarm,
                                const std::function<bool(int)>& present)
{
    const int entries = std::max(count, 1);
    const auto shown = [&](int p) { return !present || present(p); };
    for (int k = 0; k < entries; ++k) {
        const int p = (position + k) % entries;
        if (shown(p) && inAlarm(p)) return p;
    }
    for (int k = 0; k < entries; ++k) {
        const int p = (position + k) % entries;
        if (shown(p)) return p;
    }
    return position;
}

int CKelvaneDlg::NextPosition(int shown, int count, const std::function<bool(int)>& inAlarm,
                              const std::function<bool(int)>& present)
{
    const int entries = std::max(count, 1);
    const auto isShown = [&](int p) { return !present || present(p); };
    for (int k = 1; k <= entries; ++k) {
        const int p = (shown + k) % entries;
        if (isShown(p) && inAlarm(p)) return p;
    }
    for (int k = 1; k <= entries; ++k) {
        const int p = (shown + k) % entries;
        if (isShown(p)) return p;
    }
    return Advance(shown, count);
}

namespace {

// The engine index of entry p of a rotation list of one kind, or -1.
int KindIndex(int first, int count, int entry)
{
    return entry >= 0 && entry < count ? first + entry : -1;
}

int VoltIndex(int entry) { return KindIndex(0, CHardwareMonitor::kVoltCount, entry); }
int TempIndex(int entry) { return KindIndex(CHardwareMonitor::kFirstTemp, CHardwareMonitor::kTempCount, entry); }
int FanIndex(int entry) { return KindIndex(CHardwareMonitor::kFirstFan, CHardwareMonitor::kFanCount, entry); }

}  // namespace

void CKelvaneDlg::RefreshDisplay()
{
    const CSessionSnapshot& snap = *m_snapshot;
    const auto alarmed = [&](int index) {
        const CSessionSnapshot::SItem* item = snap.Item(index);
        return item && item->InAlarm();
    };
    const auto present = [&](int index) {
        const CSessionSnapshot::SItem* item = snap.Item(index);
        return item && item->present;
    };
    const auto volt = [&](int p) { return alarmed(VoltIndex(m_prefs.m_nVoltItem[p])); };
    const auto temp = [&](int p) { return alarmed(TempIndex(m_prefs.m_nTempItem[p])); };
    const auto fan = [&](int p) { return alarmed(FanIndex(m_prefs.m_nFanItem[p])); };
    const auto voltThere = [&](int p) { return present(VoltIndex(m_prefs.m_nVoltItem[p])); };
    const auto tempThere = [&](int p) { return present(TempIndex(m_prefs.m_nTempItem[p])); };
    const auto fanThere = [&](int p) { return present(FanIndex(m_prefs.m_nFanItem[p])); };
    m_nVoltPos = PositionToShow(m_nVoltPos, m_prefs.m_nVoltCount, volt, voltThere);
    m_nTempPos = PositionToShow(m_nTempPos, m_prefs.m_nTempCount, temp, tempThere);
    m_nFanPos = PositionToShow(m_nFanPos, m_prefs.m_nFanCount, fan, fanThere);
    ShowVoltSlot();
    ShowTempSlot();
    ShowFanSlot();
    m_wellItems = {VoltIndex(m_prefs.m_nVoltItem[m_nVoltPos]), FanIndex(m_prefs.m_nFanItem[m_nFanPos]),
                   TempIndex(m_prefs.m_nTempItem[m_nTempPos])};
    m_nVoltPos = NextPosition(m_nVoltPos, m_prefs.m_nVoltCount, volt, voltThere);
    m_nTempPos = NextPosition(m_nTempPos, m_prefs.m_nTempCount, temp, tempThere);
    m_nFanPos = NextPosition(m_nFanPos, m_prefs.m_nFanCount, fan, fanThere);
    ShowAlarms();
    UpdateCountdown();
}

QFont CKelvaneDlg::FitFont(QFont font, const QString& text, int width, int smallestPixels)
{
    while (font.pixelSize() > smallestPixels && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void CKelvaneDlg::ShowName(CTransparentStatic& label, const std::string& name)
{
    const QString text = QString::fromStdString(name);
    if (label.Text() == text) return;
    // A long name takes a smaller or condensed type, then two lines; one
    // that still does not fit ends in an ellipsis, whole on hover.
    QFont nameFont = font();
    nameFont.setPixelSize(kNamePixels);
    QFont fitted = NameFit::FittingFont(nameFont, text, label.width(), kSmallestNamePixels);
    bool cut = !NameFit::Fits(fitted, text, label.width());
    std::uint32_t style = SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS;
    if (cut) {
        QFont twoLines = fitted;
        twoLines.setPixelSize(kTwoLinePixels);
        const QRect needed = QFontMetrics(twoLines).boundingRect(QRect(0, 0, label.width(), 1000),
                                                                 Qt::AlignHCenter | Qt::TextWordWrap, text);
        if (needed.width() <= label.width() && needed.height() <= label.height()) {
            fitted = twoLines;
            style = SS_CENTER | SS_NOPREFIX;
            cut = false;
        }
    }
    label.SetStyle(style);
    label.setFont(fitted);
    label.SetText(text);
    label.setToolTip(cut ? text : QString());
}

void CKelvaneDlg::ShowVoltSlot()
{
    const CSessionSnapshot::SItem* item = m_snapshot->Item(VoltIndex(m_prefs.m_nVoltItem[m_nVoltPos]));
    CSegmentDisplay& display = *m_displays.at(kIdVoltDisplay);
    if (!item || !item->present) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(*m_labels.at(kIdVoltName), std::string());
        display.SetDisplayText(QString());
        return;
    }
    ShowName(*m_labels.at(kIdVoltName), item->name);
    if (ShowUnreadable(display, *item)) return;
    if (item->enabled) {
        ApplyAlarmColour(display, item->outOfRange);
        display.SetDisplayText(FormatVolts(item->value));
    } else {
        display.SetDisplayText(QStringLiteral("OFF"));
    }
}

void CKelvaneDlg::ShowTempSlot()
{
    const CSessionSnapshot::SItem* item = m_snapshot->Item(TempIndex(m_prefs.m_nTempItem[m_nTempPos]));
    CSegmentDisplay& display = *m_displays.at(kIdTempDisplay);
    if (!item || !item->present) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(*m_labels.at(kIdTempName), std::string());
        display.SetDisplayText(QString());
        return;
    }
    CTransparentStatic& unit = *m_labels.at(kIdTempUnit);
    ShowName(*m_labels.at(kIdTempName), item->name);
    if (ShowUnreadable(display, *item)) return;
    if (item->enabled) {
        ApplyAlarmColour(display, item->outOfRange);
        const double celsius = item->value;
        const bool centigrade = m_prefs.m_bCentigrade;
        const QString unitText = centigrade ? QStringLiteral("\u00B0C") : QStringLiteral("\u00B0F");
        if (unit.Text() != unitText) unit.SetText(unitText);
        display.SetDisplayText(FormatReal(centigrade ? celsius : celsius * 1.8 + 32));
    } else {
        display.SetDisplayText(QStringLiteral("OFF"));
    }
}

void CKelvaneDlg::ShowFanSlot()
{
    const CSessionSnapshot::SItem* item = m_snapshot->Item(FanIndex(m_prefs.m_nFanItem[m_nFanPos]));
    CSegmentDisplay& display = *m_displays.at(kIdFanDisplay);
    if (!item || !item->present) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(*m_labels.at(kIdFanName), std::string());
        display.SetDisplayText(QString());
        return;
    }
    ShowName(*m_labels.at(kIdFanName), item->name);
    if (ShowUnreadable(display, *item)) return;
    if (item->enabled) {
        ApplyAlarmColour(display, item->outOfRange);
        display.SetDisplayText(QString::number(item->rpm));
    } else {
        display.SetDisplayText(QStringLiteral("OFF"));
    }
}

void CKelvaneDlg::SetNotifier(IDesktopNotifier* notifier)
{
    m_pNotifier = notifier != nullptr ? notifier : m_pOwnNotifier.get();
}

std::string CKelvaneDlg::AlarmTooltip(const std::vector<std::string>& entries, const std::string& title)
{
    if (entries.empty()) return CSystemTray::kTooltip;
    std::string tooltip = title + ": ";
    for (std::size_t i = 0; i < entries.size(); ++i) tooltip += (i ? ", " : "") + entries[i];
    return tooltip;
}

std::string CKelvaneDlg::NormalTooltip(const std::vector<std::string>& entries)
{
    std::string tooltip = CSystemTray::kTooltip;
    for (std::size_t i = 0; i < entries.size(); ++i) tooltip += (i ? ", " : ": ") + entries[i];
    return tooltip;
}

QString CKelvaneDlg::ValueWithUnit(const CSessionSnapshot::SItem& item) const
{
    char text[64];
    if (item.kind == CSessionSnapshot::Kind::kFan) {
        std::snprintf(text, sizeof text, "%d RPM", static_cast<int>(item.rpm));
        return QString::fromLatin1(text);
    }
    if (item.kind == CSessionSnapshot::Kind::kTemp) {
        const bool centigrade = m_prefs.m_bCentigrade;
        return FormatReal(centigrade ? item.value : item.value * 1.8 + 32) +
               (centigrade ? QStringLiteral(" \u00B0C") : QStringLiteral(" \u00B0F"));
    }
    return FormatVolts(item.value) + QStringLiteral(" V");
}

QString CKelvaneDlg::Entry(const CSessionSnapshot::SItem& item) const
{
    return QString::fromStdString(item.name) + QLatin1Char(' ') + ValueWithUnit(item);
}

void CKelvaneDlg::ShowAlarms()
{
    QStringList entries;
    std::vector<std::string> tooltipEntries;
    for (const int i : m_snapshot->alarmItems) {
        const CSessionSnapshot::SItem* item = m_snapshot->Item(i);
        if (item == nullptr) continue;
        entries << Entry(*item);
        tooltipEntries.push_back(entries.back().toStdString());
    }
    m_pAlarmStrip->SetEntries(entries);
    if (entries.isEmpty()) {
        // The wells' current readings, as the face shows them.
        tooltipEntries.clear();
        for (const int index : m_wellItems) {
            const CSessionSnapshot::SItem* item = m_snapshot->Item(index);
            if (item == nullptr || !item->present) continue;
            tooltipEntries.push_back(item->enabled ? Entry(*item).toStdString() : item->name + " OFF");
        }
    }
    const std::string tooltip = entries.isEmpty() ? NormalTooltip(tooltipEntries)
                                                  : AlarmTooltip(tooltipEntries, Tr("Kelvane - alarm").toStdString());
    const bool alarm = !entries.isEmpty();
    if (alarm != m_bTrayShowsAlarm || tooltip != m_strTrayTooltip) {
        m_bTrayShowsAlarm = alarm;
        m_strTrayTooltip = tooltip;
        m_TrayIcon.SetIcon(alarm ? m_trayAlarmIcon : m_trayIcon, tooltip);
    }
    UpdateAlarmNotifications();
}

QString CKelvaneDlg::NotificationKey(int item) { return QStringLiteral("alarm-%1").arg(item); }

void CKelvaneDlg::UpdateAlarmNotifications()
{
    ++m_nAlarmTicks;
    if (m_pNotifier == nullptr) return;
    // Episodes that ended: the red bubble becomes a short-lived note that
    // the value is back.
    for (auto it = m_episodes.begin(); it != m_episodes.end();) {
        const std::vector<int>& alarms = m_snapshot->alarmItems;
        if (std::find(alarms.begin(), alarms.end(), it->first) != alarms.end()) {
            ++it;
            continue;
        }
        if (const CSessionSnapshot::SItem* item = m_snapshot->Item(it->first))
            m_pNotifier->Show(NotificationKey(it->first),
                              Tr("Kelvane: %1 back to normal").arg(QString::fromStdString(item->name)),
                              Entry(*item), false, kBackToNormalExpireMs);
        it = m_episodes.erase(it);
    }
    const int64_t now = m_seams.engine.clock.Ticks();
    for (const int i : m_snapshot->alarmItems) {
        const CSessionSnapshot::SItem* item = m_snapshot->Item(i);
        if (item == nullptr) continue;
        // Critical only while the item's shut-down timer runs: that alarm
        // ends with the machine off unless someone acts.
        const int64_t left = item->SecondsLeftAt(now);
        const bool critical = left >= 0 || item->shutdownPending;
        QString body = Entry(*item);
        if (critical) body += QLatin1Char('\n') + Tr("Power-off in %1 s").arg(left < 0 ? 0 : left);
        const auto found = m_episodes.find(i);
        const bool isNew = found == m_episodes.end();
        if (!isNew) {
            const SEpisode& episode = found->second;
            if (episode.critical == critical && episode.body == body) continue;
            // A changing value re-shows the bubble: a normal one at most once
            // a minute, a critical one (its countdown) on every tick.
            if (episode.critical == critical && !critical &&
                m_nAlarmTicks - episode.shownAtTick < kNormalNotificationTicks)
                continue;
        }
        m_pNotifier->Show(NotificationKey(i),
                          Tr("Kelvane alarm: %1").arg(QString::fromStdString(item->name)), body, critical,
                          critical ? 0 : kAlarmExpireMs);
        m_episodes[i] = SEpisode{body, critical, m_nAlarmTicks};
    }
}

int CKelvaneDlg::IndexOf(const CSensorItem& item) const
{
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i)
        if (m_session.Engine().Item(i) == &item) return i;
    return -1;
}

void CKelvaneDlg::UpdateCountdown()
{
    // The item whose shutdown timer runs out first, counted on the
    // engine's clock from the last snapshot.
    int64_t least = 0;
    const int soonest = m_snapshot->SoonestShutdown(m_seams.engine.clock.Ticks(), &least);
    CShutdownCountdown& box = *m_pCountdown;
    if (soonest < 0) {
        if (box.Item() >= 0) box.Dismiss();
        m_countdownTimer.stop();
        return;
    }
    const CSessionSnapshot::SItem& item = *m_snapshot->Item(soonest);
    // A pending item's box shows the request or its refusal, set when the
    // engine asked.
    if (!item.shutdownPending || box.Item() < 0)
        box.ShowCountdown(soonest, least, QString::fromStdString(item.name), ValueWithUnit(item));
    if (!m_countdownTimer.isActive()) m_countdownTimer.start(kCountdownPeriodMs, this);
}

void CKelvaneDlg::CancelShutdown(int index)
{
    m_session.PostCancelShutdown(index);
    if (!m_pRunner || m_nSessionHolds > 0) ApplySnapshot(nullptr);
}

void CKelvaneDlg::ApplyEvents(const CSessionSnapshot& snapshot)
{
    using Kind = CSessionSnapshot::SEvent::Kind;
    for (const CSessionSnapshot::SEvent& event : snapshot.events) {
        const CSessionSnapshot::SItem* item = snapshot.Item(event.item);
        switch (event.kind) {
            case Kind::kPowerOffRequested:
                if (item)
                    m_pCountdown->ShowPoweringOff(event.item, QString::fromStdString(item->name), ValueWithUnit(*item));
                break;
            case Kind::kPowerOffRefused: {
                if (!item) break;
                const QString name = QString::fromStdString(item->name);
                m_pCountdown->ShowRefused(event.item, name, ValueWithUnit(*item), QString::fromStdString(event.text));
                if (m_pNotifier != nullptr)
                    m_pNotifier->Notify(Tr("Kelvane could not power off this computer"),
                                        name + QLatin1Char(' ') + ValueWithUnit(*item) + QStringLiteral(": ") +
                                            QString::fromStdString(event.text),
                                        true);
                break;
            }
            case Kind::kFanNotConnected:
                if (m_pNotifier != nullptr)
                    m_pNotifier->Notify(QStringLiteral("Kelvane: fan not monitored"),
                                        QString::fromStdString(event.text), false);
                break;
            case Kind::kMailFailed:
                if (m_pNotifier != nullptr)
                    m_pNotifier->Notify(Tr("Kelvane: alert mail not sent"), QString::fromStdString(event.text),
                                        false);
                break;
            case Kind::kHistoryMessage:
                if (m_pNotifier != nullptr)
                    m_pNotifier->Notify(QStringLiteral("Kelvane history"), QString::fromStdString(event.text),
                                        false);
                break;
        }
    }
}

void CKelvaneDlg::OnMailFailed(const std::string& failure)
{
    m_session.PostMailFailed(failure);
    if (!m_pRunner || m_nSessionHolds > 0) ApplySnapshot(nullptr);
}

bool CKelvaneDlg::OnPowerBroadcast(int code)
{
    if (code != CPowerEventHandler::kSuspend && code != CPowerEventHandler::kResume) return false;
    if (!m_pRunner || m_nSessionHolds > 0) {
        m_session.OnPowerEvent(code);
        return true;
    }
    if (code == CPowerEventHandler::kResume) {
        m_session.PostPowerEvent(code);
        return true;
    }
    // The settings are kept before the machine may sleep: the suspend
    // waits for them (at most the tick under way).
    HoldSession();
    m_session.OnPowerEvent(code);
    ReleaseSession();
    return true;
}

void CKelvaneDlg::ShowDetail()
{
    m_buttons.at(kIdExpand)->hide();
    m_buttons.at(kIdVoltDetail)->show();
    m_buttons.at(kIdVoltBack)->show();
    ApplyForm(kExpandedOutline, kExpandedFace);
    ShowHistoryButtons(true);
    m_bExpanded = true;
    m_prefs.m_bExpanded = true;
    // The longer form grows downwards: it must not run off the screen.
    if (isVisible()) KeepOnScreen();
    repaint();
}

void CKelvaneDlg::ShowCompact()
{
    m_buttons.at(kIdVoltDetail)->hide();
    m_buttons.at(kIdVoltBack)->hide();
    m_buttons.at(kIdExpand)->show();
    ApplyForm(kCompactOutline, kCompactFace);
    ShowHistoryButtons(false);
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
    m_buttons.at(detailId)->setEnabled(!graph);
    m_buttons.at(backId)->setEnabled(graph);
    const CSubScreenPanels::Area panelArea = area == Area::Volt  ? CSubScreenPanels::Area::Voltage
                                             : area == Area::Fan ? CSubScreenPanels::Area::Fan
                                                                 : CSubScreenPanels::Area::Temperature;
    if (m_panels.IsCreated()) {
        const auto hold = m_session.LockEngine();
        m_panels.ShowArea(panelArea, graph);
    }
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
    m_bSimulated = simulated;
    m_accessNotes = std::move(notes);
    if (simulated && !m_pSimulatedTag) {
        // In the title strip, between the maker's badge and the title-bar
        // buttons, on both forms of the face.
        m_pSimulatedTag = new CTransparentStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, this);
        m_pSimulatedTag->setObjectName(QStringLiteral("simulatedTag"));
        QFont tagFont = font();
        tagFont.setPixelSize(kSimulatedTagPixels);
        tagFont.setBold(true);
        // Clear of the title-bar buttons' tray at its right, in any language.
        const QString tag = Tr("SIMULATED");
        m_pSimulatedTag->setFont(SkinCaption::Fitted(tagFont, tag, kSimulatedTagWidth - 8));
        m_pSimulatedTag->SetTextColour(kAmber);
        m_pSimulatedTag->SetText(tag);
        m_pSimulatedTag->setGeometry(kSimulatedTagX, kSimulatedTagY, kSimulatedTagWidth, kSimulatedTagHeight);
        m_pSimulatedTag->setToolTip(QString::fromLatin1(CAccessPathChooser::kSimulatedText));
        m_pSimulatedTag->show();
    }
    if (m_pSimulatedTag) m_pSimulatedTag->setVisible(simulated);
}

void CKelvaneDlg::ShowAbout()
{
    std::vector<std::string> remarks;
    if (m_bSimulated) remarks.push_back(CAccessPathChooser::kSimulatedText);
    if (const std::string owner = CAccessPathChooser::OwnerText(m_snapshot->chipSetType); !owner.empty())
        remarks.push_back(owner);
    remarks.insert(remarks.end(), m_accessNotes.begin(), m_accessNotes.end());
    CAboutDlg about(m_skins, this, m_strChipAccess, remarks);
    CCaptionTranslator::TranslateTree(m_seams.engine.profile, m_strLangFile, about, kLanguageSection);
    about.exec();
}

void CKelvaneDlg::SendToEngine(CMonitorSettingHost::Job job, CMonitorSettingHost::Done done)
{
    // Without a runner (or while one waits) the session is this thread's:
    // the job runs now and done follows, outside the session's lock.
    const bool here = !m_pRunner || m_nSessionHolds > 0;
    auto result = std::make_shared<std::shared_ptr<const CMonitorSettings>>();
    m_session.Post([this, job = std::move(job), done, result, here](CMonitorSession& session) {
        job(session.Engine());
        if (!done) return;
        auto settings = std::make_shared<const CMonitorSettings>(CMonitorSettings::Take(
            session.Engine(), [&session](int index) { return session.IsShutdownCancelled(index); }));
        if (here)
            *result = std::move(settings);
        else
            QMetaObject::invokeMethod(this, [done, settings] { done(*settings); }, Qt::QueuedConnection);
    });
    if (!here) return;
    ApplySnapshot(nullptr);
    if (done && *result) done(**result);
}

void CKelvaneDlg::OpenMonitorSetting()
{
    // The dialog starts from a copy the session takes on its thread.
    if (m_bMonitorSettingAsked) return;
    m_bMonitorSettingAsked = true;
    SendToEngine([](CHardwareMonitor&) {}, [this](const CMonitorSettings& settings) { ShowMonitorSetting(settings); });
}

void CKelvaneDlg::ShowMonitorSetting(const CMonitorSettings& settings)
{
    const CCaptionTranslator translator(m_seams.engine.profile, m_seams.languageCode);
    CMonitorSettingHost host{
        m_session.Engine(),
        m_prefs,
        m_skins,
        translator,
        [this] {
            if (CFanSubScreen* fans = m_panels.FanPanel()) fans->ResetLayout();
        },
        [this] {
            if (CFanSubScreen* fans = m_panels.FanPanel()) fans->Refresh();
        },
        // The panel reads the unit flag itself, which the dialog has set.
        [this](bool) {
            if (CTempSubScreen* temps = m_panels.TempPanel()) temps->SetUnitLetters();
        },
    };
    host.settings = &settings;
    host.send = [this](CMonitorSettingHost::Job job, CMonitorSettingHost::Done done) {
        SendToEngine(std::move(job), std::move(done));
    };
    host.latestValue = [this](int index, double& value, int32_t& rpm) {
        const CSessionSnapshot::SItem* item = m_snapshot->Item(index);
        if (item == nullptr) return false;
        value = item->value;
        rpm = item->rpm;
        return true;
    };
    {
        CMonitorSettingDlg dialog(host, this);
        if (m_snapshot->chipSetType == kChipSetDriverOwnedReadOnly)
            dialog.SetNotice(QStringLiteral("Read beside the kernel driver: limits are Kelvane's own"),
                             QString::fromLatin1(CAccessPathChooser::kDriverOwnsChipText));
        dialog.exec();
    }
    m_bMonitorSettingAsked = false;
    // After the dialog's jobs: the unit and Smart Fan flags it set.
    SendSettings();
}

void CKelvaneDlg::OpenDisplaySetting()
{
    HoldSession();
    const CCaptionTranslator translator(m_seams.engine.profile, m_seams.languageCode);
    CDisplaySettingDlg dialog(
        CDisplaySettingDlg::Context{
            m_session.Engine(),
            m_prefs,
            m_strIniPath,
            [this](const std::string& path) { SavePreferences(path); },
            [this] { return InitEmail(); },
            [this] {
                if (CVoltSubScreen* volts = m_panels.VoltPanel()) volts->Refresh();
            },
            m_skins,
            translator,
            m_seams.shell,
            m_seams.engine.programDirectory,
            m_seams.autostartDirectory,
        },
        this);
    dialog.exec();
    ReleaseSession();
}

void CKelvaneDlg::OpenSuiteItems()
{
    CSuiteItemsDlg dialog(m_suiteReporter.SendList(), this);
    CCaptionTranslator::TranslateTree(m_seams.engine.profile, m_strLangFile, dialog, kSuiteItemsSection);
    dialog.exec();
}

void CKelvaneDlg::OnTrayCommand(int commandId)
{
    switch (commandId) {
        case CSystemTray::kMaximize:
            RestoreFromTray();
            break;
        case CSystemTray::kMinimize:
            MinimiseToTray();
            break;
        case CSystemTray::kHistory:
            OpenHistory();
            break;
        case CSystemTray::kAbout:
            ShowAbout();
            break;
        case CSystemTray::kExit:
            // The icon goes at once; the close follows as a posted close
            // would, after the menu has finished.
            m_TrayIcon.DeleteTrayIcon();
            QMetaObject::invokeMethod(this, &CKelvaneDlg::OnClose, Qt::QueuedConnection);
            break;
        default:
            break;
    }
}

void CKelvaneDlg::MinimiseToTray()
{
    // No notification area holds the icon (none at start, or its host has
    // gone since): a hidden window could not be brought back, so it stays
    // on the taskbar.
    // The place it leaves is the place it comes back to, whether or not a
    // move has been seen before (the desktop's first placement).
    if (isVisible() && !isMinimized()) RememberPlace();
    if (m_TrayIcon.IsRemoved() || !m_trayHost.IsAvailable()) {
        showMinimized();
    } else {
        m_TrayIcon.AnimateToTray(*this);
        m_bInTray = true;
    }
    m_TrayIcon.SetDefaultMenuItem(CSystemTray::kMaximize, false);
}

QPoint CKelvaneDlg::FitOnScreen(QPoint wanted, QSize size, const std::vector<QRect>& screens)
{
    const QRect window(wanted, size);
    const QRect* best = nullptr;
    long long bestArea = -1;
    long long bestDistance = 0;
    for (const QRect& screen : screens) {
        if (screen.contains(window)) return wanted;
        const QRect common = screen.intersected(window);
        const long long area = common.isEmpty() ? 0 : 1LL * common.width() * common.height();
        const QPoint offset = screen.center() - window.center();
        const long long distance = 1LL * offset.x() * offset.x() + 1LL * offset.y() * offset.y();
        // The screen that holds most of the window, else the nearest one.
        if (best == nullptr || area > bestArea || (area == bestArea && area == 0 && distance < bestDistance)) {
            best = &screen;
            bestArea = area;
            bestDistance = distance;
        }
    }
    if (best == nullptr) return wanted;
    // Inside that screen; a window larger than it keeps its top left on the
    // screen, where the title-bar buttons are.
    const auto inside = [](int at, int length, int first, int room) {
        return length >= room ? first : std::clamp(at, first, first + room - length);
    };
    return QPoint(inside(wanted.x(), size.width(), best->left(), best->width()),
                  inside(wanted.y(), size.height(), best->top(), best->height()));
}

void CKelvaneDlg::KeepOnScreen()
{
    std::vector<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.push_back(screen->availableGeometry());
    const QPoint place = FitOnScreen(pos(), size(), screens);
    if (place != pos()) move(place);
}

void CKelvaneDlg::RestorePlacement()
{
    if (!m_prefs.m_bWindowPlaced) return;
    // Only where the whole window, in the form it comes back in, lies on a
    // screen; else moved inside the screen that holds most of it (a place
    // on a monitor that has gone since, or saved at another scale).
    move(m_prefs.m_nWindowX, m_prefs.m_nWindowY);
    KeepOnScreen();
}

void CKelvaneDlg::RememberPlace()
{
    m_prefs.m_bWindowPlaced = true;
    m_prefs.m_nWindowX = pos().x();
    m_prefs.m_nWindowY = pos().y();
}

void CKelvaneDlg::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // Only a place the user can see is worth coming back to.
    if (!isVisible() || isMinimized() || m_bInTray) return;
    RememberPlace();
}

void CKelvaneDlg::RestoreFromTray()
{
    // Back where the user left it, and whole on a screen.
    if (m_prefs.m_bWindowPlaced && !isVisible()) RestorePlacement();
    if (!isVisible())
        m_TrayIcon.AnimateFromTray(*this);
    else if (isMinimized())
        CInstanceChecker::BringToFront(*this);
    m_bInTray = false;
    m_TrayIcon.SetDefaultMenuItem(CSystemTray::kMinimize, false);
}

void CKelvaneDlg::BringBack()
{
    if (m_bEnded) return;
    if (!isVisible() || isMinimized()) {
        RestoreFromTray();
    } else {
        raise();
        activateWindow();
    }
}

QMenu* CKelvaneDlg::WindowMenu()
{
    if (m_windowMenu == nullptr) {
        m_windowMenu = new QMenu(this);
        m_windowMenu->addAction(Tr("&About Kelvane..."), this, [this] { ShowAbout(); });
    }
    return m_windowMenu;
}

void CKelvaneDlg::contextMenuEvent(QContextMenuEvent* event) { WindowMenu()->popup(event->globalPos()); }

void CKelvaneDlg::SetAutomationService(CAutomationService* service)
{
    m_pAutomation = service;
    if (service == nullptr) return;
    // A close refused while a client held the proxy ends the dialog once the
    // last client lets go.
    connect(service, &CAutomationService::proxyAttachmentChanged, this, [this](bool attached) {
        if (!attached && m_bHiddenByRefusedClose && !m_bEnded) EndDialog(kResultCancel);
    });
}

bool CKelvaneDlg::CanExit()
{
    if (m_pAutomation == nullptr) return true;
    return m_pAutomation->CanExit([this] {
        m_bHiddenByRefusedClose = true;
        hide();
    });
}

void CKelvaneDlg::OnCancel()
{
    if (CanExit()) EndDialog(kResultCancel);
}

void CKelvaneDlg::EndDialog(int result)
{
    m_bEnded = true;
    m_nResult = result;
    m_monitorTimer.stop();
    if (m_pRunner) {
        // The monitoring ends here, and the chip goes back on the session's
        // thread before it does.
        m_session.PostReleaseChip();
        m_pRunner->Stop();
        m_pRunner.reset();
    }
    m_suiteTimer.stop();
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

void CKelvaneDlg::paintEvent(QPaintEvent*)
{
    if (m_face.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
    // The captions engraved in the face, in the user's language.
    CFaceCaptions::Paint(painter, m_bExpanded, [this](const char* english) { return Tr(english); });
}

QStringList CKelvaneDlg::FaceCaptions() const
{
    return CFaceCaptions::List(m_bExpanded, m_panels, [this](const char* english) { return Tr(english); });
}

void CKelvaneDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The whole face is the window's caption: it drags the window.
    if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) return;
    m_bDragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CKelvaneDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bDragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    else
        QWidget::mouseMoveEvent(event);
}

void CKelvaneDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) m_bDragging = false;
    QWidget::mouseReleaseEvent(event);
}

CSkinButton* CKelvaneDlg::Button(int id) const
{
    const auto found = m_buttons.find(id);
    return found == m_buttons.end() ? nullptr : found->second;
}

CSegmentDisplay* CKelvaneDlg::Display(int id) const
{
    const auto found = m_displays.find(id);
    return found == m_displays.end() ? nullptr : found->second;
}

CTransparentStatic* CKelvaneDlg::Label(int id) const
{
    const auto found = m_labels.find(id);
    return found == m_labels.end() ? nullptr : found->second;
}

// --- the history ------------------------------------------------------------

void CKelvaneDlg::StartHistory()
{
    if (m_strHistoryFile.empty() || m_bEnded) return;
    m_session.StartHistory(m_strHistoryFile);
}

void CKelvaneDlg::CreateHistoryButtons()
{
    // Beside each area's Detail button, in the face's own colours.
    const std::pair<Area, int> places[] = {{Area::Volt, 181}, {Area::Fan, 301}, {Area::Temp, 421}};
    for (const auto& [area, y] : places) {
        auto* button = new QPushButton(QStringLiteral("History"), this);
        button->setObjectName(QStringLiteral("history-%1").arg(static_cast<int>(area)));
        button->setToolTip(QStringLiteral("The history of these readings"));
        button->setGeometry(228, y, 52, 16);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral(
            "QPushButton { background: #161b21; color: #8fe3b0; border: 1px solid #34404c; border-radius: 7px;"
            " font-size: 9px; font-weight: 600; padding: 0 4px; }"
            "QPushButton:hover { border-color: #3ce07c; color: #3ce07c; }"
            "QPushButton:focus { border-color: #ffb000; }"));
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, area = area] { OpenHistory(area); });
        m_historyButtons[static_cast<std::size_t>(area)] = button;
    }
}

void CKelvaneDlg::ShowHistoryButtons(bool shown)
{
    for (QPushButton* button : m_historyButtons)
        if (button) button->setVisible(shown);
}

QPushButton* CKelvaneDlg::HistoryButton(Area area) const { return m_historyButtons[static_cast<std::size_t>(area)]; }

void CKelvaneDlg::OpenHistory(std::optional<Area> area)
{
    const bool fresh = !m_pHistoryWindow;
    if (fresh) {
        m_pHistoryWindow = std::make_unique<CHistoryWindow>(m_strHistoryFile, !m_prefs.m_bCentigrade, [] {
            return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::system_clock::now().time_since_epoch())
                                            .count());
        });
    } else {
        m_pHistoryWindow->Reload();
    }
    if (area) {
        m_pHistoryWindow->ChooseKind(*area == Area::Volt  ? CReadingSnapshot::Kind::kVoltage
                                     : *area == Area::Fan ? CReadingSnapshot::Kind::kFan
                                                          : CReadingSnapshot::Kind::kTemperature);
    } else if (fresh) {
        m_pHistoryWindow->ChooseKind(CReadingSnapshot::Kind::kTemperature);
    }
    m_pHistoryWindow->show();
    m_pHistoryWindow->raise();
    m_pHistoryWindow->activateWindow();
}
