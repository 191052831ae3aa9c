#include "windows/CMonitorSettingDlg.h"

#include <algorithm>

#include "windows/CUserPreferences.h"
#include "engine/CHardwareMonitor.h"
#include "windows/CMonitorSettings.h"
#include "skin/CRulerSlider.h"
#include "skin/SkinCaption.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "skin/CSkinLogo.h"
#include "windows/CCaptionTranslator.h"
#include "windows/CLimitField.h"
#include "windows/MonitorSettingScale.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimerEvent>
#include <QVariant>

#include <QPointer>

#include <limits>
#include <vector>

using namespace MonitorSettingScale;

namespace {
constexpr const char* kSection = "Monitor Setting";
}  // namespace

namespace {

// Designed control ids of row r (1-based) of each kind. The design has
// eight voltage rows and three fan rows; VOLT9, VOLT10 (VBAT on most boards),
// FAN4 and FAN5 take ids of their own from 1200 up, ten to a row, in the
// order name, value, low, slider, high, enable, beep, shut down, default.
constexpr int kDesignedVoltRows = 8;
constexpr int kDesignedFanRows = 3;
int ExtraVoltId(int r, int k) { return 1200 + (r - kDesignedVoltRows - 1) * 10 + k; }
int ExtraFanId(int r, int k) { return 1220 + (r - kDesignedFanRows - 1) * 10 + k; }

int VoltNameId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 0) : 1078 + r; }
int VoltValueId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 1) : 1105 + r; }
int VoltLowId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 2) : 1094 + r; }
int VoltSliderIdOf(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 3) : 1050 + r; }
int VoltHighId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 4) : 1086 + r; }
int VoltEnableId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 5) : 1016 + 2 * r; }
int VoltBeepId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 6) : 1017 + 2 * r; }
int VoltShutDownId(int r)
{
    static constexpr int kIds[] = {1048, 1049, 1050, 1141, 1142, 1143, 1144, 1145};
    return r > kDesignedVoltRows ? ExtraVoltId(r, 7) : kIds[r - 1];
}
int VoltDefaultId(int r) { return r > kDesignedVoltRows ? ExtraVoltId(r, 8) : 1058 + r; }

int FanNameId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 0) : 1102 + r; }
int FanValueId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 1) : 1114 + r; }
int FanLowId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 2) : 1118 + r; }
int FanSliderIdOf(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 3) : 1066 + r; }
int FanHighId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 4) : 1122 + r; }
int FanEnableId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 5) : 1033 + r; }
int FanBeepId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 6) : 1037 + r; }
int FanShutDownId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 7) : 1145 + r; }
int FanDefaultId(int r) { return r > kDesignedFanRows ? ExtraFanId(r, 8) : 1070 + r; }

int TempNameId(int r) { return 1126 + r; }
int TempValueId(int r) { return 1129 + r; }
int TempLowId(int r) { return 1132 + r; }
int TempSliderIdOf(int r) { return 1074 + r; }
int TempHighId(int r) { return 1135 + r; }
int TempEnableId(int r) { return 1041 + r; }
int TempBeepId(int r) { return 1044 + r; }
int TempShutDownId(int r) { return 1149 + r; }
int TempDefaultId(int r) { return 1153 + r; }

constexpr int kScaleFan = 229;
constexpr int kScaleTemp = 230;
constexpr int kLogo = 224;
constexpr int kButtonNormal = 226;
constexpr int kButtonPressed = 228;
constexpr int kButtonMask = 227;

// The layout, in pixels of the client area. Every row of the three groups
// shares one grid of columns; the headers stand over it.
constexpr int kGroupLeft = 4;
constexpr int kGroupWidth = CMonitorSettingDlg::kWidth - 2 * kGroupLeft;
constexpr int kGroupTitle = 17;      // from a group's top to its first row
constexpr int kGroupBottom = 4;      // below its last row
constexpr int kHeaderTop = 2;
constexpr int kHeaderHeight = 28;    // two lines of 14
constexpr int kVoltTop = 30;
constexpr int kVoltRowHeight = 18;
constexpr int kScaleRowHeight = 25;  // slider over its scale picture
constexpr int kGroupGap = 3;
constexpr int kFootHeight = 56;      // the logo and the three buttons
constexpr int kFieldHeight = 16;

// Columns, in group coordinates (the group starts at x = kGroupLeft).
constexpr int kNameX = 6, kNameW = 112;
constexpr int kValueX = 120, kValueW = 44;
constexpr int kLowX = 170, kLowW = 50;
constexpr int kSliderX = 226, kSliderW = 160;
constexpr int kHighX = 392, kHighW = 50;
constexpr int kShutDownX = 450, kShutDownW = 18;
constexpr int kTimeX = 470, kTimeW = 42;
constexpr int kDefaultX = 520, kDefaultW = 22;

// The scale pictures are 160 × 20; the plain slider's groove lies on the
// picture's colour bar (3 to 5 pixels from its top), its handle over it.
constexpr int kScaleTop = 3;
constexpr int kSliderHeight = 13;

void SetControlId(QWidget* widget, int id)
{
    widget->setObjectName(QString::number(id));
    widget->setProperty("controlId", id);
}

QLabel* AddLabel(QWidget* parent, int id, Qt::Alignment alignment, const QRect& rect)
{
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setGeometry(rect);
    return label;
}

QCheckBox* AddHiddenCheck(QWidget* parent, int id)
{
    auto* box = new QCheckBox(parent);
    SetControlId(box, id);
    box->hide();
    return box;
}

bool IsChecked(const QCheckBox* box) { return box && box->isChecked(); }

// An item name too long for its column ends in an ellipsis; the whole name
// is its tooltip.
void SetName(QLabel* label, const std::string& name)
{
    const QString text = QString::fromStdString(name);
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->width()));
    label->setToolTip(text);
}

// Colours of the skin's face: a dark brushed plate with light engraving.
QPalette DialogPalette()
{
    QPalette palette;
    const QColor window(0x2B, 0x30, 0x36);
    const QColor text(0xDC, 0xE2, 0xE8);
    const QColor muted(0x70, 0x78, 0x82);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor(0x1C, 0x21, 0x26));
    palette.setColor(QPalette::AlternateBase, QColor(0x22, 0x27, 0x2C));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3A, 0x41, 0x49));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Light, QColor(0x5A, 0x63, 0x6D));
    palette.setColor(QPalette::Midlight, QColor(0x46, 0x4E, 0x57));
    palette.setColor(QPalette::Mid, QColor(0x24, 0x29, 0x2E));
    palette.setColor(QPalette::Dark, QColor(0x12, 0x15, 0x18));
    palette.setColor(QPalette::Shadow, QColor(0x0A, 0x0C, 0x0E));
    palette.setColor(QPalette::Highlight, QColor(0x2E, 0x9C, 0xC4));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x16, 0x1A, 0x1E));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, muted);
    palette.setColor(QPalette::Disabled, QPalette::Text, muted);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, muted);
    return palette;
}

// The plain sliders draw only a handle: their groove is the scale picture's
// colour bar beneath them.
constexpr const char* kSliderStyle =
    "QSlider::groove:horizontal { background: transparent; height: 5px; margin: 0 1px; }"
    "QSlider::handle:horizontal { width: 7px; margin: -4px 0; border-radius: 2px;"
    " border: 1px solid #0A0C0E;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #F4F7FA, stop:1 #A9B4BF); }"
    "QSlider::handle:horizontal:disabled { background: #4A525B; border-color: #2A2F35; }";

// A group box drawn as a thin rounded frame whose top line runs through the
// middle of the title line, with the title in the accent colour. Controls
// standing on the title line fill their own background, which breaks the
// line around them.
class CSettingGroup : public QGroupBox {
public:
    CSettingGroup(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QFontMetrics metrics(font());
        const int lineY = metrics.height() / 2;
        painter.setPen(QPen(QColor(0x4E, 0x58, 0x62), 1.0));
        painter.drawRoundedRect(QRectF(0.5, lineY + 0.5, width() - 1.0, height() - lineY - 1.0), 4, 4);
        const QRect titleRect(8, 0, metrics.horizontalAdvance(title()) + 8, metrics.height());
        painter.fillRect(titleRect, palette().color(QPalette::Window));
        painter.setPen(QColor(0x8F, 0xCF, 0xEA));
        painter.drawText(titleRect, Qt::AlignCenter, title());
    }
};

// The typed fields: sunk into the plate, the text in the face's light
// colour, an accent frame while focused.
constexpr const char* kFieldStyle =
    "QAbstractSpinBox { padding: 0 3px; border: 1px solid #12151A; border-radius: 2px;"
    " background: #1C2126; color: #DCE2E8; selection-background-color: #2E9CC4; }"
    "QAbstractSpinBox:focus { border: 1px solid #FFB000; }"
    "QAbstractSpinBox:disabled { color: #5C646D; background: #262B30; border-color: #20252A; }";

constexpr const char* kDefaultButtonStyle =
    "QPushButton { padding: 0; border: 1px solid #12151A; border-radius: 3px; color: #DCE2E8;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4C555F, stop:1 #343A41); }"
    "QPushButton:pressed { background: #23282D; }"
    "QPushButton:focus { border: 1px solid #FFB000; }"
    "QPushButton:disabled { color: #5C646D; background: #30353B; }";

}  // namespace

const std::array<int, 12> CMonitorSettingDlg::kTranslatedIds = {
    kIdHighHeader, kIdValueHeader, kIdShutDownHeader, kIdLowHeader, kIdLoadDefaultHeader, kIdCancel,
    kIdApply,      kIdSmartFan,    kIdItemHeader,     kIdDefaultSetting, kIdFahrenheit, kIdCentigrade,
};

CMonitorSettingDlg::CMonitorSettingDlg(const CMonitorSettingHost& host, QWidget* parent)
    : QDialog(parent), m_host(host), m_settings(host.settings != nullptr ? *host.settings : TakeHere())
{
    setObjectName(QString::number(kDialogId));
    setProperty("controlId", kDialogId);
    setWindowTitle(QStringLiteral("Monitor Setting"));
    setModal(true);

    // The dialog's unit is measured on an 11-pixel font; the condensed face
    // keeps the longer item names and the translated headers inside their
    // columns.
    QFont dialogFont(QStringLiteral("DejaVu Sans Condensed"));
    dialogFont.setPixelSize(11);
    setFont(dialogFont);
    setPalette(DialogPalette());
    setAutoFillBackground(true);

    BuildControls();

    std::vector<int> ids(kTranslatedIds.begin(), kTranslatedIds.end());
    m_host.translator.TranslateCaptions(*this, "Monitor Setting", ids);
    TranslateOtherCaptions();
    PlaceTitleLineControls();

    FillDialog();

    for (CSkinButton* button : {m_pDefaultSetting, m_pApply, m_pCancel})
        button->ApplySkin(kButtonNormal, kButtonPressed, 0, 0, 0, kButtonMask, 0, 0, 0);
    m_valueTimer.start(kValueRefreshMs, this);
}

int CMonitorSettingDlg::VoltSliderId(int row) { return VoltSliderIdOf(row); }
int CMonitorSettingDlg::FanSliderId(int row) { return FanSliderIdOf(row); }
int CMonitorSettingDlg::TempSliderId(int row) { return TempSliderIdOf(row); }

CLimitField* CMonitorSettingDlg::LowField(int sliderId) const
{
    return findChild<CLimitField*>(QStringLiteral("lowField%1").arg(sliderId));
}

CLimitField* CMonitorSettingDlg::HighField(int sliderId) const
{
    return findChild<CLimitField*>(QStringLiteral("highField%1").arg(sliderId));
}

CLimitField* CMonitorSettingDlg::ShutDownTimeField(int sliderId) const
{
    return findChild<CLimitField*>(QStringLiteral("timeField%1").arg(sliderId));
}

QWidget* CMonitorSettingDlg::Control(int id) const
{
    if (objectName() == QString::number(id)) return const_cast<CMonitorSettingDlg*>(this);
    return findChild<QWidget*>(QString::number(id));
}

void CMonitorSettingDlg::BuildControls()
{
    // Headers over the grid, on the lower of two lines. The limit headers
    // mark the slider's ends, where its low and high markers lie. The two
    // narrow columns at the right take their headers on both lines: "Shut
    // Down" above, "Load Default" below, each free to reach over its
    // neighbour, so that long translations stay whole.
    const int line = kHeaderHeight / 2;
    const auto header = [&](int id, const QString& text, Qt::Alignment alignment, int x, int width, int top) {
        QLabel* label = AddLabel(this, id, alignment, QRect(kGroupLeft + x, kHeaderTop + top, width, line));
        label->setText(text);
        return label;
    };
    header(kIdItemHeader, QStringLiteral("Item"), Qt::AlignLeft, kNameX, kNameW, line);
    header(kIdValueHeader, QStringLiteral("Value"), Qt::AlignRight, kValueX - 30, kValueW + 30, line);
    header(kIdLowHeader, QStringLiteral("Low-Limit"), Qt::AlignLeft, kLowX + 2, kSliderX - kLowX + kSliderW / 2 - 4, line);
    header(kIdHighHeader, QStringLiteral("Hi-Limit"), Qt::AlignRight, kSliderX + kSliderW / 2 + 2,
           kHighX + kHighW - kSliderX - kSliderW / 2 - 4, line);
    header(kIdShutDownHeader, QStringLiteral("Shut Down"), Qt::AlignHCenter, (kShutDownX + kTimeX + kTimeW) / 2 - 45, 90, 0);
    header(kIdLoadDefaultHeader, QStringLiteral("Load Default"), Qt::AlignRight, kDefaultX + kDefaultW + 3 - 90, 90, line);
    for (const auto& [id, text] : {std::pair{int(kIdBeepHeader), "Beep"}, std::pair{int(kIdEnableHeader), "Enable"}})
        header(id, QString::fromLatin1(text), Qt::AlignHCenter, 0, 40, 0)->hide();

    // Rows of inputs the chip does not have take no place: the rows below
    // move up and the group ends after its last present row. Presence is
    // fixed once the engine has started, so this layout holds while the
    // dialog is open.
    int y = kVoltTop;
    QWidget* volts = BuildRows(Kind::Volt, 0, kVoltRows, QStringLiteral("Voltage Setting"), y, kVoltRowHeight);
    y += volts->height() + kGroupGap;

    QWidget* fans = BuildRows(Kind::Fan, kVoltRows, kFanRows, QStringLiteral("Fan Setting"), y, kScaleRowHeight);
    m_pSmartFan = new QCheckBox(QStringLiteral("Smart Fan Enable"), fans);
    SetControlId(m_pSmartFan, kIdSmartFan);
    m_pSmartFan->setGeometry(kGroupWidth - 166, 0, 160, 16);
    m_pSmartFan->setLayoutDirection(Qt::RightToLeft);
    m_pSmartFan->setAutoFillBackground(true);
    connect(m_pSmartFan, &QCheckBox::clicked, this, &CMonitorSettingDlg::OnSmartFanClicked);
    y += fans->height() + kGroupGap;

    QWidget* temps =
        BuildRows(Kind::Temp, kVoltRows + kFanRows, kTempRows, QStringLiteral("Temperature Setting"), y, kScaleRowHeight);
    y += temps->height();
    const int height = y + kFootHeight;
    setFixedSize(kWidth, height);
    m_pFahrenheit = new QRadioButton(QStringLiteral("Fahrenheit"), temps);
    SetControlId(m_pFahrenheit, kIdFahrenheit);
    m_pFahrenheit->setGeometry(kGroupWidth - 96, 0, 90, 16);
    m_pFahrenheit->setLayoutDirection(Qt::RightToLeft);
    m_pFahrenheit->setAutoFillBackground(true);
    m_pCentigrade = new QRadioButton(QStringLiteral("Centigrade"), temps);
    SetControlId(m_pCentigrade, kIdCentigrade);
    m_pCentigrade->setGeometry(kGroupWidth - 196, 0, 96, 16);
    m_pCentigrade->setLayoutDirection(Qt::RightToLeft);
    m_pCentigrade->setAutoFillBackground(true);
    connect(m_pCentigrade, &QRadioButton::clicked, this, [this] { OnUnitClicked(true); });
    connect(m_pFahrenheit, &QRadioButton::clicked, this, [this] { OnUnitClicked(false); });

    // The logo at the left of the foot; Default Setting above Apply and
    // Cancel, apart from the two that close the dialog.
    auto* logo = new CSkinLogo(m_host.skins.Image(kLogo), this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setGeometry(kGroupLeft + 2, height - 4 - 48, 160, 48);

    const auto skinButton = [&](int id, const QString& text) {
        auto* button = new CSkinButton(&m_host.skins, this);
        SetControlId(button, id);
        button->setText(text);
        button->SetTextColour(0x201A16);
        button->setFocusPolicy(Qt::StrongFocus);
        button->SetFocusRing(0x00B0FF);
        return button;
    };
    m_pDefaultSetting = skinButton(kIdDefaultSetting, QStringLiteral("Default Setting"));
    m_pApply = skinButton(kIdApply, QStringLiteral("Apply"));
    m_pCancel = skinButton(kIdCancel, QStringLiteral("Cancel"));
    const int right = kGroupLeft + kGroupWidth;
    m_pCancel->setGeometry(right - 104, height - 4 - 22, 104, 22);
    m_pApply->setGeometry(right - 2 * 104 - 6, height - 4 - 22, 104, 22);
    m_pDefaultSetting->setGeometry(right - 104, height - 4 - 48, 104, 22);
    connect(m_pApply, &CSkinButton::clicked, this, &CMonitorSettingDlg::OnApply);
    connect(m_pCancel, &CSkinButton::clicked, this, &CMonitorSettingDlg::reject);
    connect(m_pDefaultSetting, &CSkinButton::clicked, this, &CMonitorSettingDlg::OnDefaultSetting);
}

QString CMonitorSettingDlg::Tr(const char* english) const
{
    return m_host.translator.Translate(kSection, QString::fromUtf8(english));
}

QPixmap CMonitorSettingDlg::ScalePicture(Kind kind) const
{
    QImage picture = m_host.skins.Image(kind == Kind::Fan ? kScaleFan : kScaleTemp);
    if (picture.isNull()) return {};
    picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // The words at the scale's ends, under its colour bar and ticks.
    const QString low = Tr(kind == Kind::Fan ? "SLOW" : "COOL");
    const QString high = Tr(kind == Kind::Fan ? "FAST" : "HOT");
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont font = SkinCaption::Font(7, true, 0.8);
    painter.setFont(SkinCaption::Fitted(font, low.size() > high.size() ? low : high, 60));
    painter.setPen(SkinCaption::kEngraving);
    const int width = picture.width();
    painter.drawText(QRectF(3, 11, 60, 9), Qt::AlignLeft | Qt::AlignVCenter, low);
    painter.drawText(QRectF(width - 63, 11, 60, 9), Qt::AlignRight | Qt::AlignVCenter, high);
    painter.end();
    return QPixmap::fromImage(picture);
}

void CMonitorSettingDlg::TranslateOtherCaptions()
{
    setWindowTitle(Tr("Monitor Setting"));
    if (auto* logo = findChild<CSkinLogo*>(QStringLiteral("logo"))) logo->setText(Tr(SkinCaption::kLogoCaption.text));
    for (auto* group : findChildren<QGroupBox*>()) group->setTitle(Tr(group->title().toUtf8().constData()));
    for (SRow& row : m_rows) {
        row.loadDefault->setToolTip(Tr("Load Default"));
        row.timeField->setToolTip(Tr("Seconds out of range before the power-off"));
    }
}

void CMonitorSettingDlg::PlaceTitleLineControls()
{
    // Right-aligned on their group's title line, as wide as their captions
    // (translated by now), so the frame line shows up to them.
    int right = kGroupWidth - 10;
    for (QWidget* widget : std::initializer_list<QWidget*>{m_pFahrenheit, m_pCentigrade}) {
        const int width = widget->sizeHint().width() + 2;
        widget->setGeometry(right - width, 0, width, 15);
        right -= width + 8;
    }
    const int width = m_pSmartFan->sizeHint().width() + 2;
    m_pSmartFan->setGeometry(kGroupWidth - 10 - width, 0, width, 15);
}

QWidget* CMonitorSettingDlg::BuildRows(Kind kind, int first, int count, const QString& title, int y, int rowHeight)
{
    auto* group = new CSettingGroup(title, this);
    int slot = 0;
    for (int r = 1; r <= count; ++r) {
        SRow& row = m_rows[first + r - 1];
        row.kind = kind;
        row.number = r;
        switch (kind) {
        case Kind::Volt: row.index = r - 1; break;
        case Kind::Fan: row.index = CHardwareMonitor::kFirstFan + r - 1; break;
        case Kind::Temp: row.index = CHardwareMonitor::kFirstTemp + r - 1; break;
        }
        CMonitorSettings::SItem& item = m_settings.items[static_cast<std::size_t>(row.index)];
        row.item = item.exists ? &item : nullptr;
        // An absent row keeps its controls (every designed id exists), hidden
        // under the next present row.
        BuildRow(row, group, kGroupTitle + slot * rowHeight, rowHeight);
        if (IsPresentRow(row)) ++slot;
    }
    // A group keeps at least one row's height, so its title line controls
    // stand on a frame.
    const int rows = slot > 0 ? slot : 1;
    group->setGeometry(kGroupLeft, y, kGroupWidth, kGroupTitle + rows * rowHeight + kGroupBottom);

    // The value column's unit, on the title line over the column; the column
    // itself is too narrow for a suffix on every value.
    QLabel* tag = new QLabel(group);
    tag->setObjectName(QStringLiteral("unit%1").arg(int(kind)));
    tag->setAlignment(Qt::AlignCenter);
    tag->setAutoFillBackground(true);
    QPalette palette = tag->palette();
    palette.setColor(QPalette::WindowText, QColor(0xA8, 0xB2, 0xBC));
    tag->setPalette(palette);
    m_unitTags[int(kind)] = tag;
    return group;
}

bool CMonitorSettingDlg::IsPresentRow(const SRow& row) { return row.item != nullptr && row.item->present; }

void CMonitorSettingDlg::HideRow(SRow& row)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{row.name, row.value, row.high, row.low, row.ruler,
                                                           row.slider, row.scale, row.enable, row.beep, row.shutDown,
                                                           row.loadDefault, row.lowField, row.highField,
                                                           row.timeField}) {
        if (widget != nullptr) widget->hide();
    }
}

void CMonitorSettingDlg::BuildRow(SRow& row, QWidget* group, int y, int rowHeight)
{
    const int r = row.number;
    int nameId = 0, valueId = 0, lowId = 0, sliderId = 0, highId = 0, enableId = 0, beepId = 0, shutDownId = 0,
        defaultId = 0;
    switch (row.kind) {
    case Kind::Volt:
        nameId = VoltNameId(r), valueId = VoltValueId(r), lowId = VoltLowId(r), sliderId = VoltSliderIdOf(r);
        highId = VoltHighId(r), enableId = VoltEnableId(r), beepId = VoltBeepId(r);
        shutDownId = VoltShutDownId(r), defaultId = VoltDefaultId(r);
        break;
    case Kind::Fan:
        nameId = FanNameId(r), valueId = FanValueId(r), lowId = FanLowId(r), sliderId = FanSliderIdOf(r);
        highId = FanHighId(r), enableId = FanEnableId(r), beepId = FanBeepId(r);
        shutDownId = FanShutDownId(r), defaultId = FanDefaultId(r);
        break;
    case Kind::Temp:
        nameId = TempNameId(r), valueId = TempValueId(r), lowId = TempLowId(r), sliderId = TempSliderIdOf(r);
        highId = TempHighId(r), enableId = TempEnableId(r), beepId = TempBeepId(r);
        shutDownId = TempShutDownId(r), defaultId = TempDefaultId(r);
        break;
    }

    // Texts and check boxes stand on the slider's line.
    const int lineHeight = row.kind == Kind::Volt ? rowHeight : kSliderHeight + kScaleTop + 4;
    const int lineY = row.kind == Kind::Volt ? y : y - 1;
    row.name = AddLabel(group, nameId, Qt::AlignLeft, QRect(kNameX, lineY, kNameW, lineHeight));
    row.value = AddLabel(group, valueId, Qt::AlignRight, QRect(kValueX, lineY, kValueW, lineHeight));
    row.low = AddLabel(group, lowId, Qt::AlignRight, QRect(kLowX, lineY, kLowW, lineHeight));
    row.high = AddLabel(group, highId, Qt::AlignLeft, QRect(kHighX, lineY, kHighW, lineHeight));
    if (row.kind == Kind::Fan) row.high->hide();
    if (row.kind == Kind::Temp) row.low->hide();
    // The limits are shown and typed in fields; the texts stay as the
    // record of what the slider holds.
    const QRect fieldLine(0, lineY + (lineHeight - kFieldHeight) / 2, 0, kFieldHeight);
    const auto field = [&](const QString& name, int x, int width, bool high) {
        auto* limit = new CLimitField(group);
        limit->setObjectName(name.arg(sliderId));
        limit->setGeometry(x, fieldLine.y(), width, kFieldHeight);
        limit->setStyleSheet(QString::fromLatin1(kFieldStyle));
        connect(limit, &CLimitField::positionEdited, this, [this, &row, high] { OnFieldEdited(row, high); });
        return limit;
    };
    if (row.kind != Kind::Temp) row.lowField = field(QStringLiteral("lowField%1"), kLowX, kLowW, false);
    if (row.kind != Kind::Fan) row.highField = field(QStringLiteral("highField%1"), kHighX, kHighW, true);
    row.timeField = new CLimitField(group);
    row.timeField->setObjectName(QStringLiteral("timeField%1").arg(sliderId));
    row.timeField->setGeometry(kTimeX, fieldLine.y(), kTimeW, kFieldHeight);
    row.timeField->setStyleSheet(QString::fromLatin1(kFieldStyle));
    row.timeField->SetScale(kShortestShutDown, kLongestShutDown, kShutDownStep, 0, {});
    row.timeField->SetSuffix(QStringLiteral(" s"));
    row.timeField->setToolTip(QStringLiteral("Seconds out of range before the power-off"));

    if (row.kind == Kind::Volt) {
        row.ruler = new CRulerSlider(false, group);
        SetControlId(row.ruler, sliderId);
        row.ruler->setGeometry(kSliderX, y + 2, kSliderW, rowHeight - 4);
        connect(row.ruler, &CRulerSlider::ThumbTrack, this, [this, &row] { OnRulerTrack(row); });
    } else {
        row.scale = new QLabel(group);
        row.scale->setObjectName(QStringLiteral("scale%1").arg(sliderId));
        row.scale->setPixmap(ScalePicture(row.kind));
        row.scale->setGeometry(kSliderX, y, kSliderW, 20);
        row.slider = new QSlider(Qt::Horizontal, group);
        SetControlId(row.slider, sliderId);
        row.slider->setStyleSheet(QString::fromLatin1(kSliderStyle));
        row.slider->setGeometry(kSliderX + 3, y + kScaleTop + 2 - kSliderHeight / 2, kSliderW - 6, kSliderHeight);
        row.slider->setPageStep(10);
        // A user's move only: setting the position from the item must not
        // rewrite the text the item gave.
        connect(row.slider, &QSlider::actionTriggered, this, [this, &row] { OnSliderMoved(row); });
    }

    row.enable = AddHiddenCheck(group, enableId);
    row.beep = AddHiddenCheck(group, beepId);
    row.shutDown = new QCheckBox(group);
    SetControlId(row.shutDown, shutDownId);
    row.shutDown->setGeometry(kShutDownX + (kShutDownW - 14) / 2, lineY + (lineHeight - 14) / 2, 16, 14);
    // Tab reaches the shut-down switch right after the limits.
    row.shutDown->setFocusPolicy(Qt::StrongFocus);

    row.loadDefault = new QPushButton(QString(QChar(0x21BA)), group);
    SetControlId(row.loadDefault, defaultId);
    row.loadDefault->setToolTip(QStringLiteral("Load Default"));
    row.loadDefault->setStyleSheet(QString::fromLatin1(kDefaultButtonStyle));
    row.loadDefault->setGeometry(kDefaultX, lineY + (lineHeight - 14) / 2, kDefaultW, 14);
    row.loadDefault->setFocusPolicy(Qt::TabFocus);
    // Enter must never reset a row by accident.
    row.loadDefault->setAutoDefault(false);
    connect(row.loadDefault, &QPushButton::clicked, this, [this, &row] { OnRowDefault(row); });
}

CMonitorSettings CMonitorSettingDlg::TakeHere() const
{
    const CHardwareMonitor& engine = m_host.engine;
    return CMonitorSettings::Take(engine, [this, &engine](int index) {
        const CSensorItem* item = engine.Item(index);
        return item != nullptr && m_host.isShutDownCancelled && m_host.isShutDownCancelled(*item);
    });
}

void CMonitorSettingDlg::Send(CMonitorSettingHost::Job job, CMonitorSettingHost::Done done)
{
    if (!m_host.send) {
        job(m_host.engine);
        if (done) done(TakeHere());
        return;
    }
    if (!done) {
        m_host.send(std::move(job), {});
        return;
    }
    QPointer<CMonitorSettingDlg> self(this);
    m_host.send(std::move(job), [self, done = std::move(done)](const CMonitorSettings& settings) {
        if (self) done(settings);
    });
}

void CMonitorSettingDlg::FillDialog()
{
    const bool centigrade = m_host.preferences.m_bCentigrade;
    m_pCentigrade->setChecked(centigrade);
    m_pFahrenheit->setChecked(!centigrade);
    m_pSmartFan->setChecked(m_host.preferences.m_bSmartFan);
    ApplySmartFanToFans();

    SetUnitTags();
    for (SRow& row : m_rows) {
        if (!IsPresentRow(row)) {
            HideRow(row);
            continue;
        }
        row.edited = false;
        switch (row.kind) {
        case Kind::Volt: FillVoltRow(row); break;
        case Kind::Fan: FillFanRow(row); break;
        case Kind::Temp: FillTempRow(row); break;
        }
        SetFieldScales(row);
        row.timeField->SetPosition(row.item->shutDownTime);
        SyncFields(row);
    }
}

void CMonitorSettingDlg::SetFieldScales(SRow& row)
{
    const CMonitorSettings::SItem& item = *row.item;
    switch (row.kind) {
    case Kind::Volt: {
        const auto volts = [](int position) { return position * 0.01; };
        const int first = ToUnits(item.loBound, 100), last = ToUnits(item.hiBound, 100);
        row.lowField->SetScale(first, last, 1, 2, volts);
        row.highField->SetScale(first, last, 1, 2, volts);
        break;
    }
    case Kind::Fan: {
        const CMonitorSettings::SItem* fan = row.item;
        row.lowField->SetScale(row.slider->minimum(), row.slider->maximum(), 1, 0,
                               [fan](int position) { return double(fan->CountToRpm(FanValue(position))); });
        break;
    }
    case Kind::Temp:
        // Whole degrees per step, as the scale reads; a typed tenth is kept.
        row.highField->SetScale(row.slider->minimum(), row.slider->maximum(), 10, 1, [this](int position) {
            return ShownTemperature(position * 0.1, m_host.preferences.m_bCentigrade);
        });
        break;
    }
}

void CMonitorSettingDlg::SyncFields(SRow& row)
{
    QWidget* slider = row.ruler != nullptr ? static_cast<QWidget*>(row.ruler) : row.slider;
    const bool shown = IsPresentRow(row) && !slider->isHidden();
    const bool enabled = shown && slider->isEnabled();
    const std::pair<CLimitField*, QLabel*> pairs[] = {{row.lowField, row.low}, {row.highField, row.high}};
    for (const auto& [field, label] : pairs) {
        if (field == nullptr) continue;
        field->setVisible(shown);
        field->setEnabled(enabled);
        label->hide();
    }
    if (row.ruler != nullptr) {
        const int low = row.ruler->GetLowLimit(), high = row.ruler->GetHighLimit();
        row.lowField->SetPosition(low);
        row.highField->SetPosition(high);
        // The two limits never pass each other.
        row.lowField->SetAllowed(std::numeric_limits<int>::min(), high);
        row.highField->SetAllowed(low, std::numeric_limits<int>::max());
    } else {
        CLimitField* field = row.lowField != nullptr ? row.lowField : row.highField;
        field->SetPosition(row.slider->value());
        // A stopped fan shows no limit, as its text does not.
        if ((row.low != nullptr && row.kind == Kind::Fan && row.low->text().isEmpty())) field->Blank();
    }
    row.timeField->setVisible(IsPresentRow(row) && !row.shutDown->isHidden());
    row.timeField->setEnabled(IsPresentRow(row) && row.shutDown->isEnabled());
}

void CMonitorSettingDlg::OnFieldEdited(SRow& row, bool high)
{
    switch (row.kind) {
    case Kind::Volt:
        if (high)
            row.ruler->SetHighLimit(row.highField->Position());
        else
            row.ruler->SetLowLimit(row.lowField->Position());
        OnRulerTrack(row);
        break;
    case Kind::Fan:
    case Kind::Temp: {
        const CLimitField* field = high ? row.highField : row.lowField;
        row.slider->setValue(field->Position());
        OnSliderMoved(row);
        break;
    }
    }
}

void CMonitorSettingDlg::ShowRow(SRow& row)
{
    // A row that an earlier fill hid or greyed comes back when its item is
    // live again (after Default Setting).
    for (QWidget* widget : std::initializer_list<QWidget*>{row.name, row.value, row.ruler, row.slider, row.scale,
                                                           row.shutDown, row.loadDefault}) {
        if (widget == nullptr) continue;
        widget->setEnabled(true);
        widget->show();
    }
    if (row.kind != Kind::Temp) row.low->show();
    if (row.kind != Kind::Fan) row.high->show();
    row.low->setEnabled(true);
    row.high->setEnabled(true);
    row.enable->setEnabled(true);
    row.beep->setEnabled(true);
}

void CMonitorSettingDlg::FillVoltRow(SRow& row)
{
    const CMonitorSettings::SItem& item = *row.item;
    if (!item.enabled) {
        for (QWidget* widget : std::initializer_list<QWidget*>{row.name, row.value, row.high, row.low, row.ruler,
                                                               row.enable, row.beep, row.shutDown, row.loadDefault})
            widget->hide();
        return;
    }
    ShowRow(row);
    row.high->setText(FormatReal("%2.2f", item.hiLimit));
    row.low->setText(FormatReal("%2.2f", item.loLimit));
    SetName(row.name, item.name);
    row.value->setText(FormatReal("%2.2f", item.value));
    row.enable->setChecked(item.enabled);
    row.beep->setChecked(item.beep);
    row.shutDown->setChecked(StoredShutDown(item));
    row.ruler->SetRulerRange(ToUnits(item.loBound, 100), ToUnits(item.hiBound, 100));
    row.ruler->SetHighLimit(ToUnits(item.hiLimit, 100));
    row.ruler->SetLowLimit(ToUnits(item.loLimit, 100));
    row.ruler->update();
}

void CMonitorSettingDlg::FillFanRow(SRow& row)
{
    const CMonitorSettings::SItem& fan = *row.item;
    if (fan.enabled) {
        ShowRow(row);
        row.high->setText(FormatInt(fan.CountToRpm(FanValue(ToUnits(fan.hiLimit, 1)))));
        row.low->setText(FormatInt(fan.CountToRpm(FanValue(ToUnits(fan.loLimit, 1)))));
        SetName(row.name, fan.name);
        row.value->setText(FormatInt(fan.rpm));
        row.enable->setChecked(fan.enabled);
        row.beep->setChecked(fan.beep);
        row.shutDown->setChecked(StoredShutDown(fan));
        row.slider->setRange(ToUnits(fan.loBound, 1), ToUnits(fan.hiBound, 1));
        row.slider->setValue(ToUnits(fan.loLimit, 1));
        return;
    }
    if (fan.enabledByDefault) {
        // Wired on this board but not turning: the row stays, greyed.
        row.high->setText(QString());
        row.low->setText(QString());
        SetName(row.name, fan.name);
        row.value->setText(QStringLiteral("OFF"));
        for (QWidget* widget : std::initializer_list<QWidget*>{row.name, row.value, row.low, row.slider, row.scale,
                                                               row.shutDown, row.loadDefault})
            widget->show();
        for (QWidget* widget : std::initializer_list<QWidget*>{row.enable, row.beep, row.slider, row.scale,
                                                               row.shutDown, row.loadDefault})
            widget->setEnabled(false);
        return;
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{row.name, row.value, row.high, row.low, row.slider,
                                                           row.scale, row.enable, row.beep, row.shutDown,
                                                           row.loadDefault})
        widget->hide();
}

void CMonitorSettingDlg::FillTempRow(SRow& row)
{
    const CMonitorSettings::SItem& item = *row.item;
    if (!item.enabled) {
        // Greyed, named, with its limit in the current unit; no value, for
        // an item that is off is not read.
        SetName(row.name, item.name);
        row.value->setText(QString());
        row.high->setText(TempText(item.hiLimit));
        row.slider->setRange(ToUnits(item.loBound, 1) * 10, ToUnits(item.hiBound, 1) * 10);
        row.slider->setValue(ToUnits(item.hiLimit, 1) * 10);
        for (QWidget* widget : std::initializer_list<QWidget*>{row.high, row.name, row.value, row.enable, row.beep,
                                                               row.slider, row.scale, row.shutDown, row.loadDefault})
            widget->setEnabled(false);
        return;
    }
    ShowRow(row);
    row.high->setText(TempText(item.hiLimit));
    SetName(row.name, item.name);
    row.value->setText(TempText(item.value));
    row.enable->setChecked(item.enabled);
    row.beep->setChecked(item.beep);
    row.shutDown->setChecked(StoredShutDown(item));
    row.slider->setRange(ToUnits(item.loBound, 1) * 10, ToUnits(item.hiBound, 1) * 10);
    row.slider->setValue(ToUnits(item.hiLimit, 1) * 10);
}

QString CMonitorSettingDlg::TempText(double celsius) const
{
    return FormatReal("%3.1f", ShownTemperature(celsius, m_host.preferences.m_bCentigrade));
}

void CMonitorSettingDlg::SetTempTexts(SRow& row, int highUnits)
{
    row.high->setText(TempText(highUnits * 0.1));
}

namespace {
// One row's settings as Apply hands them to its item.
struct SRowEdit {
    int index = -1;
    bool limits = false;  // the user moved the limits
    double hi = 0.0;
    double lo = 0.0;
    bool enable = false;
    bool beep = false;
    bool shutDown = false;
    int32_t time = 0;
};
}  // namespace

void CMonitorSettingDlg::ApplySettings()
{
    const bool centigrade = m_pCentigrade->isChecked();
    if (m_host.preferences.m_bCentigrade != centigrade) m_host.preferences.m_bCentigrade = centigrade;
    m_host.preferences.m_bSmartFan = m_pSmartFan->isChecked();

    // Voltages, then fans, then temperatures: the order of m_rows.
    std::vector<SRowEdit> edits;
    for (SRow& row : m_rows) {
        if (row.item != nullptr && row.item->enabled) {
            const bool limits = row.edited;
            WriteRow(row);
            const CMonitorSettings::SItem& item = *row.item;
            edits.push_back(SRowEdit{row.index, limits, item.hiLimit, item.loLimit, item.enabled, item.beep,
                                     item.shutDown, item.shutDownTime});
        }
    }
    Send(
        [edits](CHardwareMonitor& engine) {
            for (const SRowEdit& edit : edits) {
                CSensorItem* item = engine.Item(edit.index);
                if (item == nullptr) continue;
                if (edit.limits) item->SetLimits(edit.hi, edit.lo);
                item->SetEnable(edit.enable);
                item->SetBeepEnable(edit.beep);
                item->SetShutDownEnable(edit.shutDown);
                item->SetShutDownTime(edit.time);
                item->WriteLimits();
                item->ApplyBeepBit();
            }
            engine.SaveAllPreferences();
        },
        {});
    KeepShutDownsCancelled();
    if (m_host.setTempUnitLetters) m_host.setTempUnitLetters(centigrade);
}

void CMonitorSettingDlg::WriteRow(SRow& row)
{
    // Into the copy; ApplySettings hands it to the item.
    CMonitorSettings::SItem& item = *row.item;
    if (row.edited) {
        switch (row.kind) {
        case Kind::Volt:
            item.hiLimit = row.ruler->GetHighLimit() * 0.01;
            item.loLimit = row.ruler->GetLowLimit() * 0.01;
            break;
        case Kind::Fan:
            // A fan has only its low limit here; the high one stays the item's.
            item.loLimit = row.slider->value();
            break;
        case Kind::Temp: {
            // The slider sets the over limit; the hysteresis keeps its
            // distance below it, so the alarm does not flap at the limit.
            const double high = row.slider->value() * 0.1;
            const double band = std::max(0.0, item.hiLimit - item.loLimit);
            item.hiLimit = high;
            item.loLimit = high - band;
            break;
        }
        }
        row.edited = false;
    }
    // As SetEnable does: an input the chip lacks stays off.
    item.enabled = IsChecked(row.enable) && item.present;
    item.beep = IsChecked(row.beep);
    item.shutDown = IsChecked(row.shutDown);
    item.shutDownTime = row.timeField->Position();
}

void CMonitorSettingDlg::OnApply()
{
    ApplySettings();
    QDialog::accept();
}

void CMonitorSettingDlg::OnDefaultSetting()
{
    Send(
        [](CHardwareMonitor& engine) {
            engine.LoadAllDefaults();
            engine.UpdateAll();
        },
        [this](const CMonitorSettings& settings) {
            m_settings = settings;
            if (m_host.resetFanLayout) m_host.resetFanLayout();
            m_host.preferences.m_bSmartFan = true;
            FillDialog();
            ApplySettings();
            if (m_host.refreshFans) m_host.refreshFans();
        });
}

void CMonitorSettingDlg::OnRowDefault(SRow& row)
{
    const int index = row.index;
    Send(
        [index](CHardwareMonitor& engine) {
            CSensorItem* item = engine.Item(index);
            if (item == nullptr) return;
            item->LoadSettings(true, engine.GetDefaultIniPath());
            item->WriteLimits();
        },
        [this, &row](const CMonitorSettings& settings) {
            *row.item = settings.items[static_cast<std::size_t>(row.index)];
            const CMonitorSettings::SItem& item = *row.item;
            row.edited = false;
            switch (row.kind) {
            case Kind::Volt:
                row.ruler->SetHighLimit(ToUnits(item.hiLimit, 100));
                row.ruler->SetLowLimit(ToUnits(item.loLimit, 100));
                row.ruler->update();
                row.high->setText(FormatReal("%2.2f", item.hiLimit));
                row.low->setText(FormatReal("%2.2f", item.loLimit));
                break;
            case Kind::Fan: {
                const int position = ToUnits(item.loLimit, 1);
                row.slider->setValue(position);
                row.low->setText(FormatInt(item.CountToRpm(FanValue(position))));
                break;
            }
            case Kind::Temp: {
                const int position = ToUnits(item.hiLimit, 1) * 10;
                row.slider->setValue(position);
                row.high->setText(TempText(item.hiLimit));
                break;
            }
            }
            row.beep->setChecked(item.beep);
            row.enable->setChecked(item.enabled);
            row.shutDown->setChecked(item.shutDown);
            row.timeField->SetPosition(item.shutDownTime);
            KeepShutDownsCancelled();
            SyncFields(row);
        });
}

bool CMonitorSettingDlg::StoredShutDown(const CMonitorSettings::SItem& item)
{
    return item.shutDown || item.shutDownCancelled;
}

void CMonitorSettingDlg::KeepShutDownsCancelled()
{
    std::vector<int> off;
    for (SRow& row : m_rows) {
        if (row.item != nullptr && row.item->shutDown && row.item->shutDownCancelled) {
            row.item->shutDown = false;
            off.push_back(row.index);
        }
    }
    if (off.empty()) return;
    Send(
        [off](CHardwareMonitor& engine) {
            for (const int index : off)
                if (CSensorItem* item = engine.Item(index)) item->SetShutDownEnable(false);
        },
        {});
}

void CMonitorSettingDlg::ApplySmartFanToFans()
{
    const bool on = m_pSmartFan->isChecked();
    Send(
        [on](CHardwareMonitor& engine) {
            for (int i = 0; i < kFanRows; ++i) {
                CSmartFanItem* fan = engine.Fan(i);
                if (fan == nullptr || !fan->IsEnabled()) continue;
                fan->SetEnableSmartFan(on);
                if (on)
                    fan->SetDuty(fan->SmartFanRateLo());
                else
                    fan->SetFullSpeed();
            }
        },
        {});
}

void CMonitorSettingDlg::OnSmartFanClicked() { ApplySmartFanToFans(); }

void CMonitorSettingDlg::OnUnitClicked(bool centigrade)
{
    m_host.preferences.m_bCentigrade = centigrade;
    if (m_host.setTempUnitLetters) m_host.setTempUnitLetters(centigrade);
    SetUnitTags();
    for (SRow& row : m_rows) {
        if (row.kind != Kind::Temp || !IsPresentRow(row)) continue;
        row.highField->SetPosition(row.highField->Position());
        if (row.item->enabled) {
            row.value->setText(TempText(row.item->value));
            SetTempTexts(row, row.slider->value());
        } else {
            // A greyed row's limit is the item's: Apply leaves it alone.
            row.high->setText(TempText(row.item->hiLimit));
        }
    }
}

void CMonitorSettingDlg::SetUnitTags()
{
    const QString degrees = QString(QChar(0x00B0)) + QLatin1Char(m_host.preferences.m_bCentigrade ? 'C' : 'F');
    const QString texts[] = {QStringLiteral("V"), QStringLiteral("RPM"), degrees};
    for (int i = 0; i < 3; ++i) {
        QLabel* tag = m_unitTags[i];
        tag->setText(texts[i]);
        const int width = tag->fontMetrics().horizontalAdvance(texts[i]) + 6;
        tag->setGeometry(kValueX + kValueW + 3 - width, 0, width, 15);
    }
}

void CMonitorSettingDlg::OnRulerTrack(SRow& row)
{
    row.edited = true;
    // The ruler takes its limits from its markers when it paints; painting
    // now makes the texts show this move's limits rather than the last one's.
    row.ruler->repaint();
    row.high->setText(FormatReal("%2.2f", row.ruler->GetHighLimit() * 0.01));
    row.low->setText(FormatReal("%2.2f", row.ruler->GetLowLimit() * 0.01));
    SyncFields(row);
}

void CMonitorSettingDlg::OnSliderMoved(SRow& row)
{
    row.edited = true;
    const int position = row.slider->sliderPosition();
    if (row.kind == Kind::Fan)
        row.low->setText(FormatInt(row.item->CountToRpm(FanValue(position))));
    else
        SetTempTexts(row, position);
    (row.kind == Kind::Fan ? row.lowField : row.highField)->SetPosition(position);
}

void CMonitorSettingDlg::reject()
{
    m_pSmartFan->setChecked(m_host.preferences.m_bSmartFan);
    ApplySmartFanToFans();
    QDialog::reject();
}

void CMonitorSettingDlg::RefreshValues()
{
    for (SRow& row : m_rows) {
        if (row.item == nullptr || !row.item->enabled || row.value == nullptr) continue;
        CMonitorSettings::SItem& item = *row.item;
        if (m_host.latestValue) {
            if (!m_host.latestValue(row.index, item.value, item.rpm)) continue;
        } else if (const CSensorItem* live = m_host.engine.Item(row.index)) {
            item.value = live->Value();
            if (const auto* fan = dynamic_cast<const CFanItem*>(live)) item.rpm = fan->Rpm();
        }
        switch (row.kind) {
            case Kind::Volt: row.value->setText(FormatReal("%2.2f", item.value)); break;
            case Kind::Fan: row.value->setText(FormatInt(item.rpm)); break;
            case Kind::Temp: row.value->setText(TempText(item.value)); break;
        }
    }
}

void CMonitorSettingDlg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_valueTimer.timerId())
        RefreshValues();
    else
        QDialog::timerEvent(event);
}

void CMonitorSettingDlg::SetNotice(const QString& line, const QString& whole)
{
    auto* notice = findChild<QLabel*>(QStringLiteral("notice"));
    if (!notice) {
        notice = new QLabel(this);
        notice->setObjectName(QStringLiteral("notice"));
        notice->setWordWrap(true);
        notice->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QFont small = notice->font();
        small.setPixelSize(10);
        notice->setFont(small);
        notice->setStyleSheet(QStringLiteral("color: #ffb000;"));
        // Between the logo and the Default Setting button, above Apply.
        const int left = kGroupLeft + 2 + 160 + 6;
        const int right = kGroupLeft + kGroupWidth - 104 - 6;
        notice->setGeometry(left, height() - 4 - 48, right - left, 24);
    }
    notice->setText(line);
    notice->setToolTip(whole);
    notice->show();
}
