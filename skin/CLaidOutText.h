// A text laid out once the way QPainter::drawText(rect, flags, text) lays it
// out, then drawn as often as needed without laying it out again. Laying out
// (itemising and shaping) is most of the cost of drawing a short label; the
// glyphs drawn and their places are the same as drawText's.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTextLayout>

#include <vector>

class QFont;
class QPainter;

class CLaidOutText {
public:
    // Whether the layout is drawText's for these flags and this text: left
    // or centred, at the top or centred, single line or word wrap, no
    // mnemonics; left-to-right text without tabs or line breaks.
    static bool CanLay(const QString& text, int flags);

    // text in font, in a box of size at the origin, aligned by flags (for
    // which CanLay holds).
    CLaidOutText(const QString& text, const QFont& font, QSize size, int flags);
    CLaidOutText(const CLaidOutText&) = delete;
    CLaidOutText& operator=(const CLaidOutText&) = delete;

    // Draws with the painter's pen, the box's top left at topLeft.
    void Draw(QPainter& painter, QPointF topLeft) const;

private:
    QTextLayout m_layout;
    std::vector<QPointF> m_lineOrigins;
    QRectF m_box;
    bool m_overflows = false;
};
