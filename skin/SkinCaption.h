// The captions cut into the skin's face: small bold capitals in the engraving
// colour with a dark line above and a faint light one below. The pictures
// carry no words; the windows draw their captions this way over them, in the
// user's language.
#pragma once

#include <QColor>
#include <QtGlobal>
#include <QFont>
#include <QRectF>
#include <QString>

#include <array>

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

// A caption the face has room for: its English text (the key of its
// translation), where it stands, its alignment and letter spacing; 7-pixel
// bold type.
struct SPlace {
    const char* text;
    QRectF rect;
    int flags;
    qreal letterSpacing;
};
// Under the three wells.
inline const std::array<SPlace, 3> kWellCaptions{{
    {"VOLTAGE", QRectF(23.5, 128, 96, 10), Qt::AlignHCenter | Qt::AlignVCenter, 1.3},
    {"FAN SPEED", QRectF(149.5, 131, 105, 10), Qt::AlignHCenter | Qt::AlignVCenter, 1.3},
    {"TEMPERATURE", QRectF(284.5, 128, 96, 10), Qt::AlignHCenter | Qt::AlignVCenter, 1.3},
}};
// On the rails between the sub-screens of the expanded form, left of the
// view switches.
inline const std::array<SPlace, 3> kRailCaptions{{
    {"VOLTAGES", QRectF(46, 181, 120, 12), Qt::AlignLeft | Qt::AlignVCenter, 1.4},
    {"FANS", QRectF(46, 301, 120, 12), Qt::AlignLeft | Qt::AlignVCenter, 1.4},
    {"TEMPERATURES", QRectF(46, 421, 120, 12), Qt::AlignLeft | Qt::AlignVCenter, 1.4},
}};
// Draws a place's caption in text (its translation).
void DrawPlace(QPainter& painter, const SPlace& place, const QString& text);

}  // namespace SkinCaption
