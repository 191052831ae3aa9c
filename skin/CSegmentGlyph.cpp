#include "skin/CSegmentGlyph.h"

#include <array>

namespace {

constexpr int M = kTagMove;
constexpr int L = kTagLine;
constexpr int C = kTagCurve;

// Seven-segment base outlines.
const SegmentOutline kA7Straight = {{5, 4, M}, {12, 11, L}, {36, 11, L}, {43, 4, L}};
const SegmentOutline kA7Curved = {{6, 4, M}, {5, 5, C}, {5, 6, C}, {8, 9, C}, {12, 11, L}, {36, 11, L}, {39, 4, L}};
const SegmentOutline kB7Straight = {{4, 6, M}, {4, 40, L}, {11, 36, L}, {11, 13, L}};
const SegmentOutline kB7Curved = {{4, 9, M}, {4, 39, L}, {6, 40, C}, {7, 40, C}, {9, 38, C}, {11, 36, L}, {11, 12, L}};
const SegmentOutline kC7Curved = {{37, 36, M}, {39, 38, C}, {41, 40, C}, {42, 40, L}, {44, 39, L},
                                  {44, 6, L},  {42, 4, C},   {41, 4, C},   {39, 8, C},  {37, 12, L}};
const SegmentOutline kD7Straight = {{6, 41, M}, {14, 45, L}, {34, 45, L}, {42, 41, L}, {34, 37, L}, {14, 37, L}};
const SegmentOutline kD7Curved = {{8, 41, M}, {12, 45, L}, {36, 45, L}, {40, 41, L}, {36, 37, L}, {12, 37, L}};

// Fourteen-segment base outlines. The straight B14 ends with a lone move: its
// figure is the four points before it.
const SegmentOutline kA14Straight = {{20, 13, M}, {20, 36, L}, {24, 40, L}, {28, 36, L}, {28, 13, L}};
const SegmentOutline kA14Curved = {{20, 12, M}, {20, 25, L}, {22, 36, C}, {23, 39, C}, {24, 40, C},
                                   {25, 39, C}, {26, 36, C}, {28, 25, L}, {28, 12, L}, {26, 10, C},
                                   {24, 9, C},  {22, 10, C}, {20, 12, L}};
const SegmentOutline kB14Straight = {{5, 5, M}, {15, 35, L}, {20, 37, L}, {18, 25, L}, {20, 13, M}};
const SegmentOutline kB14Curved = {{10, 10, M}, {10, 13, C}, {11, 20, C}, {13, 28, C}, {21, 38, L},
                                   {21, 37, L}, {19, 26, C}, {15, 16, C}, {11, 10, C}, {10, 10, L}};
const SegmentOutline kC14Straight = {{6, 41, M}, {14, 45, L}, {18, 45, L}, {22, 41, L}, {18, 37, L}, {14, 37, L}};
const SegmentOutline kC14Curved = {{8, 41, M}, {12, 45, L}, {16, 45, L}, {23, 41, L}, {16, 37, L}, {12, 37, L}};
const SegmentOutline kD14Straight = {{4, 7, M}, {4, 40, L}, {11, 36, L}, {11, 26, L}};
const SegmentOutline kD14Curved = {{4, 7, M},   {4, 39, L},  {5, 40, C}, {6, 40, C}, {9, 37, C},
                                   {11, 33, C}, {11, 25, L}, {9, 14, C}, {5, 6, C},  {4, 7, L}};
const SegmentOutline kE14Straight = {{6, 4, M}, {11, 11, L}, {37, 11, L}, {42, 4, L}};
const SegmentOutline kE14Curved = {{8, 4, M},   {7, 5, C},   {7, 6, C},   {9, 8, C},   {12, 9, C},  {14, 11, L},
                                   {19, 11, L}, {21, 9, C},  {24, 7, C},  {27, 9, C},  {29, 11, L}, {34, 11, L},
                                   {36, 9, C},  {39, 8, C},  {41, 6, C},  {41, 5, C},  {40, 4, L}};

// Three-dot outlines (one style).
const SegmentOutline kDot0 = {{4, 23, M}, {4, 32, L}, {13, 32, L}, {13, 23, L}};
const SegmentOutline kDot1 = {{4, 50, M}, {4, 59, L}, {13, 59, L}, {13, 50, L}};
const SegmentOutline kDot2 = {{4, 68, M}, {4, 77, L}, {13, 77, L}, {13, 68, L}};

enum Mirror { kAsStored = 0, kLeftRight = 1, kTopBottom = 2, kBoth = 3 };

SegmentOutline Transform(const SegmentOutline& base, int mirror)
{
    SegmentOutline out = base;
    for (SegmentPoint& p : out) {
        if (mirror & kLeftRight)
            p.x = 2 * ((kWideCell - 1) / 2) - p.x;
        if (mirror & kTopBottom)
            p.y = 2 * ((kCellHeight - 1) / 2) - p.y;
    }
    return out;
}

struct SegmentRecipe {
    const SegmentOutline* straight;
    const SegmentOutline* curved;
    int straightMirror;
    int curvedMirror;
};

const std::array<SegmentRecipe, 7> kSevenRecipes = {{
    {&kA7Straight, &kA7Curved, kAsStored, kAsStored},     // top
    {&kB7Straight, &kB7Curved, kAsStored, kAsStored},     // upper left
    {&kB7Straight, &kC7Curved, kLeftRight, kAsStored},    // upper right
    {&kD7Straight, &kD7Curved, kAsStored, kAsStored},     // middle
    {&kB7Straight, &kB7Curved, kTopBottom, kTopBottom},   // lower left
    {&kB7Straight, &kC7Curved, kBoth, kTopBottom},        // lower right
    {&kA7Straight, &kA7Curved, kTopBottom, kTopBottom},   // bottom
}};

const std::array<SegmentRecipe, 14> kFourteenRecipes = {{
    {&kA14Straight, &kA14Curved, kAsStored, kAsStored},   // upper centre bar
    {&kB14Straight, &kB14Curved, kAsStored, kAsStored},   // upper-left diagonal
    {&kB14Straight, &kB14Curved, kLeftRight, kLeftRight}, // upper-right diagonal
    {&kB14Straight, &kB14Curved, kTopBottom, kTopBottom}, // lower-left diagonal
    {&kB14Straight, &kB14Curved, kBoth, kBoth},           // lower-right diagonal
    {&kA14Straight, &kA14Curved, kTopBottom, kTopBottom}, // lower centre bar
    {&kC14Straight, &kC14Curved, kAsStored, kAsStored},   // middle, left half
    {&kC14Straight, &kC14Curved, kLeftRight, kLeftRight}, // middle, right half
    {&kD14Straight, &kD14Curved, kAsStored, kAsStored},   // upper left side
    {&kD14Straight, &kD14Curved, kTopBottom, kTopBottom}, // lower left side
    {&kE14Straight, &kE14Curved, kTopBottom, kTopBottom}, // bottom
    {&kD14Straight, &kD14Curved, kBoth, kBoth},           // lower right side
    {&kD14Straight, &kD14Curved, kLeftRight, kLeftRight}, // upper right side
    {&kE14Straight, &kE14Curved, kAsStored, kAsStored},   // top
}};

constexpr std::array<std::uint16_t, 12> kSevenMasks = {
    0x00, 0x77, 0x24, 0x5D, 0x6D, 0x2E, 0x6B, 0x7B, 0x25, 0x7F, 0x6F, 0x08};

constexpr std::array<std::uint16_t, 45> kFourteenMasks = {
    0x0000,                                                                         // blank
    0x3F00, 0x1800, 0x36C0, 0x3CC0, 0x19C0, 0x2DC0, 0x2FC0, 0x3800, 0x3FC0, 0x3DC0, // 0..9
    0x00C0,                                                                         // minus
    0x3BC0, 0x3CA1, 0x2700, 0x3C21, 0x27C0, 0x23C0, 0x2F80, 0x1BC0, 0x2421, 0x1E00, // A..J
    0x0354, 0x0700, 0x1B06, 0x1B12, 0x3F00, 0x33C0, 0x3F10, 0x33D0, 0x2DC0, 0x2021, // K..T
    0x1F00, 0x030C, 0x1B18, 0x001E, 0x11E0, 0x240C,                                 // U..Z
    0x00FF, 0x00E1, 0x0014, 0x000A, 0x0012, 0x000C, 0x0001,                         // * + ( ) \ / '
};

constexpr char kSigns[] = "*+()\\/'";

} // namespace

CSegmentGlyph::CSegmentGlyph(Kind kind, std::uint16_t mask, std::uint32_t style)
    : m_kind(kind)
    , m_nWidth(kind == kThreeDot ? kNarrowCell : kWideCell)
    , m_mask(mask)
    , m_bLitOnly(((style >> 3) & 1) != 0)
{
    const bool curved = (style & SDS_CURVED) != 0;
    const auto build = [&](const auto& recipes) {
        for (const SegmentRecipe& r : recipes)
            m_outlines.push_back(curved ? Transform(*r.curved, r.curvedMirror)
                                        : Transform(*r.straight, r.straightMirror));
    };
    switch (kind) {
    case kSevenSegment:
        build(kSevenRecipes);
        break;
    case kFourteenSegment:
        build(kFourteenRecipes);
        break;
    case kThreeDot:
        m_outlines = {kDot0, kDot1, kDot2};
        break;
    }
}

std::uint16_t SevenSegmentMask(int index)
{
    return index >= 0 && index < int(kSevenMasks.size()) ? kSevenMasks[std::size_t(index)] : 0;
}

std::uint16_t FourteenSegmentMask(int index)
{
    return index >= 0 && index < int(kFourteenMasks.size()) ? kFourteenMasks[std::size_t(index)] : 0;
}

std::vector<CSegmentGlyph> GlyphsForText(const QString& text, std::uint32_t style)
{
    std::vector<CSegmentGlyph> glyphs;
    const QString upper = text.toUpper();
    glyphs.reserve(std::size_t(upper.size()));
    for (const QChar ch : upper) {
        const char16_t c = ch.unicode();
        int index = -1;
        if (c == u' ')
            index = 0;
        else if (c == u'-')
            index = 11;
        else if (c >= u'0' && c <= u'9')
            index = int(c - u'0') + 1;
        if (index >= 0) {
            if (style & SDS_ALNUM_DIGITS)
                glyphs.emplace_back(CSegmentGlyph::kFourteenSegment, FourteenSegmentMask(index), style);
            else
                glyphs.emplace_back(CSegmentGlyph::kSevenSegment, SevenSegmentMask(index), style);
        } else if (c >= u'A' && c <= u'Z') {
            glyphs.emplace_back(CSegmentGlyph::kFourteenSegment, FourteenSegmentMask(int(c - u'A') + 12), style);
        } else if (c == u'.' || c == u':') {
            glyphs.emplace_back(CSegmentGlyph::kThreeDot, std::uint16_t(c == u'.' ? 0x04 : 0x03), style);
        } else if (c < 0x80) {
            for (int i = 0; kSigns[i]; ++i) {
                if (c == char16_t(kSigns[i])) {
                    glyphs.emplace_back(CSegmentGlyph::kFourteenSegment, FourteenSegmentMask(38 + i), style);
                    break;
                }
            }
        }
    }
    return glyphs;
}
