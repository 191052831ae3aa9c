// How a long sensor name is made to fit a label before it is cut short.
#include "windows/NameFit.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

TEST(NameFit, ASmallerTypeThenTheCondensedFaceBeforeAnEllipsis)
{
    QFont base(QStringLiteral("DejaVu Sans"));
    base.setPixelSize(11);
    const QString name = QStringLiteral("SYSTEM Temperature");
    const int whole = QFontMetrics(base).horizontalAdvance(name);
    struct Case {
        int width;
        bool fits;
        bool condensed;
    };
    const Case cases[] = {
        {whole, true, false},       // fits as it is: unchanged
        {whole * 19 / 20, true, false}, // a smaller size of the same face
        {whole * 7 / 10, true, true},   // only the condensed face holds it
        {whole / 3, false, true},   // nothing does: the smallest condensed, cut short
    };
    for (const Case& c : cases) {
        const QFont font = NameFit::FittingFont(base, name, c.width, 8);
        EXPECT_EQ(NameFit::Fits(font, name, c.width), c.fits) << c.width;
        EXPECT_EQ(font.family() == QString::fromLatin1(NameFit::kCondensedFamily), c.condensed) << c.width;
        EXPECT_GE(font.pixelSize(), 8);
    }
    EXPECT_EQ(NameFit::FittingFont(base, name, whole, 8).pixelSize(), 11);
}

TEST(NameFit, RememberedAnswersBelongToTheirFontTextAndWidth)
{
    // The answers are kept between calls; asking in any order must give what
    // measuring afresh gives, never another font's, text's or width's.
    QFont regular(QStringLiteral("DejaVu Sans"));
    regular.setPixelSize(11);
    QFont bold = regular;
    bold.setBold(true);
    const QString names[] = {QStringLiteral("CPU Temperature"), QStringLiteral("Vcore"),
                             QStringLiteral("SYSTEM Temperature")};
    for (int round = 0; round < 2; ++round) {
        for (const QFont& font : {regular, bold}) {
            for (const QString& name : names) {
                const int whole = QFontMetrics(font).horizontalAdvance(name);
                for (const int width : {whole, whole - 1, whole * 7 / 10, whole / 3}) {
                    EXPECT_EQ(NameFit::Fits(font, name, width), whole <= width) << name.toStdString() << width;
                    QFont expected = font;
                    bool found = false;
                    QFont condensed = font;
                    condensed.setFamily(QString::fromLatin1(NameFit::kCondensedFamily));
                    for (QFont candidate : {font, condensed}) {
                        for (int pixels = 11; pixels >= 8 && !found; --pixels) {
                            candidate.setPixelSize(pixels);
                            if (QFontMetrics(candidate).horizontalAdvance(name) <= width) {
                                expected = candidate;
                                found = true;
                            }
                        }
                        if (found) break;
                    }
                    if (!found) {
                        expected = condensed;
                        expected.setPixelSize(8);
                    }
                    EXPECT_EQ(NameFit::FittingFont(font, name, width, 8).key(), expected.key())
                        << name.toStdString() << " " << width << " round " << round;
                }
            }
        }
    }
}
