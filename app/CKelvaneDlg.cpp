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
#include <QShortcut>
#include <QTimerEvent>
#include <QWindow>

#include <algorithm>
#include <cstdio>

#include "app/CAboutDlg.h"
#include "app/CAutomationService.h"
#include "app/CIniFile.h"
#include "app/CPowerEventHandler.h"
#include "app/CStartupFiles.h"
#include "engine/CFanItem.h"
#include "engine/CTempItem.h"
#include "platform/IMessageBox.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "platform/CAccessPathChooser.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinRegion.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CDBusNotifier.h"
#include "windows/CShutdownCountdown.h"
#include "windows/CDisplaySettingDlg.h"
#include "windows/CFanSubScreen.h"
#include "windows/CHelpPage.h"
#include "windows/CInstanceChecker.h"
#include "windows/CMonitorSettingDlg.h"
#include "windows/CSuiteItemsDlg.h"
#include "windows/CSuiteLinkWatcher.h"
#include "windows/CTempSubScreen.h"
#include "windows/CVoltSubScreen.h"
#include "windows/IShellOpener.h"

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
    {kIdVoltName, 36, 60, 72, 16},
    {kIdFanName, 163, 53, 78, 16},
    {kIdTempName, 296, 60, 72, 16},
}};

namespace {

constexpr const char* kLanguageSection = "Kelvane";

// Text sizes of the face, in pixels, so that the face looks the same at any
// desktop font size: the skin's pictures do not scale either.
constexpr int kCaptionPixels = 11;
constexpr int kNamePixels = 11;
constexpr int kSmallestNamePixels = 8;
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

}  // namespace

CKelvaneDlg::CKelvaneDlg(const CKelvaneDlgSeams& seams, std::unique_ptr<CInstanceChecker> instanceChecker,
                         QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_seams(seams),
      m_strIniPath(PathsOf(seams).IniPath()),
      m_strLogPath(PathsOf(seams).LogPath()),
      m_strBoardName(seams.boardName),
      m_skins(CSkinLibrary::SkinDirectory(QString::fromStdString(seams.engine.programDirectory))),
      m_Engine(seams.engine),
      m_warnings(seams.engine.profile, m_strLogPath, seams.mailer, seams.engine.registry, seams.localTime),
      m_emailLogon(seams.mailer, seams.engine.messageBox),
      m_pInstanceChecker(std::move(instanceChecker)),
      m_trayHost(seams.sessionBus),
      m_TrayIcon(m_trayHost, seams.systemBus),
      m_panelHost(m_Engine, m_skins, m_prefs.m_nSubVoltItem.data(), m_prefs.m_bCentigrade),
      m_suiteItems(m_Engine),
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
    m_Engine.SetShutdownObserver(this);
    m_warnings.SetMailFailureHandler([this](const std::string& failure) { OnMailFailed(failure); });
    // A mailer that sends on its own thread reports here, on that thread:
    // the report is handed to this window's thread.
    m_seams.mailer.SetFailureHandler([this](const std::string& failure) {
        QMetaObject::invokeMethod(this, [this, failure] { OnMailFailed(failure); }, Qt::QueuedConnection);
    });

    CreateControls();
    ConnectButtons();
}

CKelvaneDlg::~CKelvaneDlg()
{
    m_monitorTimer.stop();
    m_suiteTimer.stop();
    m_countdownTimer.stop();
    m_seams.mailer.SetFailureHandler(nullptr);
    m_Engine.SetShutdownObserver(nullptr);
    // The chip goes back first: the fans must not wait for slow file work.
    m_Engine.ReleaseChip();
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
    auto* menuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(menuKey, &QShortcut::activated, this, [this] { WindowMenu()->popup(mapToGlobal(QPoint(0, 0))); });
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
    RestorePlacement();
    StartEngine();

    m_panels.CreatePanels(this, m_panelHost);
    // The form and the area views the window had when it last closed.
    const bool expanded = m_prefs.m_bExpanded;
    if (expanded) ShowDetail();
    const std::pair<Area, bool> views[] = {
        {Area::Volt, m_prefs.m_bVoltGraph}, {Area::Fan, m_prefs.m_bFanGraph}, {Area::Temp, m_prefs.m_bTempGraph}};
    for (const auto& [area, graph] : views)
        if (graph) ShowAreaView(area, true);
    // A dialog that has ended (the engine did not start) does not announce
    // itself to Dravik Manager.
    if (!m_bEnded) StartSuiteLink();

    m_bStartMinimised = startMinimised;
    if (startMinimised && !m_bEnded) MinimiseToTray();
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
}

void CKelvaneDlg::LayoutFace()
{
    for (const SButtonPlace& place : kButtonLayout) {
        CSkinButton* button = m_buttons.at(place.id);
        button->move(place.x, place.y);
        button->ApplySkin(place.normal, place.pressed, place.hover, place.disabled, 0, place.mask, 0, 0, 0);
        button->SetTipText(QString::fromLatin1(place.tooltip));
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
    m_Engine.SetUseDefaultFiles(true);
    m_Engine.SetUsePreferenceFile(false);
    m_Engine.SetPaths(m_strBoardName);
    if (m_Engine.StartMonitoring()) {
        m_monitorTimer.start(kMonitorPeriodMs, this);
    } else {
        m_seams.engine.messageBox.Show("Initial value fail!", "ERROR", MessageBoxStyle::kOk);
        EndDialog(kResultCancel);
    }
    m_Engine.UpdateAll();
    RefreshDisplay();
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
        RefreshDisplay();
        // The graph panels take their samples here, visible or not.
        m_panels.TickGraphs();
        emit monitoringTicked();
    } else if (id == kSuiteTimer) {
        m_suiteReporter.SendNextReading(m_prefs.m_bCentigrade);
    }
}

QString CKelvaneDlg::FormatReal(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f", value);
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

void CKelvaneDlg::ApplyAlarmColour(CSegmentDisplay& display, bool outOfRange)
{
    if (outOfRange && display.GetLitColour() == kGreen)
        display.SetSegmentColours(kWhite, kRed);
    else if (!outOfRange && display.GetLitColour() == kRed)
        display.SetSegmentColours(kWhite, kGreen);
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

void CKelvaneDlg::RefreshDisplay()
{
    m_Engine.UpdateAll();
    const auto alarmed = [](const CSensorItem* item) { return item && item->IsEnabled() && item->IsOutOfRange(); };
    const auto volt = [&](int p) { return alarmed(m_Engine.Volt(m_prefs.m_nVoltItem[p])); };
    const auto temp = [&](int p) { return alarmed(m_Engine.Temp(m_prefs.m_nTempItem[p])); };
    const auto fan = [&](int p) { return alarmed(m_Engine.Fan(m_prefs.m_nFanItem[p])); };
    const auto present = [](const CSensorItem* item) { return item && item->IsPresent(); };
    const auto voltThere = [&](int p) { return present(m_Engine.Volt(m_prefs.m_nVoltItem[p])); };
    const auto tempThere = [&](int p) { return present(m_Engine.Temp(m_prefs.m_nTempItem[p])); };
    const auto fanThere = [&](int p) { return present(m_Engine.Fan(m_prefs.m_nFanItem[p])); };
    m_nVoltPos = PositionToShow(m_nVoltPos, m_prefs.m_nVoltCount, volt, voltThere);
    m_nTempPos = PositionToShow(m_nTempPos, m_prefs.m_nTempCount, temp, tempThere);
    m_nFanPos = PositionToShow(m_nFanPos, m_prefs.m_nFanCount, fan, fanThere);
    ShowVoltSlot();
    ShowTempSlot();
    ShowFanSlot();
    m_nVoltPos = NextPosition(m_nVoltPos, m_prefs.m_nVoltCount, volt, voltThere);
    m_nTempPos = NextPosition(m_nTempPos, m_prefs.m_nTempCount, temp, tempThere);
    m_nFanPos = NextPosition(m_nFanPos, m_prefs.m_nFanCount, fan, fanThere);
    CheckWarnings();
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
    // A long name takes a smaller type; one that still does not fit ends
    // in an ellipsis.
    QFont nameFont = font();
    nameFont.setPixelSize(kNamePixels);
    const QFont fitted = FitFont(nameFont, text, label.width(), kSmallestNamePixels);
    label.setFont(fitted);
    label.SetText(text);
    // A name cut short shows whole on hover.
    const bool cut = QFontMetrics(fitted).horizontalAdvance(text) > label.width();
    label.setToolTip(cut ? text : QString());
}

void CKelvaneDlg::ShowVoltSlot()
{
    const CVoltItem* item = m_Engine.Volt(m_prefs.m_nVoltItem[m_nVoltPos]);
    CSegmentDisplay& display = *m_displays.at(kIdVoltDisplay);
    if (!item || !item->IsPresent()) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(*m_labels.at(kIdVoltName), std::string());
        display.SetDisplayText(QString());
        return;
    }
    ShowName(*m_labels.at(kIdVoltName), item->Name());
    if (item->IsEnabled()) {
        ApplyAlarmColour(display, item->IsOutOfRange());
        display.SetDisplayText(FormatReal(item->Value()));
    } else {
        display.SetDisplayText(QStringLiteral("OFF"));
    }
}

void CKelvaneDlg::ShowTempSlot()
{
    const CTempItem* item = m_Engine.Temp(m_prefs.m_nTempItem[m_nTempPos]);
    CSegmentDisplay& display = *m_displays.at(kIdTempDisplay);
    if (!item || !item->IsPresent()) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(*m_labels.at(kIdTempName), std::string());
        display.SetDisplayText(QString());
        return;
    }
    CTransparentStatic& unit = *m_labels.at(kIdTempUnit);
    ShowName(*m_labels.at(kIdTempName), item->Name());
    if (item->IsEnabled()) {
        ApplyAlarmColour(display, item->IsOutOfRange());
        const double celsius = item->Value();
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
    const CSmartFanItem* item = m_Engine.Fan(m_prefs.m_nFanItem[m_nFanPos]);
    CSegmentDisplay& display = *m_displays.at(kIdFanDisplay);
    if (!item || !item->IsPresent()) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(*m_labels.at(kIdFanName), std::string());
        display.SetDisplayText(QString());
        return;
    }
    ShowName(*m_labels.at(kIdFanName), item->Name());
    if (item->IsEnabled()) {
        ApplyAlarmColour(display, item->IsOutOfRange());
        display.SetDisplayText(QString::number(item->Rpm()));
    } else {
        display.SetDisplayText(QStringLiteral("OFF"));
    }
}

void CKelvaneDlg::CheckWarnings() { ShowAlarms(m_warnings.CheckWarnings(m_Engine, m_prefs, m_bMailReady)); }

void CKelvaneDlg::SetNotifier(IDesktopNotifier* notifier)
{
    m_pNotifier = notifier != nullptr ? notifier : m_pOwnNotifier.get();
}

std::string CKelvaneDlg::AlarmTooltip(const std::vector<std::string>& names)
{
    if (names.empty()) return CSystemTray::kTooltip;
    std::string tooltip = "Kelvane - alarm: ";
    for (std::size_t i = 0; i < names.size(); ++i) tooltip += (i ? ", " : "") + names[i];
    return tooltip;
}

QString CKelvaneDlg::ValueWithUnit(const CSensorItem& item) const
{
    char text[64];
    if (const auto* fan = dynamic_cast<const CFanItem*>(&item)) {
        std::snprintf(text, sizeof text, "%d RPM", static_cast<int>(fan->Rpm()));
        return QString::fromLatin1(text);
    }
    if (dynamic_cast<const CTempItem*>(&item) != nullptr) {
        const bool centigrade = m_prefs.m_bCentigrade;
        return FormatReal(centigrade ? item.Value() : item.Value() * 1.8 + 32) +
               (centigrade ? QStringLiteral(" \u00B0C") : QStringLiteral(" \u00B0F"));
    }
    std::snprintf(text, sizeof text, "%2.2f", item.Value());
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.')) + QStringLiteral(" V");
}

void CKelvaneDlg::ShowAlarms(const CWarningMonitor::SAlarms& alarms)
{
    if (!alarms.changed) return;
    std::vector<std::string> names;
    QStringList lines;
    bool newItem = false;
    for (const int i : alarms.items) {
        const CSensorItem* item = m_Engine.Item(i);
        if (item == nullptr) continue;
        names.push_back(item->Name());
        lines << QString::fromStdString(item->Name()) + QLatin1Char(' ') + ValueWithUnit(*item);
        if (std::find(m_alarmItems.begin(), m_alarmItems.end(), i) == m_alarmItems.end()) newItem = true;
    }
    m_alarmItems = alarms.items;
    m_TrayIcon.SetIcon(names.empty() ? m_trayIcon : m_trayAlarmIcon, AlarmTooltip(names));
    // One notification per new alarm episode: an item that was not in
    // alarm at the last tick.
    if (newItem && m_pNotifier != nullptr)
        m_pNotifier->Notify(QStringLiteral("Kelvane: hardware alarm"), lines.join(QLatin1Char('\n')), true);
}

int CKelvaneDlg::IndexOf(const CSensorItem& item) const
{
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i)
        if (m_Engine.Item(i) == &item) return i;
    return -1;
}

void CKelvaneDlg::UpdateCountdown()
{
    // The item whose shutdown timer runs out first.
    int soonest = -1;
    int64_t least = 0;
    for (int i = 0; i < CHardwareMonitor::kItemCount; ++i) {
        const CSensorItem* item = m_Engine.Item(i);
        const int64_t left = item ? item->ShutdownSecondsLeft() : -1;
        if (left < 0) continue;
        if (soonest < 0 || left < least) {
            soonest = i;
            least = left;
        }
    }
    CShutdownCountdown& box = *m_pCountdown;
    if (soonest < 0) {
        if (box.Item() >= 0) box.Dismiss();
        m_countdownTimer.stop();
        return;
    }
    const CSensorItem& item = *m_Engine.Item(soonest);
    // A pending item's box shows the request or its refusal, set when the
    // engine asked.
    if (!item.IsShutdownPending() || box.Item() < 0)
        box.ShowCountdown(soonest, least, QString::fromStdString(item.Name()), ValueWithUnit(item));
    if (!m_countdownTimer.isActive()) m_countdownTimer.start(kCountdownPeriodMs, this);
}

void CKelvaneDlg::CancelShutdown(int index)
{
    CSensorItem* item = m_Engine.Item(index);
    if (item == nullptr) return;
    item->SetShutDownEnable(false);
    m_warnings.WriteLogLine(CWarningMonitor::kShutdownCancelled,
                            CWarningMonitor::ItemEntry(*item, m_prefs.m_bCentigrade) +
                                "shut-down cancelled by the user until the next start");
    UpdateCountdown();
}

void CKelvaneDlg::PowerOffRequested(const CSensorItem& item)
{
    // Written before the request goes out: the record of why the machine
    // went down, whatever the log switch says.
    m_warnings.WriteLogLine(CWarningMonitor::kPowerOff,
                            CWarningMonitor::ItemEntry(item, m_prefs.m_bCentigrade) + "out of range for " +
                                std::to_string(item.ShutDownTime()) + " s, power-off requested");
    m_pCountdown->ShowPoweringOff(IndexOf(item), QString::fromStdString(item.Name()), ValueWithUnit(item));
}

void CKelvaneDlg::PowerOffRefused(const CSensorItem& item, const std::string& reason)
{
    m_warnings.WriteLogLine(CWarningMonitor::kPowerOffRefused,
                            CWarningMonitor::ItemEntry(item, m_prefs.m_bCentigrade) + "power-off refused" +
                                (reason.empty() ? std::string() : ": " + reason));
    const QString name = QString::fromStdString(item.Name());
    m_pCountdown->ShowRefused(IndexOf(item), name, ValueWithUnit(item), QString::fromStdString(reason));
    if (m_pNotifier != nullptr)
        m_pNotifier->Notify(QStringLiteral("Kelvane could not power off this computer"),
                            name + QLatin1Char(' ') + ValueWithUnit(item) + QStringLiteral(": ") +
                                QString::fromStdString(reason),
                            true);
}

void CKelvaneDlg::OnMailFailed(const std::string& failure)
{
    if (m_prefs.m_bErrorLog) m_warnings.WriteLogLine(CWarningMonitor::kMailFailed, "alert mail not sent: " + failure);
    if (m_pNotifier != nullptr)
        m_pNotifier->Notify(QStringLiteral("Kelvane: alert mail not sent"), QString::fromStdString(failure), false);
}

bool CKelvaneDlg::OnPowerBroadcast(int code) { return CPowerEventHandler::Handle(m_Engine, code); }

void CKelvaneDlg::ShowDetail()
{
    m_buttons.at(kIdExpand)->hide();
    m_buttons.at(kIdVoltDetail)->show();
    m_buttons.at(kIdVoltBack)->show();
    ApplyForm(kExpandedOutline, kExpandedFace);
    m_bExpanded = true;
    m_prefs.m_bExpanded = true;
    repaint();
}

void CKelvaneDlg::ShowCompact()
{
    m_buttons.at(kIdVoltDetail)->hide();
    m_buttons.at(kIdVoltBack)->hide();
    m_buttons.at(kIdExpand)->show();
    ApplyForm(kCompactOutline, kCompactFace);
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
        m_pSimulatedTag->setFont(tagFont);
        m_pSimulatedTag->SetTextColour(kAmber);
        m_pSimulatedTag->SetText(QStringLiteral("SIMULATED"));
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
    if (const std::string owner = CAccessPathChooser::OwnerText(m_Engine.ChipSetType()); !owner.empty())
        remarks.push_back(owner);
    remarks.insert(remarks.end(), m_accessNotes.begin(), m_accessNotes.end());
    CAboutDlg about(m_skins, this, m_strChipAccess, remarks);
    about.exec();
}

void CKelvaneDlg::OpenMonitorSetting()
{
    const CCaptionTranslator translator(m_seams.engine.profile, m_seams.languageCode);
    const CMonitorSettingHost host{
        m_Engine,
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
    CMonitorSettingDlg dialog(host, this);
    if (m_Engine.ChipSetType() == kChipSetDriverOwnedReadOnly)
        dialog.SetNotice(QStringLiteral("Read beside the kernel driver: limits are Kelvane's own"),
                         QString::fromLatin1(CAccessPathChooser::kDriverOwnsChipText));
    dialog.exec();
}

void CKelvaneDlg::OpenDisplaySetting()
{
    const CCaptionTranslator translator(m_seams.engine.profile, m_seams.languageCode);
    CDisplaySettingDlg dialog(
        CDisplaySettingDlg::Context{
            m_Engine,
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
}

void CKelvaneDlg::OpenSuiteItems()
{
    CSuiteItemsDlg dialog(m_suiteReporter.SendList(), this);
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
    if (m_TrayIcon.IsRemoved() || !m_trayHost.IsAvailable()) {
        showMinimized();
    } else {
        m_TrayIcon.AnimateToTray(*this);
        m_bInTray = true;
    }
    m_TrayIcon.SetDefaultMenuItem(CSystemTray::kMaximize, false);
}

void CKelvaneDlg::RestorePlacement()
{
    if (!m_prefs.m_bWindowPlaced) return;
    const QPoint position(m_prefs.m_nWindowX, m_prefs.m_nWindowY);
    // A place on a screen that has gone since (a second monitor) would put
    // the window out of reach: then the desktop places it.
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(QRect(position, size()).adjusted(40, 10, -40, -10))) {
            move(position);
            return;
        }
    }
}

void CKelvaneDlg::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // Only a place the user can see is worth coming back to.
    if (!isVisible() || isMinimized() || m_bInTray) return;
    m_prefs.m_bWindowPlaced = true;
    m_prefs.m_nWindowX = pos().x();
    m_prefs.m_nWindowY = pos().y();
}

void CKelvaneDlg::RestoreFromTray()
{
    // Back where the user left it.
    if (m_prefs.m_bWindowPlaced && !isVisible()) move(m_prefs.m_nWindowX, m_prefs.m_nWindowY);
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
        m_windowMenu->addAction(QStringLiteral("&About Kelvane..."), this, [this] { ShowAbout(); });
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
