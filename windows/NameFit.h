// How a sensor name is made to fit a label of the face or a panel: a smaller
// type first, then the condensed face of the same size range; only a name
// that fits neither is cut short (the label's ellipsis, with the whole name
// as its tooltip).
#pragma once

#include <QFont>
#include <QString>

namespace NameFit {

// The condensed face the long names fall back to.
inline constexpr const char* kCondensedFamily = "DejaVu Sans Condensed";

// font at its pixel size or smaller, down to smallestPixels, in its own
// family and then condensed: the first that holds text within width, else
// the smallest condensed one.
QFont FittingFont(const QFont& font, const QString& text, int width, int smallestPixels);
bool Fits(const QFont& font, const QString& text, int width);

}  // namespace NameFit
