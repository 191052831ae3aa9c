#include "windows/CColourCheckBox.h"

#include "windows/NameFit.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr int kBoxSize = 9;
constexpr int kTextGap = 4;
constexpr int kSmallestTextPixels = 8;
const QColor kDefaultText(0xB8, 0xC0, 0xCA);

}  // namespace

CColourCheckBox::CColourCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent)
{
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    setFocusPolicy(Qt::TabFocus);
}

void CColourCheckBox::SetTextColour(Colorref colour)
{
    m_crText = colour;
    update();
}

QColor CColourCheckBox::ShownTextColour() const
{
    QColor colour = m_crText == kSystemColour ? kDefaultText : ColorFromColorref(m_crText);
    if (!isEnabled())
        colour.setAlphaF(0.4f);
    return colour;
}

QSize CColourCheckBox::sizeHint() const
{
    return QSize(kBoxSize + kTextGap + fontMetrics().horizontalAdvance(text()) + 2,
                 std::max(kBoxSize + 2, fontMetrics().height()));
}

bool CColourCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void CColourCheckBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = ShownTextColour();
    const QRectF box(1.5, (height() - kBoxSize) / 2 + 0.5, kBoxSize - 1, kBoxSize - 1);

    // A dark well framed in the line's colour; the tick in the same colour.
    painter.setPen(QPen(ink, 1));
    painter.setBrush(isDown() ? QColor(0x30, 0x34, 0x3A) : QColor(0x0C, 0x0E, 0x12));
    painter.drawRoundedRect(box, 1.5, 1.5);
    if (isChecked()) {
        QPainterPath tick;
        tick.moveTo(box.left() + 1.8, box.center().y() + 0.2);
        tick.lineTo(box.left() + 3.6, box.bottom() - 1.8);
        tick.lineTo(box.right() - 1.5, box.top() + 1.8);
        painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }

    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect textRect(kBoxSize + 2 + kTextGap, 0, width() - (kBoxSize + 2 + kTextGap), height());
    // A long name takes a smaller or condensed type before it is cut short.
    const QFont fitted = NameFit::FittingFont(font(), text(), textRect.width() - 1, kSmallestTextPixels);
    painter.setFont(fitted);
    const QString shown = QFontMetrics(fitted).elidedText(text(), Qt::ElideRight, textRect.width() - 1);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    // A dark line colour (pure blue) sinks into the dark panel; a faint light
    // halo behind its letters keeps the caption legible in its own colour.
    const double luma = 0.299 * ink.redF() + 0.587 * ink.greenF() + 0.114 * ink.blueF();
    const double halo = std::clamp((0.4 - luma) * 0.9, 0.0, 0.3) * ink.alphaF();
    if (halo > 0) {
        painter.setPen(QColor::fromRgbF(0.85f, 0.9f, 1.0f, static_cast<float>(halo)));
        for (const QPoint& offset : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
            painter.drawText(textRect.translated(offset), flags, shown);
    }
    painter.setPen(ink);
    painter.drawText(textRect, flags, shown);

    if (hasFocus()) {
        painter.setPen(QPen(ink, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}
