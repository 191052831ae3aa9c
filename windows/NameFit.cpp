#include "windows/NameFit.h"

#include <QFontMetrics>

namespace NameFit {

bool Fits(const QFont& font, const QString& text, int width)
{
    return QFontMetrics(font).horizontalAdvance(text) <= width;
}

QFont FittingFont(const QFont& font, const QString& text, int width, int smallestPixels)
{
    QFont condensed = font;
    condensed.setFamily(QString::fromLatin1(kCondensedFamily));
    for (QFont candidate : {font, condensed}) {
        for (int pixels = font.pixelSize(); pixels >= smallestPixels; --pixels) {
            candidate.setPixelSize(pixels);
            if (Fits(candidate, text, width)) return candidate;
        }
    }
    condensed.setPixelSize(smallestPixels);
    return condensed;
}

}  // namespace NameFit
