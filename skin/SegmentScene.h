// The device side of a segment display: where the design grid lands on a
// control, the fitted outlines of a text's segments cell by cell, the pixels
// they cover and how they are painted.
#pragma once

#include "skin/CSegmentGlyph.h"
#include "skin/SkinColour.h"

#include <QHash>
#include <QList>
#include <QPainterPath>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

// Where the design grid lands on the control: x = x0 + px * sx, y = y0 + py * sy.
struct SegmentFrame {
    double sx = 0;
    double sy = 0;
    double x0 = 0;
    double y0 = 0;
};

// Scales for text of total design width sumWidth on a control of the given
// size; with keepAspect one scale (the smaller) and the text centred.
SegmentFrame ComputeSegmentFrame(int sumWidth, const QSize& client, bool keepAspect);

// The pixels one outline covers when painted in a control of a given size,
// worked out on first use and shared by every scene that takes the outline
// from the same cache entry.
struct SegmentCoverSlot {
    QSize client;
    // Row runs (one pixel high), by row and then column.
    std::optional<QList<QRect>> runs;
};
using SegmentCover = std::shared_ptr<SegmentCoverSlot>;

// One segment outline in device pixels.
struct SegmentShape {
    QPainterPath path;
    bool lit = false;
    // Null for an outline fitted without a cache.
    SegmentCover cover;
};

// One character cell of a scene: its shapes are shapes[first, first + count).
struct SegmentSceneCell {
    std::size_t first = 0;
    std::size_t count = 0;
    int kind = 0;
    std::uint16_t mask = 0;  // the lit segments
    double left = 0, top = 0, right = 0, bottom = 0;
};

// Everything a paint needs that depends only on text, style and size: the
// device outlines of the segments to draw (curves already fitted), cell by
// cell.
struct SegmentScene {
    std::vector<SegmentShape> shapes;
    std::vector<SegmentSceneCell> cells;
};

// The pixels the scene's shapes cover when painted (fill and edge): the shape
// of a transparent display. The union of each shape's own cover, so that a
// text change only rasterises the outlines not seen before.
QRegion SegmentSceneRegion(const SegmentScene& scene, const QSize& client);

// The pixels one outline covers when painted (fill and one-pixel edge),
// within the control.
QRegion SegmentPathRegion(const QPainterPath& path, const QSize& client);

// The device outline of a design outline in the cell left..right, top..bottom.
// Runs of curve points become one fitted cubic each.
QPainterPath SegmentPath(const SegmentOutline& outline, double left, double top, double right,
                         double bottom, int cellWidth);

// Device outlines already fitted, by segment and cell. A display cycles
// through a few texts of the same layout, so the same segment lands in the
// same cell again and again; fitting its curves once per cell keeps a text
// change cheap. Bounded: it starts over when it grows past kMaxEntries.
class SegmentPathCache {
public:
    static constexpr qsizetype kMaxEntries = 4096;
    struct Key {
        int kind;
        bool curved;
        int segment;
        double left, top, right, bottom;
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        QPainterPath path;
        SegmentCover cover;
    };
    const Entry* Find(const Key& key) const;
    const Entry& Insert(const Key& key, const QPainterPath& path);
    qsizetype Size() const { return m_paths.size(); }

private:
    QHash<Key, Entry> m_paths;
};
size_t qHash(const SegmentPathCache::Key& key, size_t seed = 0);

// cache may be null (every outline is fitted afresh).
SegmentScene BuildSegmentScene(const std::vector<CSegmentGlyph>& glyphs, const QSize& client,
                               std::uint32_t style, SegmentPathCache* cache = nullptr);

// The pen colour of SDS_SOFT_EDGE: each channel a quarter of the way toward
// the background (trunc(0.25 b + 0.75 v)).
Colorref SoftEdgeColour(Colorref colour, Colorref background);

struct SegmentColours {
    Colorref unlit;
    Colorref lit;
    Colorref background;
};

// Strokes and fills every shape of the scene: lit shapes with the lit colour,
// the rest with the unlit colour; soft edge blends the pens. Unantialiased,
// so every pixel painted is opaque.
void PaintSegmentScene(QPainter& painter, const SegmentScene& scene, const SegmentColours& colours,
                       std::uint32_t style);
// The same for shapes[first, first + count) alone.
void PaintSegmentShapes(QPainter& painter, const SegmentScene& scene, std::size_t first, std::size_t count,
                        const SegmentColours& colours, std::uint32_t style);

// Every pixel a shape's fill and one-pixel edge may touch.
QRect SegmentCoverBounds(const QPainterPath& path);
