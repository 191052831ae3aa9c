#pragma once

// Pictures of the skin buttons and indicators, one state per picture.

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QImage>
#include <QPainterPath>

namespace skinart {

// The button's outline, shrunk by inset pixels (for rims and highlights).
QPainterPath ControlShape(const SkinBitmap& bitmap, qreal inset);

// Paints one state of a control. backdrop, when not null, is what lies behind
// the control on the face, so that its anti-aliased edge blends into it.
// Outside the control's shape the picture is white.
QImage PaintControl(const SkinBitmap& bitmap, const QImage* backdrop);

}  // namespace skinart
