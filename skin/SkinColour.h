#pragma once

#include <QColor>
#include <cstdint>

// Colours cross the toolkit's interfaces as 0x00BBGGRR values (red in the low
// byte), the form the rest of the program stores in its settings and passes
// around; they become QColor only where something is painted.
using Colorref = std::uint32_t;

QColor ColorFromColorref(Colorref colour);
Colorref ColorrefFromColor(const QColor& colour);
