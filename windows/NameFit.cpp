#include "windows/NameFit.h"

#include <QFontMetrics>
#include <QHash>

namespace NameFit {

namespace {

// The face's wells rotate through the same few names at every tick, and
// measuring a name in a font not measured before resolves the font anew:
// the answers are kept, per font, text and width. The names are the
// sensors' (a few dozen at most); the bound only guards against a caller
// that measures endless different texts.
constexpr qsizetype kMaxRemembered = 512;

QString Key(const QFont& font, const QString& text, int width, int smallestPixels)
{
    return font.key() + QLatin1Char('\x1f') + QString::number(width) + QLatin1Char('\x1f') +
           QString::number(smallestPixels) + QLatin1Char('\x1f') + text;
}

template <typename Value, typename Compute>
Value Remembered(QHash<QString, Value>& answers, const QString& key, Compute compute)
{
    const auto found = answers.constFind(key);
    if (found != answers.constEnd()) return *found;
    if (answers.size() >= kMaxRemembered) answers.clear();
    const Value value = compute();
    answers.insert(key, value);
    return value;
}

}  // namespace

bool Fits(const QFont& font, const QString& text, int width)
{
    static QHash<QString, bool> answers;
    return Remembered(answers, Key(font, text, width, 0),
                      [&] { return QFontMetrics(font).horizontalAdvance(text) <= width; });
}

QFont FittingFont(const QFont& font, const QString& text, int width, int smallestPixels)
{
    static QHash<QString, QFont> answers;
    return Remembered(answers, Key(font, text, width, smallestPixels), [&] {
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
    });
}

}  // namespace NameFit
