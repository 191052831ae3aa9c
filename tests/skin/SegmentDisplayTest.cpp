#include "skin/CSegmentDisplay.h"
#include "skin/FitCurveRun.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

#include <gtest/gtest.h>

namespace {

std::vector<int> Widths(const std::vector<CSegmentGlyph>& glyphs)
{
    std::vector<int> widths;
    for (const CSegmentGlyph& g : glyphs)
        widths.push_back(g.Width());
    return widths;
}

std::vector<unsigned> Masks(const std::vector<CSegmentGlyph>& glyphs)
{
    std::vector<unsigned> masks;
    for (const CSegmentGlyph& g : glyphs)
        masks.push_back(g.Mask());
    return masks;
}

class CountingDisplay : public CSegmentDisplay {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        CSegmentDisplay::paintEvent(event);
    }
};

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

TEST(SegmentGlyphs, TwelvePointFiveLayout)
{
    const auto glyphs = GlyphsForText(QStringLiteral("12.5"), SDS_KEEP_ASPECT);
    EXPECT_EQ(Widths(glyphs), (std::vector<int>{49, 49, 18, 49}));
    EXPECT_EQ(Masks(glyphs), (std::vector<unsigned>{0x24, 0x5D, 0x04, 0x6B}));
    const SegmentFrame frame = ComputeSegmentFrame(165, QSize(330, 83), true);
    EXPECT_DOUBLE_EQ(frame.sx, 1.0);
    EXPECT_DOUBLE_EQ(frame.sy, 1.0);
    EXPECT_DOUBLE_EQ(frame.x0, 82.5);
    EXPECT_DOUBLE_EQ(frame.y0, 0.0);
    const SegmentFrame stretched = ComputeSegmentFrame(165, QSize(330, 83), false);
    EXPECT_DOUBLE_EQ(stretched.sx, 2.0);
    EXPECT_DOUBLE_EQ(stretched.x0, 0.0);
}

TEST(SegmentGlyphs, CharacterChoice)
{
    struct Case {
        const char* text;
        std::uint32_t style;
        std::vector<int> widths;
        std::vector<unsigned> masks;
    } cases[] = {
        {"ab", 0, {49, 49}, {0x3BC0, 0x3CA1}},                     // lower case as capitals
        {"AB", 0, {49, 49}, {0x3BC0, 0x3CA1}},
        {"1%,2", 0, {49, 49}, {0x24, 0x5D}},                        // no glyph, no room
        {"1", SDS_ALNUM_DIGITS, {49}, {0x1800}},                    // fourteen-segment digit
        {" -", SDS_ALNUM_DIGITS, {49, 49}, {0x0000, 0x00C0}},
        {" -8", 0, {49, 49, 49}, {0x00, 0x08, 0x7F}},
        {":.", 0, {18, 18}, {0x03, 0x04}},
        {"*+()\\/'", 0, {49, 49, 49, 49, 49, 49, 49}, {0x00FF, 0x00E1, 0x0014, 0x000A, 0x0012, 0x000C, 0x0001}},
        {"OFF", 0, {49, 49, 49}, {0x3F00, 0x23C0, 0x23C0}},
        {"Z\u00e9", 0, {49}, {0x240C}},                             // non-ASCII skipped
    };
    for (const Case& c : cases) {
        const auto glyphs = GlyphsForText(QString::fromUtf8(c.text), c.style);
        EXPECT_EQ(Widths(glyphs), c.widths) << c.text;
        EXPECT_EQ(Masks(glyphs), c.masks) << c.text;
    }
}

TEST(SegmentGlyphs, OutlinesAndMirroring)
{
    const CSegmentGlyph straight(CSegmentGlyph::kSevenSegment, 0x7F, 0);
    ASSERT_EQ(straight.SegmentCount(), 7);
    // Upper right is the upper left mirrored about x = 24: (4,6) -> (44,6).
    EXPECT_EQ(straight.Outline(2)[0].x, 44);
    EXPECT_EQ(straight.Outline(2)[0].y, 6);
    // Bottom is the top mirrored about y = 41: (5,4) -> (5,78).
    EXPECT_EQ(straight.Outline(6)[0].y, 78);
    // Lower right mirrored both ways: (11,13) -> (37,69).
    EXPECT_EQ(straight.Outline(5)[3].x, 37);
    EXPECT_EQ(straight.Outline(5)[3].y, 69);

    const CSegmentGlyph curved(CSegmentGlyph::kSevenSegment, 0x7F, SDS_CURVED | SDS_LIT_ONLY);
    EXPECT_TRUE(curved.LitOnly());
    // The curved upper right is C7 as stored, the lower right C7 mirrored top-bottom.
    EXPECT_EQ(curved.Outline(2)[0].x, 37);
    EXPECT_EQ(curved.Outline(5)[0].y, 82 - 36);
    EXPECT_EQ(curved.Outline(0)[1].tag, kTagCurve);

    const CSegmentGlyph fourteen(CSegmentGlyph::kFourteenSegment, 0, SDS_CURVED);
    ASSERT_EQ(fourteen.SegmentCount(), 14);
    EXPECT_EQ(fourteen.Outline(13).size(), 17u); // E14 curved
    EXPECT_EQ(fourteen.Outline(10)[0].y, 78);    // bottom: E14 mirrored
    EXPECT_EQ(CSegmentGlyph(CSegmentGlyph::kThreeDot, 4, 0).SegmentCount(), 3);
}

TEST(FitCurveRun, FittedCurvePassesNearEveryGuidePoint)
{
    const std::vector<std::vector<QPointF>> guideSets = {
        {{0, 0}, {5, 8}, {10, 0}},
        {{6, 4}, {5, 5}, {5, 6}, {8, 9}, {12, 11}},              // the curved top's left end
        {{0, 0}, {3, 6}, {9, 9}, {15, 6}, {18, 0}},
        {{37, 36}, {39, 38}, {41, 40}, {42, 40}},
        {{20, 25}, {22, 36}, {23, 39}, {24, 40}, {25, 39}, {26, 36}, {28, 25}},
    };
    for (const auto& q : guideSets) {
        const CurveControls start{2 * q[1] - q[0], 2 * q[q.size() - 2] - q.back()};
        const CurveControls fitted = FitCurveRun(q);
        const double error = CurveFitError(q, fitted.c1, fitted.c2);
        EXPECT_LE(error, CurveFitError(q, start.c1, start.c2));
        // Check the nearest point of the cubic to every guide by dense sampling.
        for (std::size_t g = 1; g + 1 < q.size(); ++g) {
            double nearest = 1e9;
            for (int i = 0; i <= 2000; ++i) {
                const double s = i / 2000.0;
                const QPointF p = std::pow(1 - s, 3) * q.front() + 3 * std::pow(1 - s, 2) * s * fitted.c1 +
                                  3 * (1 - s) * s * s * fitted.c2 + s * s * s * q.back();
                nearest = std::min(nearest, std::hypot(p.x() - q[g].x(), p.y() - q[g].y()));
            }
            EXPECT_LT(nearest, 1.0) << "guide " << g << " of a set of " << q.size();
        }
    }
}

TEST(FitCurveRun, CollinearGuidesGiveZeroError)
{
    const std::vector<QPointF> q = {{0, 0}, {2, 2}, {4, 4}, {6, 6}};
    const CurveControls fitted = FitCurveRun(q);
    EXPECT_LT(CurveFitError(q, fitted.c1, fitted.c2), 1e-4);
}

TEST(SegmentDisplay, SoftEdgeOnBlackDrawsGreen191)
{
    EXPECT_EQ(SoftEdgeColour(0x00FF00, 0x000000), 0x00BF00u);
    EXPECT_EQ(SoftEdgeColour(0x0000FF, 0xFFFFFF), 0x3F3FFFu);

    CSegmentDisplay display;
    display.resize(98, 166);
    display.SetDisplayText(QStringLiteral("8"));
    const QImage& picture = display.RenderImage();
    // Every pixel is background, a fill colour or an edge colour, and the lit
    // edge is drawn in 191 green.
    int edge = 0, fill = 0, other = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y) & 0xFFFFFF;
            if (p == 0x00BF00)
                ++edge;
            else if (p == 0x00FF00)
                ++fill;
            else if (p != 0)
                ++other;
        }
    EXPECT_GT(edge, 100);
    EXPECT_GT(fill, 100);
    EXPECT_EQ(other, 0);

    ASSERT_TRUE(display.ChangeDisplayStyle(SDS_SOFT_EDGE, 0));
    const QImage& hard = display.RenderImage();
    bool any191 = false;
    for (int y = 0; y < hard.height(); ++y)
        for (int x = 0; x < hard.width(); ++x)
            any191 |= (hard.pixel(x, y) & 0xFFFFFF) == 0x00BF00;
    EXPECT_FALSE(any191);
}

TEST(SegmentDisplay, LitOnlyLeavesTheBackground)
{
    CSegmentDisplay display;
    display.resize(49 * 2, 83 * 2);
    display.SetSegmentColours(0x0000FF, 0x00FF00);
    display.SetDisplayText(QStringLiteral("1"));
    // The middle segment of "1" is unlit: red with the unlit shown, black without.
    const QPoint middle(49, 82);
    const QRgb red = display.RenderImage().pixel(middle);
    EXPECT_EQ(qRed(red), 255) << std::hex << red;
    ASSERT_TRUE(display.ChangeDisplayStyle(0, SDS_LIT_ONLY));
    EXPECT_EQ(display.RenderImage().pixel(middle), qRgb(0, 0, 0));

    // Transparent, nothing is drawn there at all and the shape leaves it out.
    display.SetTransparentMode(true);
    EXPECT_EQ(qAlpha(display.RenderImage().pixel(middle)), 0);
    const QRegion shape = display.SegmentRegion();
    EXPECT_FALSE(shape.isEmpty());
    EXPECT_FALSE(shape.contains(middle));
    // The lit upper right segment is part of the shape.
    EXPECT_TRUE(shape.contains(QPoint(78, 40)));

    display.SetDisplayText(QString());
    EXPECT_TRUE(display.SegmentRegion().isEmpty());
}

TEST(SegmentDisplay, StyleChangeWithSharedBitsIsRefused)
{
    CSegmentDisplay display;
    const std::uint32_t before = display.DisplayStyle();
    EXPECT_EQ(before, SDS_KEEP_ASPECT | SDS_SOFT_EDGE);
    EXPECT_FALSE(display.ChangeDisplayStyle(0x04, 0x04));
    EXPECT_EQ(display.DisplayStyle(), before);
    EXPECT_TRUE(display.ChangeDisplayStyle(SDS_SOFT_EDGE, SDS_CURVED | SDS_LIT_ONLY));
    EXPECT_EQ(display.DisplayStyle(), SDS_KEEP_ASPECT | SDS_CURVED | SDS_LIT_ONLY);
}

TEST(SegmentDisplay, RepaintsOnlyOnChange)
{
    QWidget parent;
    parent.resize(200, 100);
    auto* display = new CountingDisplay;
    display->setParent(&parent);
    display->setGeometry(10, 10, 120, 50);
    parent.show();
    Settle();
    display->paints = 0;

    display->SetDisplayText(QStringLiteral("12.5"));
    Settle();
    EXPECT_EQ(display->paints, 1);
    display->SetDisplayText(QStringLiteral("12.5"));
    display->SetSegmentColours(0x003400, 0x00FF00); // the defaults
    Settle();
    EXPECT_EQ(display->paints, 1);
    EXPECT_EQ(display->GetLitColour(), 0x00FF00u);
    display->SetSegmentColours(0x000000, 0x0000FF);
    Settle();
    EXPECT_EQ(display->paints, 2);
    EXPECT_EQ(display->GetLitColour(), 0x0000FFu);
}

TEST(SegmentDisplay, QuestionMarkShowsTheCaption)
{
    CSegmentDisplay display;
    display.SetCaption(QStringLiteral("88"));
    EXPECT_EQ(display.Glyphs().size(), 2u);
    display.SetDisplayText(QStringLiteral("1"));
    EXPECT_EQ(display.Glyphs().size(), 1u);
}

TEST(SegmentDisplay, TransparentDisplayTakesTheShapeOfItsSegments)
{
    QWidget parent;
    parent.resize(120, 60);
    auto* display = new CSegmentDisplay(&parent);
    display->setGeometry(0, 0, 100, 40);
    display->SetTransparentMode(true);
    display->ChangeDisplayStyle(0, SDS_LIT_ONLY);
    display->SetDisplayText(QStringLiteral("7"));
    parent.show();
    Settle();
    EXPECT_FALSE(display->mask().isEmpty());
    EXPECT_EQ(display->mask(), display->SegmentRegion());
    // Nothing drawn: no shape at all (the whole rectangle).
    display->SetDisplayText(QStringLiteral("%"));
    Settle();
    EXPECT_TRUE(display->mask().isEmpty());
}

namespace {

// A window that keeps what it was asked to repaint.
class ExposedParent : public QWidget {
public:
    QRegion exposed;

protected:
    void paintEvent(QPaintEvent* event) override { exposed += event->region(); }
};

}  // namespace

TEST(SegmentDisplay, TransparentRedrawOfTheSameShapeExposesTheWindowOnlyUnderIt)
{
    // Transparent, the window beneath is painted again under a redrawn
    // control; with an unchanged shape only under the segments, not under
    // the whole control as when the shape was cleared until the paint.
    struct Case {
        const char* name;
        std::uint32_t style;
        const char* from;
        const char* to;
        bool newColour;
        bool sameShape;
    };
    const Case cases[] = {
        // Unlit segments drawn too: every text of two digits has one shape.
        {"same shape, new text", 0, "12", "47", false, true},
        {"same text, new colour", SDS_LIT_ONLY, "12", "12", true, true},
        {"lit only, the shape grows", SDS_LIT_ONLY, "1", "7", false, false},
        {"lit only, the shape shrinks", SDS_LIT_ONLY, "8", "1", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExposedParent parent;
        parent.resize(120, 60);
        auto* display = new CSegmentDisplay(&parent);
        display->setGeometry(10, 10, 100, 40);
        display->SetTransparentMode(true);
        display->ChangeDisplayStyle(0, c.style);
        display->SetDisplayText(QString::fromLatin1(c.from));
        parent.show();
        Settle();
        const QRegion before = display->mask();
        ASSERT_FALSE(before.isEmpty());
        parent.exposed = QRegion();

        display->SetDisplayText(QString::fromLatin1(c.to));
        if (c.newColour)
            display->SetSegmentColours(0xFFFFFF, 0x0000FF);
        Settle();
        const QRegion after = display->mask();
        EXPECT_EQ(after, display->SegmentRegion());
        EXPECT_EQ(before == after, c.sameShape);
        EXPECT_FALSE(parent.exposed.isEmpty());
        const QRegion allowed = c.sameShape ? after.translated(display->pos()) : QRegion(display->geometry());
        const QRect beyond = (parent.exposed - allowed).boundingRect();
        EXPECT_TRUE(beyond.isEmpty()) << "exposed beyond: " << beyond.width() << "x" << beyond.height();
    }
}

namespace {

// The shape as the whole control painted at once gives it: every pixel any
// outline's fill or edge touches.
QRegion WholeControlCover(const SegmentScene& scene, const QSize& size)
{
    QImage coverage(size, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::black);
        for (const SegmentShape& shape : scene.shapes)
            painter.drawPath(shape.path);
    }
    QRegion region;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (qAlpha(coverage.pixel(x, y)) != 0)
                region += QRect(x, y, 1, 1);
    return region;
}

} // namespace

TEST(SegmentDisplay, ShapeFromEachOutlinesCoverIsTheWholeControlsCover)
{
    // Covers are kept per outline and reused by later texts; the union must
    // stay pixel for pixel what painting the whole scene covers, also where
    // the control's edge cuts an outline and after the cache has seen the
    // outline at another size.
    struct Case {
        const char* text;
        std::uint32_t style;
        QSize size;
    };
    const Case cases[] = {
        {"8.8.8", 0, {98, 40}},
        {"-12.5", SDS_CURVED, {98, 40}},
        {"3.30", SDS_LIT_ONLY, {98, 40}},
        {"2700", SDS_CURVED | SDS_KEEP_ASPECT, {120, 33}},
        {"88", 0, {31, 17}},
        {"1", SDS_CURVED, {7, 9}},
    };
    SegmentPathCache cache;
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.text) + " round " + std::to_string(round));
            const SegmentScene scene =
                BuildSegmentScene(GlyphsForText(QString::fromLatin1(c.text), c.style), c.size, c.style, &cache);
            ASSERT_FALSE(scene.shapes.empty());
            const QRegion shape = SegmentSceneRegion(scene, c.size);
            const QRegion whole = WholeControlCover(scene, c.size);
            EXPECT_TRUE(shape.xored(whole).isEmpty());
            // In no more rectangles than Qt's own region arithmetic makes:
            // rows alike make one band (a mask of one-pixel rows costs every
            // paint clipped to it).
            EXPECT_LE(shape.rectCount(), whole.rectCount());
            const SegmentScene uncached =
                BuildSegmentScene(GlyphsForText(QString::fromLatin1(c.text), c.style), c.size, c.style);
            EXPECT_TRUE(
                SegmentSceneRegion(uncached, c.size).xored(WholeControlCover(uncached, c.size)).isEmpty());
        }
    }
}

namespace {

// What painting the whole scene at once gives: the display's picture as it
// was before cells were kept.
QImage PaintedAtOnce(const QString& text, std::uint32_t style, const QSize& size, const SegmentColours& colours,
                     bool transparent)
{
    QImage picture(size, transparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (transparent)
        picture.fill(Qt::transparent);
    else
        picture.fill(ColorFromColorref(colours.background));
    QPainter painter(&picture);
    PaintSegmentScene(painter, BuildSegmentScene(GlyphsForText(text, style), size, style), colours, style);
    return picture;
}

} // namespace

TEST(SegmentDisplay, APictureFromKeptCellsIsPixelForPixelTheSceneAtOnce)
{
    // Readings that change one cell, then another, and come back; the alarm
    // colours; both modes; styles that change every cell's shapes; a new
    // size; and enough texts to make the kept cells and texts start over.
    const QStringList texts = {QStringLiteral("3.30"), QStringLiteral("3.31"), QStringLiteral("3.30"),
                               QStringLiteral("-12.5"), QStringLiteral("2700"), QStringLiteral("OFF"),
                               QString(), QStringLiteral("8.8.8.8")};
    const SegmentColours normal{0x003400, 0x00FF00, 0x000000};
    const SegmentColours alarm{0x000034, 0x0000FF, 0x000000};
    struct Case {
        std::uint32_t style;
        bool transparent;
        QSize size;
    };
    const Case cases[] = {
        {SDS_KEEP_ASPECT | SDS_SOFT_EDGE, false, {98, 40}},
        {SDS_KEEP_ASPECT | SDS_SOFT_EDGE, true, {98, 40}},
        {SDS_CURVED | SDS_LIT_ONLY, true, {98, 40}},
        {SDS_CURVED, false, {120, 33}},
        {SDS_CURVED, false, {98, 40}},
        {0, false, {31, 17}},
    };
    CSegmentDisplay display;
    for (const Case& c : cases) {
        display.SetTransparentMode(c.transparent);
        display.ChangeDisplayStyle(~c.style & 0xFF, c.style);
        display.resize(c.size);
        for (int round = 0; round < 8; ++round) {
            const SegmentColours& colours = round % 3 == 2 ? alarm : normal;
            display.SetSegmentColours(colours.unlit, colours.lit);
            for (const QString& text : texts) {
                SCOPED_TRACE(text.toStdString() + " style " + std::to_string(c.style) + " round " +
                             std::to_string(round));
                display.SetDisplayText(text);
                const QImage expected = PaintedAtOnce(text.isEmpty() ? QString() : text, display.DisplayStyle(),
                                                      c.size, colours, c.transparent);
                ASSERT_TRUE(display.RenderImage() == expected);
                // The shape too, from kept texts as from new ones.
                const std::uint32_t style = display.DisplayStyle();
                const SegmentScene scene = BuildSegmentScene(GlyphsForText(text, style), c.size, style);
                ASSERT_TRUE(display.SegmentRegion().xored(SegmentSceneRegion(scene, c.size)).isEmpty());
            }
        }
    }
}
