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
// translation), where it stands, its alignment and letter spacing; bold type
// of pixelSize.
struct SPlace {
    const char* text;
    QRectF rect;
    int flags;
    qreal letterSpacing;
    int pixelSize = 7;
};
// The title line under the face's word mark.
inline const SPlace kTitleCaption{"HARDWARE MONITOR", QRectF(55, 28, 110, 9), Qt::AlignLeft | Qt::AlignVCenter, 1.2};
// Under the word mark of the logo picture, in the logo's green.
inline const SPlace kLogoCaption{"HARDWARE MONITOR", QRectF(48, 29, 110, 10), Qt::AlignLeft | Qt::AlignVCenter, 1.0};
inline const QColor kLogoInk = QColor(0x3C, 0xF0, 0x7C).darker(130);
// Beside the three lamps on the numeric panels' band; "%1" is the slot's
// number, 1 to 3.
inline const std::array<SPlace, 3> kChannelCaptions{{
    {"CH %1", QRectF(52, 1, 54, 14), Qt::AlignLeft | Qt::AlignVCenter, 1.0},
    {"CH %1", QRectF(152, 1, 54, 14), Qt::AlignLeft | Qt::AlignVCenter, 1.0},
    {"CH %1", QRectF(251, 1, 54, 14), Qt::AlignLeft | Qt::AlignVCenter, 1.0},
}};
// The area's word under its symbol at the graph panels' left edge.
inline const SPlace kVoltGraphCaption{"VOLTS", QRectF(0, 54, 28, 10), Qt::AlignHCenter | Qt::AlignVCenter, 0.6, 6};
inline const SPlace kFanGraphCaption{"RPM", QRectF(0, 54, 28, 10), Qt::AlignHCenter | Qt::AlignVCenter, 0.6, 6};
inline const SPlace kTempGraphCaption{"TEMP", QRectF(0, 54, 28, 10), Qt::AlignHCenter | Qt::AlignVCenter, 0.6, 6};
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
// Draws a place's caption in text (its translation), fitted to the place.
void DrawPlace(QPainter& painter, const SPlace& place, const QString& text, const QColor& colour = kEngraving);

}  // namespace SkinCaption
