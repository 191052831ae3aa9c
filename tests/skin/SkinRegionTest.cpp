#include "skin/CSkinLibrary.h"
#include "skin/SkinDraw.h"
#include "skin/SkinRegion.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

QImage Filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool SameArea(const QRegion& a, const QRegion& b)
{
    return a.xored(b).isEmpty();
}

// Pixel-by-pixel region of the pixels not matching the key, for comparison.
QRegion NonKeyPixels(const QImage& image, Colorref key)
{
    const KeyBounds bounds = KeyBoundsFor(key);
    QRegion region;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!MatchesKey(image.pixel(x, y), bounds))
                region += QRect(x, y, 1, 1);
    return region;
}

} // namespace

TEST(RegionFromBitmap, AllKeyIsEmptyAndAllNonKeyIsTheFullRectangle)
{
    for (const bool keyIsOutside : {true, false}) {
        const SkinRegion allKey = RegionFromBitmap(Filled(20, 10, qRgb(255, 255, 255)), 0xFFFFFF, keyIsOutside);
        EXPECT_TRUE(allKey.valid);
        EXPECT_TRUE(allKey.region.isEmpty()) << keyIsOutside;
        const SkinRegion none = RegionFromBitmap(Filled(20, 10, qRgb(10, 80, 200)), 0xFFFFFF, keyIsOutside);
        EXPECT_TRUE(SameArea(none.region, QRegion(0, 0, 20, 10))) << keyIsOutside;
    }
    EXPECT_FALSE(RegionFromBitmap(QImage(), 0xFFFFFF, false).valid);
    EXPECT_FALSE(BuildRegionFromMask(QImage(), 0xFFFFFF).valid);
}

TEST(RegionFromBitmap, KeyToleranceEdges)
{
    struct Case {
        Colorref key;
        QRgb pixel;
        bool matches;
    } cases[] = {
        {0xFFFFFF, qRgb(239, 239, 239), true},  {0xFFFFFF, qRgb(238, 255, 255), false},
        {0xFFFFFF, qRgb(255, 255, 239), true},  {0x000000, qRgb(16, 16, 16), true},
        {0x000000, qRgb(17, 0, 0), false},      {0x000000, qRgb(0, 0, 17), false},
        // key red 100, green 50, blue 200
        {0xC83264, qRgb(117, 33, 217), true},   {0xC83264, qRgb(83, 67, 183), true},
        {0xC83264, qRgb(118, 50, 200), false},  {0xC83264, qRgb(100, 32, 200), false},
        {0xC83264, qRgb(100, 50, 218), false},
        // channels near 0 and 255 clamp instead of wrapping
        {0xF00A01, qRgb(0, 0, 223), true},      {0xF00A01, qRgb(18, 27, 255), true},
        {0xF00A01, qRgb(19, 0, 240), false},    {0xF00A01, qRgb(0, 0, 222), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesKey(c.pixel, KeyBoundsFor(c.key)), c.matches)
            << std::hex << c.key << " " << c.pixel;
        // The same decision through a one-pixel bitmap: a match leaves nothing.
        const SkinRegion r = RegionFromBitmap(Filled(1, 1, c.pixel), c.key, false);
        EXPECT_EQ(r.region.isEmpty(), c.matches);
    }
}

TEST(RegionFromBitmap, RunsReachingTheRowEndStopAtTheWidth)
{
    QImage image = Filled(8, 2, qRgb(255, 255, 255));
    for (int x = 5; x < 8; ++x)
        image.setPixel(x, 1, qRgb(0, 0, 0));
    image.setPixel(0, 0, qRgb(0, 0, 0));

    const SkinRegion outside = RegionFromBitmap(image, 0xFFFFFF, true);
    ASSERT_EQ(outside.rects.size(), 2);
    EXPECT_EQ(outside.rects[0], QRect(0, 0, 1, 1));
    EXPECT_EQ(outside.rects[1], QRect(5, 1, 3, 1));
    // The false form lists the key runs, top row first.
    const SkinRegion keyRuns = RegionFromBitmap(image, 0xFFFFFF, false);
    ASSERT_EQ(keyRuns.rects.size(), 2);
    EXPECT_EQ(keyRuns.rects[0], QRect(1, 0, 7, 1));
    EXPECT_EQ(keyRuns.rects[1], QRect(0, 1, 5, 1));
    EXPECT_TRUE(SameArea(keyRuns.region, outside.region));

    // The mask builder collects from the bottom row up, with the same rule.
    const SkinRegion mask = BuildRegionFromMask(image, 0xFFFFFF);
    ASSERT_EQ(mask.rects.size(), 2);
    EXPECT_EQ(mask.rects[0], QRect(5, 1, 3, 1));
    EXPECT_EQ(mask.rects[1], QRect(0, 0, 1, 1));
    EXPECT_TRUE(SameArea(mask.region, outside.region));
}

TEST(RegionFromBitmap, ManyBatchesGiveTheSameRegionAsPixelsAndBothForms)
{
    // A checkerboard-like pattern: 200 x 40 gives 4,000 runs of each kind,
    // more than one batch of 3,000.
    QImage image = Filled(200, 40, qRgb(255, 255, 255));
    for (int y = 0; y < image.height(); ++y)
        for (int x = (y % 2); x < image.width(); x += 2)
            image.setPixel(x, y, qRgb(240 - (x % 7), 30, 60));
    const SkinRegion outside = RegionFromBitmap(image, 0xFFFFFF, true);
    const SkinRegion inside = RegionFromBitmap(image, 0xFFFFFF, false);
    EXPECT_GT(outside.rects.size(), kRegionBatchLimit);
    EXPECT_GT(inside.rects.size(), kRegionBatchLimit);
    const QRegion expected = NonKeyPixels(image, 0xFFFFFF);
    EXPECT_TRUE(SameArea(outside.region, expected));
    EXPECT_TRUE(SameArea(inside.region, expected));
}

TEST(BuildRegionFromMask, KeyIsExactNotTolerant)
{
    QImage mask = Filled(4, 1, qRgb(255, 255, 255));
    mask.setPixel(1, 0, qRgb(254, 255, 255));
    mask.setPixel(2, 0, qRgb(0, 0, 0));
    const SkinRegion shape = BuildRegionFromMask(mask, 0xFFFFFF);
    ASSERT_EQ(shape.rects.size(), 1);
    EXPECT_EQ(shape.rects[0], QRect(1, 0, 2, 1));
}

TEST(DrawSkinBitmap, MaskKeepsTargetWhereWhiteAndShowsImageWhereBlack)
{
    const QImage picture = Filled(4, 2, qRgb(200, 10, 30));
    QImage mask = Filled(4, 2, qRgb(255, 255, 255));
    mask.setPixel(1, 0, qRgb(0, 0, 0));
    mask.setPixel(2, 1, qRgb(0, 0, 0));

    QImage target = Filled(4, 2, qRgb(5, 90, 180));
    {
        QPainter painter(&target);
        DrawSkinBitmap(painter, picture, mask, QRect(0, 0, 4, 2), kDrawNormal);
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool shows = (x == 1 && y == 0) || (x == 2 && y == 1);
            EXPECT_EQ(target.pixel(x, y), shows ? qRgb(200, 10, 30) : qRgb(5, 90, 180)) << x << "," << y;
        }

    // Stretch scales image and mask together: the black left half of a 2x1
    // mask covers the left half of an 8-wide target.
    QImage halfMask = Filled(2, 1, qRgb(255, 255, 255));
    halfMask.setPixel(0, 0, qRgb(0, 0, 0));
    QImage wide = Filled(8, 2, qRgb(0, 0, 0));
    {
        QPainter painter(&wide);
        DrawSkinBitmap(painter, Filled(2, 1, qRgb(9, 9, 9)), halfMask, QRect(0, 0, 8, 2), kDrawStretch);
    }
    EXPECT_EQ(wide.pixel(3, 1), qRgb(9, 9, 9));
    EXPECT_EQ(wide.pixel(4, 1), qRgb(0, 0, 0));
}

TEST(TileBitmap, LastRowAndColumnAreCut)
{
    const QList<QRect> tiles = TileRects(QSize(4, 3), QRect(10, 20, 10, 5));
    const QList<QRect> expected = {QRect(10, 20, 4, 3), QRect(14, 20, 4, 3), QRect(18, 20, 2, 3),
                                   QRect(10, 23, 4, 2), QRect(14, 23, 4, 2), QRect(18, 23, 2, 2)};
    EXPECT_EQ(tiles, expected);
    EXPECT_TRUE(TileRects(QSize(0, 3), QRect(0, 0, 10, 10)).isEmpty());

    QImage image = Filled(2, 1, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(4, 5, 6));
    QImage target = Filled(5, 2, qRgb(0, 0, 0));
    {
        QPainter painter(&target);
        DrawSkinBitmap(painter, image, Filled(2, 1, qRgb(255, 255, 255)), QRect(0, 0, 5, 2), kDrawTile);
    }
    // Tiling ignores the (all-white) mask.
    EXPECT_EQ(target.pixel(3, 1), qRgb(4, 5, 6));
    EXPECT_EQ(target.pixel(4, 0), qRgb(1, 2, 3));
}

TEST(CSkinLibrary, LoadsByIdAndGivesNullForMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(Filled(3, 2, qRgb(1, 2, 3)).save(dir.filePath(QStringLiteral("181.png"))));
    const CSkinLibrary library(dir.path());
    EXPECT_EQ(library.Image(181).size(), QSize(3, 2));
    EXPECT_TRUE(library.Image(182).isNull());
    EXPECT_TRUE(library.Image(0).isNull());
    // Cached: the file can go away.
    QDir(dir.path()).remove(QStringLiteral("181.png"));
    EXPECT_EQ(library.Image(181).pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(CSkinLibrary::SkinDirectory(QStringLiteral("/opt/k")), QStringLiteral("/opt/k/skin"));
}

namespace {

bool ImagePluginsLoaded()
{
    std::ifstream maps("/proc/self/maps");
    std::stringstream mapped;
    mapped << maps.rdbuf();
    return mapped.str().find("/imageformats/") != std::string::npos;
}

}  // namespace

TEST(CSkinLibrary, ReadsPngWithoutLoadingImagePluginsAndStillReadsAnotherFormatUnderThatName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The program's icon from the generated skin in the working directory
    // (the program directory): writing a PNG here would load the plugins.
    ASSERT_TRUE(QFile::copy(QStringLiteral("skin/128.png"), dir.filePath(QStringLiteral("181.png"))));
    ASSERT_FALSE(ImagePluginsLoaded());
    // Not an image at all.
    QFile junk(dir.filePath(QStringLiteral("183.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();

    const CSkinLibrary library(dir.path());
    EXPECT_EQ(library.Image(181).size(), QSize(64, 64));
    // Reading a PNG by guessing would have asked every installed format
    // plugin (each one a library loaded into the window for good).
    EXPECT_FALSE(ImagePluginsLoaded());

    // A skin drawn elsewhere and saved as a bitmap under the PNG name.
    ASSERT_TRUE(Filled(5, 4, qRgb(7, 8, 9)).save(dir.filePath(QStringLiteral("182.png")), "BMP"));
    EXPECT_EQ(library.Image(182).size(), QSize(5, 4));
    EXPECT_EQ(library.Image(182).pixel(4, 3), qRgb(7, 8, 9));
    EXPECT_TRUE(library.Image(183).isNull());
}
