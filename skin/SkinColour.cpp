#include "skin/SkinColour.h"

QColor ColorFromColorref(Colorref colour)
{
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

Colorref ColorrefFromColor(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return Colorref(qRed(rgb)) | (Colorref(qGreen(rgb)) << 8) | (Colorref(qBlue(rgb)) << 16);
}
