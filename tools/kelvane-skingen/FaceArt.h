#pragma once

// The main window's faces and outlines and the sub-screen backgrounds.

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QImage>
#include <QPainterPath>

namespace skinart {

// The window's shape: a rounded body with a crest on top for the web-site
// badge and a tab below for the expand / collapse button.
QPainterPath BodyPath(bool expanded);

// Black inside the body, white outside; 404x200 (compact) or 404x562.
QImage PaintOutline(bool expanded);

// The face, white outside the body; 404x198 (compact) or 404x562.
QImage PaintFace(bool expanded);

// 324x105: the light numeric sub-screen with three slots.
QImage PaintNumericPanel();

// 324x105: a graph sub-screen; the glyph (Volt, Fan, Temp) picks the area.
QImage PaintGraphPanel(Glyph area);

}  // namespace skinart
