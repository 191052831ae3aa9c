#include "skin/SkinColour.h"

#include <algorithm>
#include <cmath>

QColor ColorFromColorref(Colorref colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

Colorref ColorrefFromColor(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return Colorref(qRed(rgb)) | (Colorref(qGreen(rgb)) << 8) | (Colorref(qBlue(rgb)) << 16);
}

namespace {

double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.red()) + 0.7152 * Linear(rgb.green()) + 0.0722 * Linear(rgb.blue());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
