#include "windows/CNumericSubScreen.h"

#include "windows/NameFit.h"

#include "skin/CSegmentDisplay.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "windows/ISubScreenHost.h"

#include <QEvent>
#include <QTimerEvent>

#include <initializer_list>

namespace {

constexpr int kBackgroundId = 195;
constexpr std::array<QPoint, CNumericSubScreen::kSlotCount> kIndicatorPositions{
    QPoint(18, 0), QPoint(118, 0), QPoint(217, 0)};
constexpr QSize kIndicatorSize(30, 15);
constexpr std::array<QPoint, CNumericSubScreen::kSlotCount> kValuePositions{
    QPoint(30, 32), QPoint(130, 32), QPoint(230, 32)};
constexpr QSize kValueSize(60, 25);
// The names span their slot under the cell, so that "SYSTEM Temperature"
// fits in a condensed type.
constexpr std::array<QPoint, CNumericSubScreen::kSlotCount> kNamePositions{
    QPoint(17, 90), QPoint(117, 90), QPoint(216, 90)};
constexpr QSize kNameSize(95, 15);

// Dark print on the silver panel, as the channel captions of the background.
constexpr Colorref kLabelColour = 0x3A322A;

const QString kOffText = QStringLiteral("OFF");

}  // namespace

CNumericSubScreen::CNumericSubScreen(ISubScreenHost& host, const Design& design, QWidget* parent)
    : CSubScreenPanel(host, design.dialogId, kBackgroundId, parent)
    , m_design(design)
{
    SetCaptionPlaces({SkinCaption::kChannelCaptions.begin(), SkinCaption::kChannelCaptions.end()});
    // The window's growing to its expanded form or being shown again brings
    // the panel back into view.
    if (parent)
        parent->installEventFilter(this);
    for (int i = 0; i < kSlotCount; ++i) {
        Slot& slot = m_slots[static_cast<size_t>(i)];
        slot.indicator = new CSkinButton(&host.Skin(), this);
        SetControlId(slot.indicator, kIndicatorIds[static_cast<size_t>(i)]);
        // Display only: it never takes a click or the focus.
        slot.indicator->setEnabled(false);
        slot.indicator->setFocusPolicy(Qt::NoFocus);

        slot.value = new CSegmentDisplay(this);
        SetControlId(slot.value, kValueIds[static_cast<size_t>(i)]);

        slot.unit = new CTransparentStatic(SS_CENTER | SS_NOPREFIX, this);
        SetControlId(slot.unit, kUnitIds[static_cast<size_t>(i)]);
        slot.name = new CTransparentStatic(SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS, this);
        SetControlId(slot.name, kNameIds[static_cast<size_t>(i)]);
        // Names get the smaller print: the label is narrower than most names.
        for (CTransparentStatic* label : {slot.unit, slot.name}) {
            label->SetTextColour(kLabelColour);
            QFont font = label->font();
            font.setPixelSize(label == slot.name ? kNamePixels : 11);
            label->setFont(font);
        }
    }
    ResetLayout();
}

void CNumericSubScreen::ResetLayout()
{
    for (int i = 0; i < kSlotCount; ++i) {
        const auto index = static_cast<size_t>(i);
        Slot& slot = m_slots[index];
        slot.indicator->setGeometry(QRect(kIndicatorPositions[index], kIndicatorSize));
        slot.value->setGeometry(QRect(kValuePositions[index], kValueSize));
        slot.unit->setGeometry(QRect(m_design.unitPositions[index], m_design.unitSize));
        slot.name->setGeometry(QRect(kNamePositions[index], kNameSize));

        ApplyIndicatorImages(i, m_design.initialImages);
        slot.value->SetSegmentColours(kUnlitColour, kLitColour);
        slot.value->SetTransparentMode(true);
        slot.value->ChangeDisplayStyle(0, SDS_KEEP_ASPECT | SDS_LIT_ONLY | SDS_SOFT_EDGE);
        m_bIndicatorNormal[index] = true;
        m_bShowsItemOff[index] = false;
    }
}

void CNumericSubScreen::ApplyIndicatorImages(int slot, const IndicatorImages& images)
{
    m_slots[static_cast<size_t>(slot)].indicator->ApplySkin(images.normal, images.pressed, images.hover,
                                                            images.disabled, images.focus, images.mask, 0, 0, 0);
}

void CNumericSubScreen::ShowItemOff(int slot)
{
    const auto index = static_cast<size_t>(slot);
    ApplyIndicatorImages(slot, kItemOffImages);
    m_slots[index].value->SetSegmentColours(kUnlitColour, kItemOffLitColour);
    m_slots[index].value->SetDisplayText(kOffText);
    m_bShowsItemOff[index] = true;
}

bool CNumericSubScreen::ReadSlot(int slot, SItem& item) const
{
    const int index = SlotIndex(slot);
    return index >= 0 && Host().ReadItem(index, item);
}

bool CNumericSubScreen::ShowUnreadable(int slot, const SItem& item)
{
    const bool noFan = item.notConnected;
    if (!noFan && !(item.enabled && item.readFailed))
        return false;
    CSegmentDisplay& value = *m_slots[static_cast<size_t>(slot)].value;
    if (value.GetLitColour() != kUnreadableLitColour) value.SetSegmentColours(kUnlitColour, kUnreadableLitColour);
    value.SetDisplayText(QString::fromLatin1(noFan ? kNoFanText : kUnreadableText));
    return true;
}

void CNumericSubScreen::LeaveItemOff(int slot)
{
    const auto index = static_cast<size_t>(slot);
    if (!m_bShowsItemOff[index])
        return;
    m_bShowsItemOff[index] = false;
    ApplyIndicatorImages(slot, kNormalImages);
    m_bIndicatorNormal[index] = true;
    m_slots[index].value->SetSegmentColours(kUnlitColour, kLitColour);
}

void CNumericSubScreen::Refresh()
{
    for (int i = 0; i < kSlotCount; ++i) {
        Slot& slot = m_slots[static_cast<size_t>(i)];
        SItem read;
        const SItem* item = ReadSlot(i, read) ? &read : nullptr;
        // An input the chip lacks leaves its slot empty, not "OFF".
        const bool absent = item && !item->present;
        for (QWidget* control : std::initializer_list<QWidget*>{slot.indicator, slot.value, slot.unit, slot.name})
            control->setVisible(!absent);
        if (absent)
            continue;
        const QString name = item ? QString::fromStdString(item->name) : QString();
        // A long name takes a smaller or condensed type; one that still does
        // not fit is cut short, whole on hover.
        QFont nameFont = slot.name->font();
        nameFont.setPixelSize(kNamePixels);
        slot.name->setFont(NameFit::FittingFont(nameFont, name, slot.name->width(), kSmallestNamePixels));
        slot.name->SetText(name);
        slot.name->setToolTip(NameFit::Fits(slot.name->font(), name, slot.name->width()) ? QString() : name);
        slot.unit->SetText(UnitText());
        if (item && item->enabled) {
            LeaveItemOff(i);
            if (!ShowUnreadable(i, *item)) slot.value->SetDisplayText(ValueText(*item));
        } else {
            ShowItemOff(i);
            if (item) ShowUnreadable(i, *item);
        }
    }
    m_timer.start(kRefreshPeriodMs, this);
    m_bParked = false;
}

bool CNumericSubScreen::InView() const
{
    const QWidget* window = parentWidget();
    return isVisible() && (!window || window->rect().intersects(geometry()));
}

void CNumericSubScreen::ResumeIfInView()
{
    if (!m_bParked || !InView())
        return;
    m_bParked = false;
    OnTimer(m_design.timerId);
    m_timer.start(kRefreshPeriodMs, this);
}

void CNumericSubScreen::OnTimer(int id)
{
    if (!HandlesTimer(id))
        return;
    std::unique_lock<std::mutex> hold;
    if (std::mutex* engine = Host().EngineMutex()) {
        hold = std::unique_lock(*engine, std::try_to_lock);
        if (!hold.owns_lock()) return;
    }
    for (int i = 0; i < kSlotCount; ++i) {
        const auto index = static_cast<size_t>(i);
        Slot& slot = m_slots[index];
        SItem read;
        const SItem* item = ReadSlot(i, read) ? &read : nullptr;
        if (item && !item->present)
            continue;
        if (!item || !item->enabled) {
            if (!item || !ShowUnreadable(i, *item)) slot.value->SetDisplayText(kOffText);
            continue;
        }
        LeaveItemOff(i);
        if (ShowUnreadable(i, *item))
            continue;
        const QString text = ValueText(*item);
        const bool alarm = item->outOfRange;
        if (alarm && m_bIndicatorNormal[index] && !slot.indicator->isEnabled()) {
            ApplyIndicatorImages(i, kAlarmImages);
            m_bIndicatorNormal[index] = false;
            repaint();
        } else if (!alarm && !m_bIndicatorNormal[index]) {
            ApplyIndicatorImages(i, kNormalImages);
            m_bIndicatorNormal[index] = true;
            repaint();
        }
        const Colorref lit = alarm ? kAlarmLitColour : kLitColour;
        if (slot.value->GetLitColour() != lit) slot.value->SetSegmentColours(kUnlitColour, lit);
        slot.value->SetDisplayText(text);
    }
}

void CNumericSubScreen::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer.timerId()) {
        CSubScreenPanel::timerEvent(event);
        return;
    }
    if (!InView()) {
        // Nothing shown can change: no wake-ups until the panel is seen.
        m_timer.stop();
        m_bParked = true;
        return;
    }
    OnTimer(m_design.timerId);
}

void CNumericSubScreen::showEvent(QShowEvent* event)
{
    CSubScreenPanel::showEvent(event);
    ResumeIfInView();
}

bool CNumericSubScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        ResumeIfInView();
    return CSubScreenPanel::eventFilter(watched, event);
}
