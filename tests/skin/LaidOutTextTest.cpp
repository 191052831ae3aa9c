// A text laid out once draws exactly what QPainter::drawText draws, for the
// alignments, wraps, fonts and boxes the face's labels use.
#include "skin/CLaidOutText.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QImage Drawn(const QFont& font, QSize box, const std::function<void(QPainter&)>& draw)
{
    QImage image(box + QSize(6, 6), QImage::Format_RGB32);
    image.fill(QColor(0x20, 0x26, 0x2E));
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor(0x8F, 0xE3, 0xB0));
    painter.translate(3, 3);
    draw(painter);
    return image;
}

}  // namespace

TEST(LaidOutText, DrawsWhatDrawTextDrawsInEveryAlignmentWrapFontAndBox)
{
    const QString texts[] = {QStringLiteral("CPU Temperature"), QStringLiteral("VCore"), QStringLiteral("+3.3V"),
                             QStringLiteral("Power & Fan"), QStringLiteral("A much longer name than the box holds"),
                             QStringLiteral("  spaced  name "), QStringLiteral("Gehäuse Lüfter"), QString()};
    const int flagSets[] = {
        Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine,
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
        Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
        Qt::AlignLeft | Qt::AlignTop,
    };
    const QSize boxes[] = {{112, 16}, {96, 28}, {57, 30}, {40, 11}};
    int compared = 0;
    for (const char* family : {"DejaVu Sans", "DejaVu Sans Condensed"}) {
        for (int pixels : {9, 11, 13}) {
            for (bool bold : {false, true}) {
                QFont font(QString::fromLatin1(family));
                font.setPixelSize(pixels);
                font.setBold(bold);
                for (const QString& text : texts) {
                    for (int flags : flagSets) {
                        ASSERT_TRUE(CLaidOutText::CanLay(text, flags));
                        for (QSize box : boxes) {
                            const QImage expected = Drawn(font, box, [&](QPainter& p) {
                                p.drawText(QRect(QPoint(0, 0), box), flags, text);
                            });
                            const CLaidOutText laidOut(text, font, box, flags);
                            const QImage drawn =
                                Drawn(font, box, [&](QPainter& p) { laidOut.Draw(p, QPointF(0, 0)); });
                            EXPECT_EQ(drawn, expected) << family << " " << pixels << (bold ? " bold" : "") << " \""
                                                       << text.toStdString() << "\" flags " << std::hex << flags
                                                       << std::dec << " in " << box.width() << "x" << box.height();
                            ++compared;
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(compared, 2 * 3 * 2 * 8 * 5 * 4);
}

TEST(LaidOutText, WhatItCannotLayIsLeftToDrawText)
{
    const int centred = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine;
    EXPECT_TRUE(CLaidOutText::CanLay(QStringLiteral("VCore"), centred));
    EXPECT_FALSE(CLaidOutText::CanLay(QStringLiteral("&Fan"), centred | Qt::TextShowMnemonic));
    EXPECT_FALSE(CLaidOutText::CanLay(QStringLiteral("VCore"), Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_FALSE(CLaidOutText::CanLay(QStringLiteral("two\nlines"), centred));
    EXPECT_FALSE(CLaidOutText::CanLay(QStringLiteral("a\tb"), centred));
    EXPECT_FALSE(CLaidOutText::CanLay(QString::fromUtf8("\u05D0\u05D1"), centred));
}
