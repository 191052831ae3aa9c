#include "windows/CAlarmStrip.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

// The skin's alarm red (the wells' red figures and the tray badge) on a
// darkened plate, so the white text stands out at the face's small sizes.
const QColor kPlateTop(0xB0, 0x12, 0x12);
const QColor kPlateBottom(0x6E, 0x08, 0x08);
const QColor kRim(0xFF, 0x5A, 0x4A);
const QColor kText(0xFF, 0xFF, 0xFF);
constexpr int kSignWidth = 16;  // the warning sign at the left end
constexpr int kPadding = 6;

}  // namespace

CAlarmStrip::CAlarmStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("alarmStrip"));
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    m_textFont = font();
    m_textFont.setPixelSize(kTextPixels);
    m_textFont.setBold(true);
    hide();
}

QString CAlarmStrip::Line(const QStringList& entries) { return entries.join(QString::fromUtf8(kSeparator)); }

QFont CAlarmStrip::FitFont(QFont font, const QString& text, int width, int smallestPixels)
{
    while (font.pixelSize() > smallestPixels && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void CAlarmStrip::SetEntries(const QStringList& entries)
{
    if (entries == m_entries && isVisible() == !entries.isEmpty()) return;
    m_entries = entries;
    Fit();
    setVisible(!entries.isEmpty());
    update();
}

int CAlarmStrip::TextWidth() const { return width() - kSignWidth - 2 * kPadding; }

void CAlarmStrip::Fit()
{
    const QString line = Line(m_entries);
    QFont base = font();
    base.setPixelSize(kTextPixels);
    base.setBold(true);
    m_textFont = FitFont(base, line, TextWidth(), kSmallestTextPixels);
    m_strShown = QFontMetrics(m_textFont).elidedText(line, Qt::ElideRight, TextWidth());
    setToolTip(m_strShown == line ? QString() : m_entries.join(QLatin1Char('\n')));
}

void CAlarmStrip::resizeEvent(QResizeEvent*) { Fit(); }

void CAlarmStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF plate = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0, kPlateTop);
    fill.setColorAt(1, kPlateBottom);
    const qreal radius = height() / 2.0 - 1;
    painter.setPen(QPen(kRim, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(plate, radius, radius);

    // A warning sign: a white triangle with the "!" cut out of it.
    const qreal h = height();
    const qreal cx = kPadding + kSignWidth / 2.0 - 2;
    QPainterPath sign;
    sign.moveTo(cx, h * 0.18);
    sign.lineTo(cx + h * 0.40, h * 0.82);
    sign.lineTo(cx - h * 0.40, h * 0.82);
    sign.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kText);
    painter.drawPath(sign);
    painter.setBrush(kPlateBottom);
    painter.drawRect(QRectF(cx - 0.75, h * 0.38, 1.5, h * 0.22));
    painter.drawRect(QRectF(cx - 0.75, h * 0.66, 1.5, 1.5));

    painter.setFont(m_textFont);
    painter.setPen(kText);
    const QRect textRect(kPadding + kSignWidth, 0, TextWidth(), height());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, m_strShown);
}
