#include "windows/CDisplaySettingDlg.h"

#include "windows/CUserPreferences.h"
#include "engine/CHardwareMonitor.h"
#include "platform/CAutostartEntry.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "skin/CSkinLogo.h"
#include "skin/SkinDraw.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CSortedListBox.h"
#include "windows/IShellOpener.h"

#include <QBitmap>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Dialog units: 1.5 px across, 1.625 px down.
int X(int units) { return static_cast<int>(std::lround(units * 1.5)); }
int Y(int units) { return static_cast<int>(std::lround(units * 1.625)); }
QRect Units(int x, int y, int width, int height) { return QRect(X(x), Y(y), X(width), Y(height)); }

void SetControlId(QWidget* widget, int id)
{
    widget->setObjectName(QString::number(id));
    widget->setProperty("controlId", id);
}

// The seven list buttons share a skin and a column.
constexpr std::array kListButtons = {CDisplaySettingDlg::kApplySub,  CDisplaySettingDlg::kSelectAll,
                                     CDisplaySettingDlg::kRemoveSub, CDisplaySettingDlg::kRemoveMain,
                                     CDisplaySettingDlg::kApplyMain, CDisplaySettingDlg::kAddSub,
                                     CDisplaySettingDlg::kAddMain};

// Keyboard focus, in the amber of the face's focus ring.
constexpr Colorref kFocusRing = 0x00B0FF;
constexpr const char* kListStyle =
    "QListWidget { border: 1px solid #9AA0A6; } QListWidget:focus { border: 2px solid #FFB000; }";

constexpr int kTabImageWidth = 15;
constexpr int kTabStripBitmap = 223;
constexpr int kLogoBitmap = 224;
// The rotation lists offer every voltage, the battery (VOLT9 or VOLT10 on
// most boards) included; inputs the chip lacks are switched off and so not
// listed.
constexpr int kOfferedVolts = CUserPreferences::kVoltItems;

// The tab images: bitmap 223 cut into 15-pixel-wide images, white pixels
// transparent.
QIcon TabImage(const QImage& strip, int index)
{
    const QImage image = strip.copy(index * kTabImageWidth, 0, kTabImageWidth, strip.height());
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
    return QIcon(pixmap);
}

}  // namespace

CDisplaySettingDlg::CDisplaySettingDlg(Context context, QWidget* parent)
    : QDialog(parent), m_context(std::move(context))
{
    setObjectName(QString::number(kDialogId));
    setProperty("controlId", kDialogId);
    setWindowTitle(QStringLiteral("Display Setting"));
    setFixedSize(X(309), Y(199));
    setModal(true);

    // Dialog units are measured on an 8-point dialog font, 11 pixels high;
    // the layout below is drawn for that size.
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    BuildControls();

    // 1. tab images, 2. skins, 3. pages, 4. captions, 5. lists of the
    // Voltage page, 6. switches and address.
    const QImage strip = m_context.skin.Image(kTabStripBitmap);
    m_pTab->setIconSize(QSize(kTabImageWidth, strip.isNull() ? kTabImageWidth : strip.height()));
    SkinButtons();
    InsertPages();
    for (int page = 0; page < m_pTab->count() && !strip.isNull(); ++page)
        m_pTab->setTabIcon(page, TabImage(strip, page));
    m_context.translator.TranslateCaptions(*this, "Display Setting", TranslatedControls());
    // The window title and the tabs are no control's caption.
    setWindowTitle(m_context.translator.Translate("Display Setting", windowTitle()));
    if (auto* logo = findChild<CSkinLogo*>(QStringLiteral("logo")))
        logo->setText(m_context.translator.Translate("Display Setting", logo->text()));
    for (int page = 0; page < m_pTab->count(); ++page)
        m_pTab->setTabText(page, m_context.translator.Translate("Display Setting", m_pTab->tabText(page)));
    FitButtonCaptions();
    FillLists(kVoltagePage);

    const CUserPreferences& preferences = m_context.preferences;
    m_pEMailEnable->setChecked(preferences.m_bEMailEnable);
    m_pAutoRun->setChecked(preferences.m_bAutoRun);
    m_pEMailAddress->setText(QString::fromStdString(preferences.m_strEMailAddr));
    m_pErrorLog->setChecked(preferences.m_bErrorLog);

    connect(m_pTab, &QTabWidget::currentChanged, this, &CDisplaySettingDlg::OnPageChanged);
}

CDisplaySettingDlg::~CDisplaySettingDlg() = default;

const std::vector<int>& CDisplaySettingDlg::TranslatedControls()
{
    static const std::vector<int> ids = {
        kEMailEnable, kErrorLog, kAutoRun, kApplySub,  kSelectAll, kCancel,     kOk,          kRemoveSub,
        kApplyMain,   kAddSub,   kAddMain, kTitleMain, kTitleSub,  kTitleItems, kRemoveMain, kViewErrorLog};
    return ids;
}

CSkinButton* CDisplaySettingDlg::AddSkinButton(int id, const QString& caption, const QRect& rect)
{
    auto* button = new CSkinButton(&m_context.skin, this);
    button->setText(caption);
    button->setGeometry(rect);
    SetControlId(button, id);
    // Tab shows where it is: the face's amber ring.
    button->setFocusPolicy(Qt::StrongFocus);
    button->SetFocusRing(kFocusRing);
    return button;
}

QCheckBox* CDisplaySettingDlg::AddCheckBox(int id, const QString& caption, const QRect& rect)
{
    auto* box = new QCheckBox(caption, this);
    box->setGeometry(rect);
    SetControlId(box, id);
    return box;
}

void CDisplaySettingDlg::BuildControls()
{
    // The frames first, so that the controls drawn over them stay on top.
    m_pTab = new QTabWidget(this);
    m_pTab->setGeometry(Units(4, 3, 301, 123));
    SetControlId(m_pTab, kTab);

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("optionGroup"));
    group->setGeometry(Units(4, 130, 189, 65));

    const QImage logoImage = m_context.skin.Image(kLogoBitmap);
    auto* logo = new CSkinLogo(logoImage, this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setGeometry(QRect(QPoint(X(198), Y(130)), logoImage.isNull() ? QSize(X(107), Y(30)) : logoImage.size()));

    const auto addTitle = [this](int id, const QString& caption, const QRect& rect) {
        auto* title = new QLabel(caption, this);
        title->setGeometry(rect);
        SetControlId(title, id);
    };
    addTitle(kTitleItems, QStringLiteral("Display Item List"), Units(12, 21, 115, 9));
    addTitle(kTitleMain, QStringLiteral("Main Screen"), Units(183, 21, 115, 9));
    addTitle(kTitleSub, QStringLiteral("SubScreen"), Units(183, 84, 115, 9));

    const auto addList = [this](int id, const QRect& rect) {
        auto* list = new CSortedListBox(this);
        list->setGeometry(rect);
        // A focused list says so with a frame in the focus colour.
        list->setStyleSheet(QString::fromLatin1(kListStyle));
        SetControlId(list, id);
        return list;
    };
    m_pItemList = addList(kItemList, Units(12, 30, 115, 91));
    m_pMainList = addList(kMainList, Units(183, 30, 115, 52));
    m_pSubList = addList(kSubList, Units(183, 93, 115, 28));

    const auto connectButton = [this](CSkinButton* button, void (CDisplaySettingDlg::*action)()) {
        connect(button, &QAbstractButton::clicked, this, action);
    };
    connectButton(AddSkinButton(kAddMain, QStringLiteral("Add >>"), Units(133, 30, 43, 12)),
                  &CDisplaySettingDlg::OnAddMain);
    connectButton(AddSkinButton(kSelectAll, QStringLiteral("Select All"), Units(133, 43, 43, 12)),
                  &CDisplaySettingDlg::OnSelectAll);
    connectButton(AddSkinButton(kRemoveMain, QStringLiteral("Remove"), Units(133, 56, 43, 12)),
                  &CDisplaySettingDlg::OnRemoveMain);
    connectButton(AddSkinButton(kApplyMain, QStringLiteral("Apply"), Units(133, 70, 43, 12)),
                  &CDisplaySettingDlg::OnApplyMain);
    connectButton(AddSkinButton(kAddSub, QStringLiteral("Add >>"), Units(133, 93, 43, 12)),
                  &CDisplaySettingDlg::OnAddSub);
    CSkinButton* removeSub = AddSkinButton(kRemoveSub, QStringLiteral("Remove"), Units(133, 109, 43, 12));
    connectButton(removeSub, &CDisplaySettingDlg::OnRemoveSub);
    removeSub->setEnabled(false);
    removeSub->hide();
    connectButton(AddSkinButton(kApplySub, QStringLiteral("Apply"), Units(133, 109, 43, 12)),
                  &CDisplaySettingDlg::OnApplySub);

    m_pEMailEnable = AddCheckBox(kEMailEnable, QStringLiteral("Warning alert by E-Mail"), Units(11, 137, 170, 10));
    m_pEMailAddress = new QLineEdit(this);
    m_pEMailAddress->setGeometry(Units(11, 149, 175, 13));
    SetControlId(m_pEMailAddress, kEMailAddress);
    // Root.ini keeps at most 255 characters of the address; a longer one
    // would come back cut at the next start.
    m_pEMailAddress->setMaxLength(255);
    m_pErrorLog = AddCheckBox(kErrorLog, QStringLiteral("Error log recording"), Units(11, 166, 100, 10));
    connectButton(AddSkinButton(kViewErrorLog, QStringLiteral("View Error Log"), Units(115, 166, 72, 12)),
                  &CDisplaySettingDlg::OnViewErrorLog);
    m_pAutoRun = AddCheckBox(kAutoRun, QStringLiteral("Run Kelvane when system start up."), Units(11, 180, 170, 10));
    QCheckBox* hidden = AddCheckBox(kHiddenCheck, QString(), Units(11, 180, 10, 10));
    hidden->hide();

    connectButton(AddSkinButton(kOk, QStringLiteral("OK"), Units(198, 183, 52, 12)), &CDisplaySettingDlg::OnOK);
    connect(AddSkinButton(kCancel, QStringLiteral("Cancel"), Units(253, 183, 51, 12)), &QAbstractButton::clicked, this,
            &QDialog::reject);
}

void CDisplaySettingDlg::SkinButtons()
{
    // Normal, pressed, no hover, the normal image when disabled, no focus
    // image, mask; drawn at the mask's size without border or focus margin.
    const auto skin = [this](int id, int normal, int pressed, int mask) {
        if (auto* button = qobject_cast<CSkinButton*>(Control(id)))
            button->ApplySkin(normal, pressed, 0, normal, 0, mask, kDrawNormal, 0, 0);
    };
    skin(kViewErrorLog, 219, 218, 217);
    for (const int id : kListButtons) skin(id, 222, 221, 220);
    skin(kOk, 216, 215, 214);
    skin(kCancel, 240, 239, 238);
}

void CDisplaySettingDlg::FitButtonCaptions()
{
    // The skin buttons have a fixed size and rounded ends; a translated
    // caption that would run into the ends is set a pixel or two smaller.
    // The list buttons stand in one column and share one size.
    const auto fittingSize = [](const CSkinButton& button) {
        QFont captionFont = button.font();
        while (captionFont.pixelSize() > kSmallestCaptionPixels &&
               QFontMetrics(captionFont).horizontalAdvance(button.text()) > CaptionRoom(button))
            captionFont.setPixelSize(captionFont.pixelSize() - 1);
        return captionFont.pixelSize();
    };
    int listSize = font().pixelSize();
    for (const int id : kListButtons) {
        if (const auto* button = qobject_cast<CSkinButton*>(Control(id)))
            listSize = std::min(listSize, fittingSize(*button));
    }
    for (CSkinButton* button : findChildren<CSkinButton*>()) {
        const int id = button->property("controlId").toInt();
        const bool inList = std::find(kListButtons.begin(), kListButtons.end(), id) != kListButtons.end();
        QFont captionFont = button->font();
        captionFont.setPixelSize(inList ? listSize : fittingSize(*button));
        button->setFont(captionFont);
    }
}

int CDisplaySettingDlg::CaptionRoom(const CSkinButton& button)
{
    return button.width() - 2 * kCaptionMargin;
}

void CDisplaySettingDlg::InsertPages()
{
    // The pages are empty: the lists and buttons are the dialog's own
    // controls, laid over the tab control, and each page change refills them.
    for (const char* title : {"Voltage", "Fan", "Temperature"}) {
        auto* page = new QWidget(m_pTab);
        m_pTab->addTab(page, QString::fromLatin1(title));
    }
}

QWidget* CDisplaySettingDlg::Control(int controlId) const
{
    return findChild<QWidget*>(QString::number(controlId));
}

int CDisplaySettingDlg::CurrentPage() const { return m_pTab->currentIndex(); }

CDisplaySettingDlg::PageItems CDisplaySettingDlg::Items(int page) const
{
    CUserPreferences& p = m_context.preferences;
    switch (page) {
    case kFanPage:
        return {CHardwareMonitor::kFirstFan, CUserPreferences::kFanItems, CUserPreferences::kFanItems,
                CUserPreferences::kFanCapacity, &p.m_nFanCount, p.m_nFanItem.data(), &p.m_nSubFanItem};
    case kTemperaturePage:
        return {CHardwareMonitor::kFirstTemp, CUserPreferences::kTempItems, CUserPreferences::kTempItems,
                CUserPreferences::kTempCapacity, &p.m_nTempCount, p.m_nTempItem.data(), &p.m_nSubTempItem};
    default:
        return {0, kOfferedVolts, CUserPreferences::kVoltItems, CUserPreferences::kVoltCapacity, &p.m_nVoltCount,
                p.m_nVoltItem.data(), &p.m_nSubVoltItem};
    }
}

const CMonitorSettings::SItem* CDisplaySettingDlg::GroupItem(const PageItems& items, int index) const
{
    if (index < 0 || index >= items.groupSize) return nullptr;
    const int engineIndex = items.firstItem + index;
    if (engineIndex < 0 || engineIndex >= CHardwareMonitor::kItemCount) return nullptr;
    const CMonitorSettings::SItem& item = m_context.items.items[static_cast<std::size_t>(engineIndex)];
    return item.exists ? &item : nullptr;
}

void CDisplaySettingDlg::FillLists(int page)
{
    const PageItems items = Items(page);
    const auto addEnabled = [](CSortedListBox* list, const CMonitorSettings::SItem* item) {
        if (item != nullptr && item->enabled) list->AddString(QString::fromStdString(item->name));
    };

    for (int i = 0; i < items.offered; ++i) addEnabled(m_pItemList, GroupItem(items, i));

    const int count = std::clamp<int>(*items.count, 0, items.capacity);
    for (int i = 0; i < count; ++i) addEnabled(m_pMainList, GroupItem(items, items.selection[i]));

    if (page == kVoltagePage) {
        for (const std::int32_t index : *items.subSelection) addEnabled(m_pSubList, GroupItem(items, index));
    } else {
        // The fan and temperature sub-screens always show their group's
        // first items; the list only shows what is there to show.
        for (int i = 0; i < items.offered; ++i) addEnabled(m_pSubList, GroupItem(items, i));
    }
}

void CDisplaySettingDlg::OnPageChanged(int page)
{
    m_pItemList->ResetContent();
    m_pMainList->ResetContent();
    m_pSubList->ResetContent();
    m_pSubList->setEnabled(page == kVoltagePage);
    FillLists(page);
}

void CDisplaySettingDlg::OnAddMain()
{
    const int selected = m_pItemList->GetCurSel();
    if (selected < 0) return;
    const QString text = m_pItemList->GetText(selected);
    if (m_pMainList->FindString(text) < 0) m_pMainList->InsertString(0, text);
}

void CDisplaySettingDlg::OnSelectAll()
{
    for (int i = 0; i < m_pItemList->GetCount(); ++i) {
        const QString text = m_pItemList->GetText(i);
        if (m_pMainList->FindString(text) < 0) m_pMainList->InsertString(-1, text);
    }
}

void CDisplaySettingDlg::OnRemoveMain()
{
    // The rotation needs at least one entry: the last one stays.
    const int selected = m_pMainList->GetCurSel();
    if (selected >= 0 && m_pMainList->GetCount() >= 2) m_pMainList->DeleteString(selected);
}

void CDisplaySettingDlg::OnApplyMain()
{
    const PageItems items = Items(CurrentPage());
    int count = 0;
    for (int i = 0; i < items.offered && count < items.capacity; ++i) {
        const CMonitorSettings::SItem* item = GroupItem(items, i);
        if (item != nullptr && m_pMainList->FindString(QString::fromStdString(item->name)) >= 0)
            items.selection[count++] = i;
    }
    *items.count = count;
}

void CDisplaySettingDlg::OnAddSub()
{
    const int selected = m_pItemList->GetCurSel();
    if (selected < 0) return;
    const QString text = m_pItemList->GetText(selected);
    if (m_pSubList->FindString(text) >= 0) return;
    // The sub-screen shows three items: a fourth pushes out the bottom one.
    if (m_pSubList->GetCount() >= CUserPreferences::kSubCount) m_pSubList->DeleteString(m_pSubList->GetCount() - 1);
    m_pSubList->InsertString(0, text);
}

void CDisplaySettingDlg::OnRemoveSub()
{
    const int selected = m_pSubList->GetCurSel();
    if (selected < 0) return;
    if (CurrentPage() == kVoltagePage && m_pSubList->GetCount() < 4) return;
    m_pSubList->DeleteString(selected);
}

void CDisplaySettingDlg::OnApplySub()
{
    const int page = CurrentPage();
    const PageItems items = Items(page);
    std::array<std::int32_t, 3>& subSlots = *items.subSelection;

    if (page == kVoltagePage) {
        std::size_t slot = 0;
        for (int i = 0; i < items.offered && slot < subSlots.size(); ++i) {
            const CMonitorSettings::SItem* item = GroupItem(items, i);
            if (item != nullptr && m_pSubList->FindString(QString::fromStdString(item->name)) >= 0)
                subSlots[slot++] = i;
        }
        if (m_context.refreshVoltSubScreen) m_context.refreshVoltSubScreen();
        return;
    }

    // Fan and temperature: the list shows every enabled item of the page and
    // cannot be edited, so the choice is the first three enabled items in
    // item order, the last one repeated when there are fewer. With none
    // enabled there is nothing to choose and the subSlots stay as they are.
    std::vector<std::int32_t> enabled;
    for (int i = 0; i < items.offered && enabled.size() < subSlots.size(); ++i) {
        const CMonitorSettings::SItem* item = GroupItem(items, i);
        if (item != nullptr && item->enabled) enabled.push_back(i);
    }
    if (enabled.empty()) return;
    for (std::size_t slot = 0; slot < subSlots.size(); ++slot)
        subSlots[slot] = enabled[std::min(slot, enabled.size() - 1)];
}

void CDisplaySettingDlg::OnViewErrorLog()
{
    m_context.shellOpener.OpenFile(m_context.programDirectory + "/error.txt");
}

void CDisplaySettingDlg::OnOK()
{
    OnApplySub();
    OnApplyMain();

    // A failure to write or remove the entry is not reported.
    const CAutostartEntry autostart(m_context.autostartDirectory);
    if (m_pAutoRun->isChecked())
        autostart.Write(m_context.programDirectory + "/kelvane");
    else
        autostart.Remove();

    CUserPreferences& preferences = m_context.preferences;
    preferences.m_bEMailEnable = m_pEMailEnable->isChecked();
    // InitEmail shows its own failure; the dialog only keeps e-mail off.
    if (m_context.initEmail && !m_context.initEmail()) preferences.m_bEMailEnable = false;

    preferences.m_bAutoRun = m_pAutoRun->isChecked();
    preferences.m_bErrorLog = m_pErrorLog->isChecked();
    preferences.m_strEMailAddr = m_pEMailAddress->text().toStdString();

    if (m_context.savePreferences) m_context.savePreferences(m_context.iniPath);
    accept();
}
