// The pictures of a segment display's character cells. A display shows a few
// texts of one layout again and again, and most of a text change leaves the
// cells as they were: each cell is painted once per place, lit segments,
// colours and style, and a paint of the display is then a copy of each
// cell's picture. Bounded: it starts over when it grows past kMaxEntries.
#pragma once

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QSize>

#include <cstddef>
#include <cstdint>

class QPainter;
struct SegmentColours;
struct SegmentScene;

class CSegmentCellImages {
public:
    static constexpr qsizetype kMaxEntries = 48;

    // Paints the scene of a control of size client onto painter, pixel for
    // pixel as PaintSegmentScene would: the shapes are painted unantialiased
    // in opaque colours, so a cell's picture laid over what is there already
    // changes exactly the pixels its shapes would.
    void Paint(QPainter& painter, const SegmentScene& scene, const QSize& client, const SegmentColours& colours,
               std::uint32_t style);
    void Clear() { m_cells.clear(); }
    qsizetype Size() const { return m_cells.size(); }

    struct Key {
        int kind;
        std::uint16_t mask;
        double left, top, right, bottom;
        std::uint32_t unlit, lit, background, style;
        bool operator==(const Key&) const = default;
    };

private:
    struct Entry {
        QPoint origin;
        QImage image;
    };

    QHash<Key, Entry> m_cells;
};
size_t qHash(const CSegmentCellImages::Key& key, size_t seed = 0);
