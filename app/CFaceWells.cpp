#include "app/CFaceWells.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "engine/CHardwareMonitor.h"
#include "skin/CSegmentDisplay.h"
#include "skin/CTransparentStatic.h"
#include "windows/CUserPreferences.h"
#include "windows/NameFit.h"

namespace {

// Text sizes of the names, in pixels, so that the face looks the same at any
// desktop font size: the skin's pictures do not scale either.
constexpr int kNamePixels = 11;
constexpr int kSmallestNamePixels = 8;
constexpr int kTwoLinePixels = 9;

// The engine index of entry p of a rotation list of one kind, or -1.
int KindIndex(int first, int count, int entry)
{
    return entry >= 0 && entry < count ? first + entry : -1;
}

int VoltIndex(int entry) { return KindIndex(0, CHardwareMonitor::kVoltCount, entry); }
int TempIndex(int entry) { return KindIndex(CHardwareMonitor::kFirstTemp, CHardwareMonitor::kTempCount, entry); }
int FanIndex(int entry) { return KindIndex(CHardwareMonitor::kFirstFan, CHardwareMonitor::kFanCount, entry); }

}  // namespace

CFaceWells::CFaceWells(const CUserPreferences& prefs, SControls controls, QFont nameFont)
    : m_prefs(prefs), m_controls(controls), m_nameFont(std::move(nameFont))
{
}

QString CFaceWells::FormatReal(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f", value);
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

QString CFaceWells::FormatVolts(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return QString::fromLatin1(text).replace(QLatin1Char(','), QLatin1Char('.'));
}

void CFaceWells::ApplyAlarmColour(CSegmentDisplay& display, bool outOfRange)
{
    if (outOfRange && display.GetLitColour() != kRed)
        display.SetSegmentColours(kWhite, kRed);
    else if (!outOfRange && display.GetLitColour() != kGreen)
        display.SetSegmentColours(kWhite, kGreen);
}

bool CFaceWells::ShowUnreadable(CSegmentDisplay& display, const CSessionSnapshot::SItem& item)
{
    // Neither a value (a failed transfer read 0) nor a green "OFF" (a fan
    // that read no speed at the start is not known to be fine).
    const bool noFan = item.notConnected;
    if (!noFan && !(item.enabled && item.readFailed)) return false;
    if (display.GetLitColour() != kAmber) display.SetSegmentColours(kWhite, kAmber);
    display.SetDisplayText(noFan ? QStringLiteral("NO FAN") : QStringLiteral("ERR"));
    return true;
}

int CFaceWells::Advance(int position, int count)
{
    // A list of count 0 never advances: its slot keeps position 0.
    const int next = position + 1;
    return next >= count ? 0 : next;
}

int CFaceWells::PositionToShow(int position, int count, const std::function<bool(int)>& inAlarm,
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

int CFaceWells::NextPosition(int shown, int count, const std::function<bool(int)>& inAlarm,
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

void CFaceWells::Show(const CSessionSnapshot& snap)
{
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
    m_items = {VoltIndex(m_prefs.m_nVoltItem[m_nVoltPos]), FanIndex(m_prefs.m_nFanItem[m_nFanPos]),
               TempIndex(m_prefs.m_nTempItem[m_nTempPos])};

    CSegmentDisplay& voltDisplay = *m_controls.voltDisplay;
    ShowSlot(snap.Item(m_items[0]), voltDisplay, *m_controls.voltName,
             [&](const CSessionSnapshot::SItem& item) { voltDisplay.SetDisplayText(FormatVolts(item.value)); });
    CSegmentDisplay& tempDisplay = *m_controls.tempDisplay;
    ShowSlot(snap.Item(m_items[2]), tempDisplay, *m_controls.tempName, [&](const CSessionSnapshot::SItem& item) {
        const bool centigrade = m_prefs.m_bCentigrade;
        const QString unitText = centigrade ? QStringLiteral("\u00B0C") : QStringLiteral("\u00B0F");
        if (m_controls.tempUnit->Text() != unitText) m_controls.tempUnit->SetText(unitText);
        tempDisplay.SetDisplayText(FormatReal(centigrade ? item.value : item.value * 1.8 + 32));
    });
    CSegmentDisplay& fanDisplay = *m_controls.fanDisplay;
    ShowSlot(snap.Item(m_items[1]), fanDisplay, *m_controls.fanName,
             [&](const CSessionSnapshot::SItem& item) { fanDisplay.SetDisplayText(QString::number(item.rpm)); });

    m_nVoltPos = NextPosition(m_nVoltPos, m_prefs.m_nVoltCount, volt, voltThere);
    m_nTempPos = NextPosition(m_nTempPos, m_prefs.m_nTempCount, temp, tempThere);
    m_nFanPos = NextPosition(m_nFanPos, m_prefs.m_nFanCount, fan, fanThere);
}

void CFaceWells::ShowSlot(const CSessionSnapshot::SItem* item, CSegmentDisplay& display, CTransparentStatic& name,
                          const std::function<void(const CSessionSnapshot::SItem&)>& value) const
{
    if (!item || !item->present) {
        // Only a list of nothing but inputs the chip lacks lands here.
        ShowName(name, std::string());
        display.SetDisplayText(QString());
        return;
    }
    ShowName(name, item->name);
    if (ShowUnreadable(display, *item)) return;
    if (item->enabled) {
        ApplyAlarmColour(display, item->outOfRange);
        value(*item);
    } else {
        display.SetDisplayText(QStringLiteral("OFF"));
    }
}

QFont CFaceWells::FitFont(QFont font, const QString& text, int width, int smallestPixels)
{
    while (font.pixelSize() > smallestPixels && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void CFaceWells::ShowName(CTransparentStatic& label, const std::string& name) const
{
    const QString text = QString::fromStdString(name);
    if (label.Text() == text) return;
    const QString key = QStringLiteral("%1x%2|").arg(label.width()).arg(label.height()) + text;
    auto found = m_nameFits.constFind(key);
    if (found == m_nameFits.constEnd()) {
        if (m_nameFits.size() >= kMaxNameFits) m_nameFits.clear();
        found = m_nameFits.insert(key, FitName(text, label.width(), label.height()));
    }
    label.SetStyle(found->style);
    if (label.font() != found->font) label.setFont(found->font);
    label.SetText(text);
    label.setToolTip(found->cut ? text : QString());
}

CFaceWells::SNameFit CFaceWells::FitName(const QString& text, int width, int height) const
{
    // A long name takes a smaller or condensed type, then two lines; one
    // that still does not fit ends in an ellipsis, whole on hover.
    QFont nameFont = m_nameFont;
    nameFont.setPixelSize(kNamePixels);
    QFont fitted = NameFit::FittingFont(nameFont, text, width, kSmallestNamePixels);
    bool cut = !NameFit::Fits(fitted, text, width);
    std::uint32_t style = SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS;
    if (cut) {
        QFont twoLines = fitted;
        twoLines.setPixelSize(kTwoLinePixels);
        const QRect needed =
            QFontMetrics(twoLines).boundingRect(QRect(0, 0, width, 1000), Qt::AlignHCenter | Qt::TextWordWrap, text);
        if (needed.width() <= width && needed.height() <= height) {
            fitted = twoLines;
            style = SS_CENTER | SS_NOPREFIX;
            cut = false;
        }
    }
    return SNameFit{fitted, style, cut};
}
