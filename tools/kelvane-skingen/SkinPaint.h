#pragma once

// Drawing primitives shared by the skin's art: the materials (brushed face,
// recessed glass, silver keys), engraved text and the small symbols.

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

namespace skinart {

// The skin's palette, in one place so the materials stay consistent.
namespace palette {
inline const QColor kRim{0x07, 0x09, 0x0B};        // darkest edge of every part
inline const QColor kFaceTop{0x37, 0x3F, 0x48};
inline const QColor kFaceBottom{0x1A, 0x1E, 0x23};
inline const QColor kEngraving{0x8E, 0x9A, 0xA6};   // captions cut into the face
inline const QColor kGlassTop{0x0A, 0x14, 0x0E};
inline const QColor kGlassBottom{0x03, 0x07, 0x05};
inline const QColor kAccent{0x3C, 0xF0, 0x7C};      // lit symbols, a softer green than the digits
inline const QColor kSymbol{0xA9, 0xB4, 0xBF};      // unlit symbols
inline const QColor kAlarm{0xE8, 0x3A, 0x30};
}  // namespace palette

// Image of the given size filled with white, the colour the program keys on
// as "outside".
QImage WhiteImage(int width, int height);

// Black inside the path, white outside, without anti-aliasing, so that every
// pixel is plainly in or out (a pixel is in when its centre is).
QImage ShapeMask(int width, int height, const QPainterPath& shape);

// Sets every pixel that is white in the mask to white in the art, and makes
// sure no pixel inside reads as pure white.
void KeepInside(QImage& art, const QImage& mask);

// Converts to the 24-bit form the program loads.
QImage ToRgb24(const QImage& image);

QFont SkinFont(int pixelSize, bool bold, qreal letterSpacing = 0.0);

// Text cut into a surface: a dark line above and a light line below the
// glyphs, the way light falls on an engraving.
void DrawEngravedText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
                      const QFont& font, const QColor& colour);

// Faint horizontal grain of brushed metal, clipped to the shape.
void DrawBrushedGrain(QPainter& painter, const QPainterPath& shape, quint32 seed,
                      int strength);

// A window cut into the surface, with dark glass behind it: shadow on the
// upper lip, light on the lower lip, faint LCD lines and a glass sheen.
void DrawGlassWell(QPainter& painter, const QRectF& rect, qreal radius);

// A plain recess for buttons to sit in.
void DrawRecess(QPainter& painter, const QRectF& rect, qreal radius, const QColor& floor);

// A horizontal groove across the face.
void DrawGroove(QPainter& painter, qreal x1, qreal x2, qreal y);

void DrawScrew(QPainter& painter, const QPointF& centre, qreal angleDegrees);

// The symbols: close cross, minimise bar, help mark, chevrons, globe, digits,
// chart line, voltage bolt, fan, thermometer.
void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour,
               qreal strokeWidth = 1.6);

// Soft light behind a lit symbol.
void DrawGlow(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour,
              int alpha);

}  // namespace skinart
