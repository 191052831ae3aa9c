#include "skin/CLaidOutText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLine>
#include <QTextOption>

#include <algorithm>
#include <cmath>

bool CLaidOutText::CanLay(const QString& text, int flags)
{
    constexpr int kUnsupported = Qt::TextShowMnemonic | Qt::TextHideMnemonic | Qt::TextExpandTabs |
                                 Qt::TextWrapAnywhere | Qt::TextJustificationForced | Qt::TextIncludeTrailingSpaces |
                                 Qt::TextDontClip | Qt::AlignRight | Qt::AlignBottom | Qt::AlignJustify |
                                 Qt::AlignAbsolute;
    if ((flags & kUnsupported) || text.isRightToLeft())
        return false;
    for (const QChar c : text) {
        if (c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
    }
    return true;
}

CLaidOutText::CLaidOutText(const QString& text, const QFont& font, QSize size, int flags)
    : m_layout(text, font)
{
    // As drawText does it: lines as wide as the box, each on a whole pixel
    // below the one before with the font's leading between them, none after
    // the one that reaches the bottom, the block centred or put at the top,
    // each line aligned on its own, and clipped to the box when it overflows.
    QTextOption option;
    option.setWrapMode((flags & Qt::TextWordWrap) && !(flags & Qt::TextSingleLine) ? QTextOption::WordWrap
                                                                                     : QTextOption::ManualWrap);
    m_layout.setTextOption(option);
    m_layout.setCacheEnabled(true);
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = 0;
    qreal width = 0;
    m_layout.beginLayout();
    for (;;) {
        QTextLine line = m_layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(size.width());
        height += leading;
        height = std::ceil(height);
        line.setPosition(QPointF(0, height));
        height += line.ascent() + line.descent();
        width = std::max(width, line.naturalTextWidth());
        if (height >= size.height())
            break;
    }
    m_layout.endLayout();
    const qreal top = (flags & Qt::AlignVCenter) ? (size.height() - height) / 2 : 0;
    for (int i = 0; i < m_layout.lineCount(); ++i) {
        const qreal advance = m_layout.lineAt(i).horizontalAdvance();
        m_lineOrigins.emplace_back((flags & Qt::AlignHCenter) ? (size.width() - advance) / 2 : 0, top);
    }
    m_box = QRectF(QPointF(0, 0), QSizeF(size));
    m_overflows = width > size.width() || height > size.height();
}

void CLaidOutText::Draw(QPainter& painter, QPointF topLeft) const
{
    if (m_overflows) {
        painter.save();
        painter.setClipRect(m_box.translated(topLeft), Qt::IntersectClip);
    }
    for (int i = 0; i < m_layout.lineCount(); ++i)
        m_layout.lineAt(i).draw(&painter, topLeft + m_lineOrigins[static_cast<std::size_t>(i)]);
    if (m_overflows)
        painter.restore();
}
