#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// Display style bits of the segment display.
inline constexpr std::uint32_t SDS_CURVED = 0x01;       // curved segment ends
inline constexpr std::uint32_t SDS_ALNUM_DIGITS = 0x02; // digits, blank, minus as 14-segment
inline constexpr std::uint32_t SDS_KEEP_ASPECT = 0x04;  // one scale, text centred
inline constexpr std::uint32_t SDS_LIT_ONLY = 0x08;     // unlit segments not drawn
inline constexpr std::uint32_t SDS_SOFT_EDGE = 0x10;    // edge pen blended toward the background

// Point tags of a segment outline (the values of path point types).
enum SegmentPointTag : int { kTagLine = 2, kTagCurve = 4, kTagMove = 6 };

struct SegmentPoint {
    int x;
    int y;
    int tag;
};
using SegmentOutline = std::vector<SegmentPoint>;

// Every character cell is 83 design units high; mirroring top-bottom is about
// y = 41, left-right (in 49-wide cells) about x = 24.
inline constexpr int kCellHeight = 83;
inline constexpr int kWideCell = 49;
inline constexpr int kNarrowCell = 18;

// One character cell: its segment outlines in design units and which of them
// are lit.
class CSegmentGlyph {
public:
    enum Kind { kSevenSegment, kFourteenSegment, kThreeDot };

    CSegmentGlyph(Kind kind, std::uint16_t mask, std::uint32_t style);

    Kind GlyphKind() const { return m_kind; }
    int Width() const { return m_nWidth; }
    std::uint16_t Mask() const { return m_mask; }
    int SegmentCount() const { return int(m_outlines.size()); }
    const SegmentOutline& Outline(int segment) const { return m_outlines[std::size_t(segment)]; }
    bool IsLit(int segment) const { return (m_mask >> segment) & 1; }
    bool LitOnly() const { return m_bLitOnly; }

private:
    Kind m_kind;
    int m_nWidth;
    std::uint16_t m_mask;
    std::vector<SegmentOutline> m_outlines;
    bool m_bLitOnly;
};

// Segment masks of the characters (index 0 blank, 1..10 the digits, 11 minus;
// the fourteen-segment table goes on with 12..37 for A..Z and 38..44 for
// * + ( ) \ / and the apostrophe).
std::uint16_t SevenSegmentMask(int index);
std::uint16_t FourteenSegmentMask(int index);

// The glyphs for a text: upper-cased, one glyph per character that has one;
// other characters are skipped and take no room.
std::vector<CSegmentGlyph> GlyphsForText(const QString& text, std::uint32_t style);
