#include "windows/CFaceControls.h"

#include <QPalette>
#include <QWidget>

#include <iterator>
#include <utility>

#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinLibrary.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinCaption.h"
#include "windows/CAlarmStrip.h"

const std::array<CFaceControls::SButtonPlace, 15> CFaceControls::kButtonLayout{{
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

const std::array<CFaceControls::STextPlace, 3> CFaceControls::kDisplayLayout{{
    {kIdFanDisplay, 170, 70, 65, 35},
    {kIdTempDisplay, 305, 76, 50, 23},
    {kIdVoltDisplay, 42, 76, 58, 23},
}};

// The name labels span the inside of their wells: 50 pixels cannot hold
// item names such as "CPU Temperature", which the user may also rename. They
// keep the height and the top of the face's layout.
const std::array<CFaceControls::STextPlace, 6> CFaceControls::kLabelLayout{{
    {kIdFanUnit, 180, 107, 44, 12},
    {kIdVoltUnit, 62, 101, 24, 12},
    {kIdTempUnit, 320, 101, 24, 12},
    {kIdVoltName, 36, 54, 72, 22},
    {kIdFanName, 163, 48, 78, 22},
    {kIdTempName, 296, 54, 72, 22},
}};

namespace {

// Text sizes of the face, in pixels, so that the face looks the same at any
// desktop font size: the skin's pictures do not scale either.
constexpr int kCaptionPixels = 11;
constexpr int kUnitPixels = 10;

void TagControl(QWidget& control, int id)
{
    control.setObjectName(QString::number(id));
    control.setProperty("controlId", id);
}

template <typename Control>
Control* Find(const std::map<int, Control*>& controls, int id)
{
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
}

}  // namespace

CFaceControls::CFaceControls(QWidget& face, const CSkinLibrary& skins) : m_face(face), m_skins(skins)
{
    // Construction order of the window: name labels, buttons, unit labels,
    // value displays. Each starts as the dialog template has it.
    QFont caption = face.font();
    caption.setPixelSize(kCaptionPixels);
    face.setFont(caption);

    for (const int id : {kIdVoltName, kIdFanName, kIdTempName}) {
        auto* label = new CTransparentStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS, &face);
        TagControl(*label, id);
        m_labels[id] = label;
    }
    for (const SButtonPlace& place : kButtonLayout) {
        auto* button = new CSkinButton(&m_skins, &face);
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
        QWidget::setTabOrder(m_buttons[tabOrder[i - 1]], m_buttons[tabOrder[i]]);
    const std::pair<int, const char*> units[] = {{kIdVoltUnit, "V"}, {kIdFanUnit, "RPM"}, {kIdTempUnit, "\u00B0C"}};
    for (const auto& [id, text] : units) {
        auto* label = new CTransparentStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, &face);
        TagControl(*label, id);
        QFont unitFont = caption;
        unitFont.setPixelSize(kUnitPixels);
        label->setFont(unitFont);
        label->SetText(QString::fromUtf8(text));
        m_labels[id] = label;
    }
    for (const int id : {kIdVoltDisplay, kIdFanDisplay, kIdTempDisplay}) {
        auto* display = new CSegmentDisplay(&face);
        TagControl(*display, id);
        m_displays[id] = display;
    }

    // Over the captions under the wells, which an alarm makes the lesser
    // news; above every other control of that band.
    m_pAlarmStrip = new CAlarmStrip(&face);
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

    // A disabled setting key keeps its caption readable on the light key
    // picture: dark grey with a light emboss, not white on light grey.
    for (const int id : {kIdMonitorSetting, kIdDisplaySetting, kIdDravikManager}) {
        QPalette keyPalette = m_buttons[id]->palette();
        keyPalette.setColor(QPalette::Disabled, QPalette::WindowText, ColorFromColorref(kDisabledKeyText));
        keyPalette.setColor(QPalette::Light, QColor(0xF4, 0xF4, 0xF4));
        m_buttons[id]->setPalette(keyPalette);
    }
}

void CFaceControls::Layout(const std::function<QString(const char*)>& tr)
{
    for (const SButtonPlace& place : kButtonLayout) {
        CSkinButton* button = m_buttons.at(place.id);
        button->move(place.x, place.y);
        button->ApplySkin(place.normal, place.pressed, place.hover, place.disabled, 0, place.mask, 0, 0, 0);
        button->SetTipText(tr(place.tooltip));
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

void CFaceControls::ShowSimulatedTag(bool shown, const QString& tag, const QString& tooltip)
{
    if (shown && !m_pSimulatedTag) {
        // In the title strip, between the maker's badge and the title-bar
        // buttons, on both forms of the face.
        m_pSimulatedTag = new CTransparentStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, &m_face);
        m_pSimulatedTag->setObjectName(QStringLiteral("simulatedTag"));
        QFont tagFont = m_face.font();
        tagFont.setPixelSize(kSimulatedTagPixels);
        tagFont.setBold(true);
        // Clear of the title-bar buttons' tray at its right, in any language.
        m_pSimulatedTag->setFont(SkinCaption::Fitted(tagFont, tag, kSimulatedTagWidth - 8));
        m_pSimulatedTag->SetTextColour(kAmber);
        m_pSimulatedTag->SetText(tag);
        m_pSimulatedTag->setGeometry(kSimulatedTagX, kSimulatedTagY, kSimulatedTagWidth, kSimulatedTagHeight);
        m_pSimulatedTag->setToolTip(tooltip);
        m_pSimulatedTag->show();
    }
    if (m_pSimulatedTag) m_pSimulatedTag->setVisible(shown);
}

CSkinButton* CFaceControls::Button(int id) const { return Find(m_buttons, id); }

CSegmentDisplay* CFaceControls::Display(int id) const { return Find(m_displays, id); }

CTransparentStatic* CFaceControls::Label(int id) const { return Find(m_labels, id); }
