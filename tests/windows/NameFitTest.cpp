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
