#include "skin/CSegmentCellImages.h"

#include "skin/SegmentScene.h"

#include <QPainter>

void CSegmentCellImages::Paint(QPainter& painter, const SegmentScene& scene, const QSize& client,
                               const SegmentColours& colours, std::uint32_t style)
{
    const QRect control(QPoint(0, 0), client);
    for (const SegmentSceneCell& cell : scene.cells) {
        if (cell.count == 0)
            continue;
        const Key key{cell.kind, cell.mask, cell.left, cell.top, cell.right, cell.bottom,
                      colours.unlit, colours.lit, colours.background, style};
        auto found = m_cells.constFind(key);
        if (found == m_cells.constEnd()) {
            QRect bounds;
            for (std::size_t i = cell.first; i < cell.first + cell.count; ++i)
                bounds |= SegmentCoverBounds(scene.shapes[i].path);
            bounds &= control;
            Entry entry{bounds.topLeft(), QImage()};
            if (!bounds.isEmpty()) {
                entry.image = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
                entry.image.fill(Qt::transparent);
                QPainter cellPainter(&entry.image);
                // An integral shift rasterises the same pixels as the whole
                // control would.
                cellPainter.translate(-bounds.x(), -bounds.y());
                PaintSegmentShapes(cellPainter, scene, cell.first, cell.count, colours, style);
            }
            if (m_cells.size() >= kMaxEntries)
                m_cells.clear();
            found = m_cells.insert(key, std::move(entry));
        }
        if (!found->image.isNull())
            painter.drawImage(found->origin, found->image);
    }
}

size_t qHash(const CSegmentCellImages::Key& key, size_t seed)
{
    return qHashMulti(seed, key.kind, key.mask, key.left, key.top, key.right, key.bottom, key.unlit, key.lit,
                      key.background, key.style);
}
