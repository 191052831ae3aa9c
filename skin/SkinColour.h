#pragma once

#include <QColor>
#include <cstdint>

// Colours cross the toolkit's interfaces as 0x00BBGGRR values (red in the low
// byte), the form the rest of the program stores in its settings and passes
// around; they become QColor only where something is painted.
using Colorref = std::uint32_t;

QColor ColorFromColorref(Colorref colour);
Colorref ColorrefFromColor(const QColor& colour);

// The contrast ratio of two colours, (L1 + 0.05) / (L2 + 0.05) over their
// relative luminances in sRGB, lighter first: 1 for equal colours, 21 for
// black on white. Text wants 4.5, large or bold text and marks 3.
double ContrastRatio(const QColor& a, const QColor& b);
