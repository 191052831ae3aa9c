#pragma once

// The pictures that are not controls: the Display Setting tab symbols, the
// logo, the scales under the Monitor Setting sliders and the program icon.

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QImage>

namespace skinart {

// 45x15: voltage, fan and temperature symbols, 15 pixels each, on white (the
// tab control takes white as transparent).
QImage PaintTabStrip();

// 160x48 plate with the word mark.
QImage PaintLogo();

// 160x20 scale; Fan: slow to fast, Temp: cool to hot.
QImage PaintScale(Glyph kind);

// size by size (64 in the skin) with transparency: the one picture the
// program uses as an icon, drawn on a 64-unit grid scaled to the size.
QImage PaintAppIcon(int size = 64);

}  // namespace skinart
