#include "skin/CTransparentStatic.h"

#include "skin/CLaidOutText.h"

#include <QPainter>

#include <algorithm>

std::uint32_t DrawTextFlagsFromStyle(std::uint32_t style)
{
    std::uint32_t flags = style & 3;
    if (style & SS_CENTERIMAGE)
        flags |= DT_VCENTER | DT_SINGLELINE;
    if (style & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)) {
        flags |= DT_WORD_ELLIPSIS;
        if (style & SS_ENDELLIPSIS)
            flags |= DT_END_ELLIPSIS;
        if (style & SS_PATHELLIPSIS)
            flags |= DT_PATH_ELLIPSIS;
    }
    if ((style & 0xC20C) == 0)
        flags |= DT_WORDBREAK;
    return flags;
}

StaticTextFormat TextFormatFromDrawTextFlags(std::uint32_t drawTextFlags)
{
    StaticTextFormat format;
    // Centre wins over right when both bits are set.
    if (drawTextFlags & DT_CENTER)
        format.flags |= Qt::AlignHCenter;
    else if (drawTextFlags & DT_RIGHT)
        format.flags |= Qt::AlignRight;
    else
        format.flags |= Qt::AlignLeft;
    // Vertical centring only applies to a single line.
    if ((drawTextFlags & DT_SINGLELINE) && (drawTextFlags & DT_VCENTER))
        format.flags |= Qt::AlignVCenter;
    else
        format.flags |= Qt::AlignTop;
    if (drawTextFlags & DT_SINGLELINE)
        format.flags |= Qt::TextSingleLine;
    else if (drawTextFlags & DT_WORDBREAK)
        format.flags |= Qt::TextWordWrap;
    // Without no-prefix an ampersand marks the next character as a mnemonic.
    if (!(drawTextFlags & DT_NOPREFIX))
        format.flags |= Qt::TextShowMnemonic;
    // The path ellipsis keeps both ends; the end and word ellipses cut the tail.
    const bool pathOnly = (drawTextFlags & DT_PATH_ELLIPSIS) && !(drawTextFlags & DT_END_ELLIPSIS);
    if (pathOnly)
        format.elide = Qt::ElideMiddle;
    else if (drawTextFlags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
        format.elide = Qt::ElideRight;
    return format;
}

CTransparentStatic::CTransparentStatic(std::uint32_t style, QWidget* parent)
    : QWidget(parent)
    , m_nStyle(style)
{
}

void CTransparentStatic::SetText(const QString& text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
    else
        update();
}

void CTransparentStatic::SetStyle(std::uint32_t style)
{
    if (style == m_nStyle)
        return;
    m_nStyle = style;
    m_faceKnown = false;
    update();
}

void CTransparentStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(ColorFromColorref(m_crText));
    painter.setFont(font());
    const StaticTextFormat format = TextFormatFromDrawTextFlags(DrawTextFlagsFromStyle(m_nStyle));
    const SShown& shown = Shown(format);
    if (shown.laidOut)
        shown.laidOut->Draw(painter, QPointF(0, 0));
    else
        painter.drawText(rect(), format.flags, shown.text);
}

void CTransparentStatic::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_faceKnown = false;
    QWidget::changeEvent(event);
}

void CTransparentStatic::resizeEvent(QResizeEvent* event)
{
    m_faceKnown = false;
    QWidget::resizeEvent(event);
}

const CTransparentStatic::SShown& CTransparentStatic::Shown(const StaticTextFormat& format)
{
    if (!m_faceKnown) {
        const auto same = std::find_if(m_faces.begin(), m_faces.end(), [this](const SFace& face) {
            return face.style == m_nStyle && face.size == size() && face.font == font();
        });
        if (same != m_faces.end()) {
            std::rotate(same, same + 1, m_faces.end());
        } else {
            if (m_faces.size() >= kMaxFaces)
                m_faces.erase(m_faces.begin());
            m_faces.push_back(SFace{font(), size(), m_nStyle, {}});
        }
        m_faceKnown = true;
    }
    QHash<QString, SShown>& kept = m_faces.back().shown;
    if (const auto found = kept.constFind(m_strText); found != kept.constEnd())
        return *found;
    if (kept.size() >= kMaxShown)
        kept.clear();
    SShown shown;
    shown.text = format.elide == Qt::ElideNone
                     ? m_strText
                     : fontMetrics().elidedText(m_strText, format.elide, width(), format.flags & Qt::TextShowMnemonic);
    if (CLaidOutText::CanLay(shown.text, format.flags))
        shown.laidOut = std::make_shared<const CLaidOutText>(shown.text, font(), size(), format.flags);
    return *kept.insert(m_strText, std::move(shown));
}
