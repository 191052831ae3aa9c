// The captions cut into the skin's face: small bold capitals in the engraving
// colour with a dark line above and a faint light one below. The pictures
// carry no words; the windows draw their captions this way over them, in the
// user's language.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace SkinCaption {

inline const QColor kEngraving{0x8E, 0x9A, 0xA6};

// The face's type: DejaVu Sans at pixelSize, unhinted, with extra spacing
// between letters.
QFont Font(int pixelSize, bool bold, qreal letterSpacing);
void DrawEngraved(QPainter& painter, const QRectF& rect, int flags, const QString& text, const QFont& font,
                  const QColor& colour = kEngraving);
// font, its letter spacing and then its size lowered until text fits width.
QFont Fitted(QFont font, const QString& text, qreal width);

}  // namespace SkinCaption
