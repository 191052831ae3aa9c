#include "skin/CTransparentStatic.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <gtest/gtest.h>

TEST(TransparentStatic, DrawTextFlagsFromStyleBits)
{
    struct Case {
        std::uint32_t style;
        std::uint32_t flags;
    } cases[] = {
        {0x0000, DT_WORDBREAK},                                       // plain template label wraps
        {0x0001, DT_CENTER | DT_WORDBREAK},
        {0x0002, DT_RIGHT | DT_WORDBREAK},
        {0x0200, DT_VCENTER | DT_SINGLELINE},                         // centred image: one line
        {0x0281, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX},
        {0x0080, DT_NOPREFIX | DT_WORDBREAK},
        {0x4000, DT_WORD_ELLIPSIS | DT_END_ELLIPSIS},
        {0x8000, DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS},
        {0xC000, DT_WORD_ELLIPSIS | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS},
        {0x0004, 0},                                                  // non-text static types: no wrap
        {0x0008, 0},
        {0x000C, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DrawTextFlagsFromStyle(c.style), c.flags) << std::hex << c.style;
}

TEST(TransparentStatic, QtFormatOfDrawTextFlags)
{
    const StaticTextFormat plain = TextFormatFromDrawTextFlags(DrawTextFlagsFromStyle(0));
    EXPECT_EQ(plain.flags, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic));
    EXPECT_EQ(plain.elide, Qt::ElideNone);
    const StaticTextFormat centred = TextFormatFromDrawTextFlags(DrawTextFlagsFromStyle(0x0281));
    EXPECT_EQ(centred.flags, int(Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_EQ(TextFormatFromDrawTextFlags(DrawTextFlagsFromStyle(0x4000)).elide, Qt::ElideRight);
    EXPECT_EQ(TextFormatFromDrawTextFlags(DrawTextFlagsFromStyle(0x8000)).elide, Qt::ElideMiddle);
    EXPECT_EQ(TextFormatFromDrawTextFlags(DrawTextFlagsFromStyle(0x0002)).flags & Qt::AlignRight, int(Qt::AlignRight));
}

namespace {

class BackgroundParent : public QWidget {
public:
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        painted += event->region();
        QPainter(this).fillRect(event->rect(), QColor(20, 40, 60));
    }
};

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

TEST(TransparentStatic, NewTextRepaintsTheParentUnderTheLabelOnce)
{
    BackgroundParent parent;
    parent.resize(200, 100);
    auto* label = new CTransparentStatic(0, &parent);
    label->setGeometry(30, 40, 100, 20);
    parent.show();
    Settle();
    parent.painted = QRegion();

    label->SetText(QStringLiteral("Vcore"));
    Settle();
    EXPECT_EQ(parent.painted, QRegion(30, 40, 100, 20));
    parent.painted = QRegion();
    label->SetText(QStringLiteral("Vcore"));
    Settle();
    EXPECT_TRUE(parent.painted.isEmpty());
}

TEST(TransparentStatic, DrawsOnlyItsTextInItsColour)
{
    QWidget parent;
    parent.resize(100, 40);
    auto* label = new CTransparentStatic(0x0201, &parent);
    label->setGeometry(0, 0, 100, 40);
    label->SetTextColour(0x0000FF);
    label->SetText(QStringLiteral("HHHH"));
    QImage image(100, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(qRgb(0, 255, 0));
    label->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // Text pixels blend from the green underneath toward red; nothing else
    // (no background, no blue) is drawn.
    int reddish = 0, touched = 0, other = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) {
            const QRgb p = image.pixel(x, y);
            if (p == qRgb(0, 255, 0))
                continue;
            ++touched;
            if (qBlue(p) != 0)
                ++other;
            if (qRed(p) > 200 && qGreen(p) < 60)
                ++reddish;
        }
    EXPECT_GT(touched, 20);
    EXPECT_GT(reddish, 5);
    EXPECT_EQ(other, 0);
    // Centred both ways: the text lies round the middle row and column.
    EXPECT_EQ(image.pixel(2, 2), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(97, 37), qRgb(0, 255, 0));
}

TEST(TransparentStatic, ACutNameFollowsTheLabelsTextFontAndWidth)
{
    // One label taking turns with names, fonts and widths paints each as a
    // label made for it alone would: a cut kept for one never shows for another.
    const std::uint32_t style = 0x0281 | 0x4000;  // centred, one line, end ellipsis
    const auto picture = [style](CTransparentStatic& label, const QString& text, int pixels, int width) {
        QFont font = label.font();
        font.setPixelSize(pixels);
        label.setFont(font);
        label.resize(width, 20);
        label.SetText(text);
        // Shown, as on the face: a hidden widget is sent its size again at
        // every grab.
        label.show();
        return label.grab().toImage();
    };
    struct Turn {
        const char* text;
        int pixels;
        int width;
    };
    const Turn turns[] = {{"CPU Temperature", 14, 60}, {"CPU Temperature", 9, 100}, {"Vcore", 14, 60},
                          {"CPU Temperature", 14, 60}, {"CPU Temperature", 14, 120}, {"CPU Temperature", 11, 120},
                          {"CPU Temperature", 9, 100}};
    CTransparentStatic shared(style);
    for (int round = 0; round < 2; ++round) {
        for (const Turn& turn : turns) {
            SCOPED_TRACE(std::string(turn.text) + " " + std::to_string(turn.pixels) + " px in " +
                         std::to_string(turn.width));
            CTransparentStatic alone(style);
            const QImage expected = picture(alone, QString::fromLatin1(turn.text), turn.pixels, turn.width);
            EXPECT_TRUE(picture(shared, QString::fromLatin1(turn.text), turn.pixels, turn.width) == expected);
        }
    }
}
