#include "skin/SkinCaption.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace SkinCaption {

QFont Font(int pixelSize, bool bold, qreal letterSpacing)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (letterSpacing != 0.0) font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

void DrawEngraved(QPainter& painter, const QRectF& rect, int flags, const QString& text, const QFont& font,
                  const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, 170));
    painter.drawText(rect.translated(0, -1), flags, text);
    painter.setPen(QColor(255, 255, 255, 28));
    painter.drawText(rect.translated(0, 1), flags, text);
    painter.setPen(colour);
    painter.drawText(rect, flags, text);
    painter.restore();
}

QFont Fitted(QFont font, const QString& text, qreal width)
{
    while (font.letterSpacing() > 0 && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setLetterSpacing(QFont::AbsoluteSpacing, std::max<qreal>(0, font.letterSpacing() - 0.2));
    while (font.pixelSize() > 5 && QFontMetricsF(font).horizontalAdvance(text) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void DrawPlace(QPainter& painter, const SPlace& place, const QString& text, const QColor& colour)
{
    DrawEngraved(painter, place.rect, place.flags, text,
                 Fitted(Font(place.pixelSize, true, place.letterSpacing), text, place.rect.width()), colour);
}

}  // namespace SkinCaption
