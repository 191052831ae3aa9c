// The generated skin in the program directory's skin/ folder: every picture
// the program loads is there, at the size the windows rely on, keyed on white
// the way the program reads it.

#include "skin/SkinCaption.h"
#include "skin/SkinRegion.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace {

QImage LoadSkin(int id)
{
    return QImage(QStringLiteral("skin/%1.png").arg(id));
}

// The outline's key: white with the program's tolerance (every channel 239+).
bool OutsideOutline(QRgb pixel)
{
    return qRed(pixel) >= 239 && qGreen(pixel) >= 239 && qBlue(pixel) >= 239;
}

// A mask's key is exact white.
bool OutsideMask(QRgb pixel)
{
    return (pixel & 0xFFFFFF) == 0xFFFFFF;
}

struct SizedBitmap {
    int id;
    int width;
    int height;
};

// Sizes fixed by the windows that load them.
const std::vector<SizedBitmap> kFixedSizes = {
    {150, 404, 200}, {147, 404, 562}, {146, 404, 198}, {143, 404, 562},
    {195, 324, 105}, {248, 324, 105}, {249, 324, 105}, {250, 324, 105},
    {191, 30, 15},   {192, 30, 15},   {193, 30, 15},   {194, 30, 15},
    {219, 113, 25},  {218, 113, 25},  {217, 107, 19},
    {222, 70, 25},   {221, 70, 25},   {220, 64, 19},
    {216, 81, 25},   {215, 81, 25},   {214, 78, 19},
    {240, 80, 25},   {239, 80, 25},   {238, 77, 19},
    {223, 45, 15},
};

// The rest of the ids the program names; their sizes are the skin's choice.
const std::vector<int> kOtherIds = {
    184, 183, 182, 181, 180, 179, 178, 177, 243, 241, 242, 171, 169, 168, 133,
    160, 158, 159, 157, 176, 175, 174, 173, 189, 188, 187, 186,
    201, 200, 199, 198, 205, 204, 203, 202, 226, 228, 227, 224, 229, 230, 128,
};

struct Placement {
    int controlId;
    int x;
    int y;
    int normal, pressed, hover, disabled, mask;
    bool compact;   // shown in the compact form
    bool expanded;  // shown in the expanded form
};

// The main window's buttons and where it puts them.
const std::vector<Placement> kMainButtons = {
    {2, 338, 15, 184, 183, 182, 181, 181, true, true},
    {1014, 304, 15, 180, 179, 178, 177, 177, true, true},
    {1015, 321, 15, 243, 241, 242, 177, 177, true, true},
    {1002, 49, 152, 171, 169, 168, 133, 133, true, true},
    {1001, 153, 152, 171, 169, 168, 133, 133, true, true},
    {1000, 257, 152, 171, 169, 168, 171, 133, true, true},
    {1006, 178, 180, 160, 158, 159, 157, 157, true, false},
    {1007, 178, 545, 176, 175, 174, 173, 173, false, true},
    {1013, 168, 3, 189, 188, 187, 186, 186, true, true},
    {1045, 178, 301, 201, 200, 199, 200, 198, false, true},
    {1046, 201, 301, 205, 204, 203, 204, 202, false, true},
    {1043, 178, 181, 201, 200, 199, 200, 198, false, true},
    {1044, 201, 181, 205, 204, 203, 204, 202, false, true},
    {1041, 178, 421, 201, 200, 199, 200, 198, false, true},
    {1042, 201, 421, 205, 204, 203, 204, 202, false, true},
};

// Mean difference per channel, 0..255, over the inside of a mask.
double MeanDifference(const QImage& a, const QImage& b, const QImage& mask)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            if (OutsideMask(mask.pixel(x, y)))
                continue;
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                + std::abs(qBlue(p) - qBlue(q));
            count += 3;
        }
    }
    return count ? sum / count : 0;
}

TEST(SkinArt, EveryPictureIsThereAtTheSizeTheWindowsUse)
{
    for (const SizedBitmap& b : kFixedSizes) {
        const QImage image = LoadSkin(b.id);
        ASSERT_FALSE(image.isNull()) << "missing skin/" << b.id << ".png";
        EXPECT_EQ(image.width(), b.width) << b.id;
        EXPECT_EQ(image.height(), b.height) << b.id;
    }
    for (const int id : kOtherIds)
        EXPECT_FALSE(LoadSkin(id).isNull()) << "missing skin/" << id << ".png";
}

TEST(SkinArt, BitmapsAreOpaqueSoWhiteIsTheOnlyKey)
{
    for (const SizedBitmap& b : kFixedSizes)
        EXPECT_FALSE(LoadSkin(b.id).hasAlphaChannel()) << b.id;
    for (const int id : kOtherIds) {
        if (id != 128) {  // the program icon is the one picture with transparency
            EXPECT_FALSE(LoadSkin(id).hasAlphaChannel()) << id;
        }
    }
}

TEST(SkinArt, OutlinesAndFacesAreWhiteOutsideAndSolidInside)
{
    for (const int id : {150, 147, 146, 143}) {
        const QImage image = LoadSkin(id);
        ASSERT_FALSE(image.isNull()) << id;
        const int r = image.width() - 1;
        const int b = image.height() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(r, 0), QPoint(0, b), QPoint(r, b)})
            EXPECT_EQ(image.pixel(corner) & 0xFFFFFF, 0xFFFFFFu) << id << " at " << corner.x()
                                                                 << "," << corner.y();
        EXPECT_FALSE(OutsideOutline(image.pixel(image.width() / 2, 100))) << id;
    }
    // Inside the outline the face never reads as the key, or the window would
    // have holes.
    for (const auto& [outlineId, faceId] : {std::pair{150, 146}, std::pair{147, 143}}) {
        const QImage outline = LoadSkin(outlineId);
        const QImage face = LoadSkin(faceId);
        int holes = 0;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x)
                if (!OutsideOutline(outline.pixel(x, y)) && OutsideOutline(face.pixel(x, y)))
                    ++holes;
        EXPECT_EQ(holes, 0) << faceId;
    }
}

TEST(SkinArt, EveryMainWindowButtonLiesInsideTheOutlineOfItsForm)
{
    // The regions the program cuts: the window from its outline, each button
    // from its mask, moved to the button's place.
    const QRegion compact = RegionFromBitmap(LoadSkin(150), 0xFFFFFF, false).region;
    const QRegion expanded = RegionFromBitmap(LoadSkin(147), 0xFFFFFF, false).region;
    ASSERT_FALSE(compact.isEmpty());
    ASSERT_FALSE(expanded.isEmpty());
    for (const Placement& place : kMainButtons) {
        const QRegion button =
            BuildRegionFromMask(LoadSkin(place.mask), 0xFFFFFF).region.translated(place.x, place.y);
        ASSERT_FALSE(button.isEmpty()) << "empty mask " << place.mask;
        if (place.compact) {
            EXPECT_TRUE(button.subtracted(compact).isEmpty())
                << "control " << place.controlId << " sticks out of the compact outline";
        }
        if (place.expanded) {
            EXPECT_TRUE(button.subtracted(expanded).isEmpty())
                << "control " << place.controlId << " sticks out of the expanded outline";
        }
    }
}

TEST(SkinArt, ButtonsInOneFormDoNotOverlap)
{
    // Two visible buttons sharing a pixel would steal each other's clicks.
    for (const bool expanded : {false, true}) {
        std::vector<std::pair<QRect, int>> taken;
        for (const Placement& place : kMainButtons) {
            if (!(expanded ? place.expanded : place.compact))
                continue;
            const QRect r(QPoint(place.x, place.y), LoadSkin(place.mask).size());
            for (const auto& [other, id] : taken)
                EXPECT_FALSE(r.intersects(other)) << place.controlId << " overlaps " << id;
            taken.emplace_back(r, place.controlId);
        }
    }
}

TEST(SkinArt, MasksAreDarkInsideSoButtonsAreNotSeeThrough)
{
    // A mask's darkness is how much of the button shows; several masks are
    // also disabled pictures, which must therefore stay dark.
    for (const int id : {181, 177, 133, 157, 173, 186, 198, 202, 191, 217, 220, 214, 238, 227}) {
        const QImage mask = LoadSkin(id);
        ASSERT_FALSE(mask.isNull()) << id;
        int light = 0;
        for (int y = 0; y < mask.height(); ++y)
            for (int x = 0; x < mask.width(); ++x)
                if (!OutsideMask(mask.pixel(x, y)) && qGray(mask.pixel(x, y)) > 40)
                    ++light;
        EXPECT_EQ(light, 0) << id;
    }
}

TEST(SkinArt, ButtonStatesLookDifferent)
{
    struct States {
        int normal, hover, pressed, disabled, mask;
    };
    const std::vector<States> buttons = {
        {184, 182, 183, 181, 181}, {180, 178, 179, 177, 177}, {243, 242, 241, 177, 177},
        {171, 168, 169, 133, 133}, {160, 159, 158, 157, 157}, {176, 174, 175, 173, 173},
        {189, 187, 188, 186, 186}, {201, 199, 200, 0, 198},   {205, 203, 204, 0, 202},
        {194, 0, 193, 192, 191},   {226, 0, 228, 0, 227},     {219, 0, 218, 0, 217},
        {222, 0, 221, 0, 220},     {216, 0, 215, 0, 214},     {240, 0, 239, 0, 238},
    };
    for (const States& s : buttons) {
        const QImage mask = LoadSkin(s.mask);
        const QImage normal = LoadSkin(s.normal);
        for (const int other : {s.hover, s.pressed, s.disabled}) {
            if (other == 0)
                continue;
            EXPECT_GT(MeanDifference(normal, LoadSkin(other), mask), 6.0)
                << s.normal << " and " << other << " look alike";
        }
        if (s.hover && s.pressed) {
            EXPECT_GT(MeanDifference(LoadSkin(s.hover), LoadSkin(s.pressed), mask), 6.0)
                << s.hover << " and " << s.pressed << " look alike";
        }
    }
}

TEST(SkinArt, TabStripHoldsThreeSymbolsOnTheWhiteKey)
{
    const QImage strip = LoadSkin(223);
    ASSERT_EQ(strip.height(), 15);
    ASSERT_EQ(strip.width() % 15, 0);
    EXPECT_EQ(strip.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    for (int image = 0; image < 3; ++image) {
        int drawn = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x)
                if (!OutsideMask(strip.pixel(image * 15 + x, y)))
                    ++drawn;
        EXPECT_GT(drawn, 20) << "tab image " << image << " is empty";
    }
}

}  // namespace

namespace {

// Pixels of a region that stand out from their row: the rows' grain and
// gradients stay well within the margin, the strokes of a word do not.
int InkPixels(const QImage& image, const QRect& region)
{
    int ink = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        std::array<std::vector<int>, 3> channels;
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            channels[0].push_back(qRed(p));
            channels[1].push_back(qGreen(p));
            channels[2].push_back(qBlue(p));
        }
        std::array<int, 3> median{};
        for (int c = 0; c < 3; ++c) {
            std::vector<int> sorted = channels[c];
            std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
            median[c] = sorted[sorted.size() / 2];
        }
        for (std::size_t i = 0; i < channels[0].size(); ++i) {
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(channels[c][i] - median[c]));
            if (most > 40) ++ink;
        }
    }
    return ink;
}

}  // namespace

// The words the windows draw in the user's language are not also in the
// pictures under them.
TEST(SkinArt, PicturesLeaveTheirCaptionsToTheWindows)
{
    struct SCase {
        int id;
        SkinCaption::SPlace place;
    };
    std::vector<SCase> cases = {
        {146, SkinCaption::kTitleCaption},     {143, SkinCaption::kTitleCaption},
        {224, SkinCaption::kLogoCaption},      {248, SkinCaption::kVoltGraphCaption},
        {249, SkinCaption::kTempGraphCaption}, {250, SkinCaption::kFanGraphCaption},
    };
    for (const SkinCaption::SPlace& place : SkinCaption::kChannelCaptions) cases.push_back({195, place});
    for (const SkinCaption::SPlace& place : SkinCaption::kWellCaptions) cases.push_back({146, place});
    for (const SkinCaption::SPlace& place : SkinCaption::kRailCaptions) cases.push_back({143, place});
    for (const SCase& c : cases) {
        const QImage image = LoadSkin(c.id);
        ASSERT_FALSE(image.isNull()) << c.id;
        const QRect region = c.place.rect.toAlignedRect().intersected(image.rect());
        EXPECT_EQ(InkPixels(image, region), 0) << "skin/" << c.id << ".png carries \"" << c.place.text << "\"";
    }
}
