#include "skin/SegmentScene.h"

#include "skin/FitCurveRun.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Paints a copy of the path of its own: a path that is painted keeps the
// painter's converted form of itself, and the cache's outlines would keep
// theirs as long as they live, though each is painted only once or twice.
void DrawOnce(QPainter& painter, const QPainterPath& path)
{
    QPainterPath once = path;
    if (once.elementCount() > 0)
        once.setElementPositionAt(0, once.elementAt(0).x, once.elementAt(0).y);
    painter.drawPath(once);
}

QPointF RoundedPoint(const QPointF& p)
{
    return QPointF(std::trunc(p.x() + 0.5), std::trunc(p.y() + 0.5));
}


// The outline's cover as row runs, by row and then column.
QList<QRect> CoverRuns(const QPainterPath& path, const QSize& client)
{
    // Painted as PaintSegmentScene paints it, fill and one-pixel edge, on a
    // picture of the outline's bounds only: an integral shift rasterises
    // the same pixels as the whole control would.
    QList<QRect> runs;
    const QRect visible = SegmentCoverBounds(path) & QRect(QPoint(0, 0), client);
    if (visible.isEmpty())
        return runs;
    QImage coverage(visible.size(), QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.translate(-visible.x(), -visible.y());
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::black);
        DrawOnce(painter, path);
    }
    for (int y = 0; y < coverage.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        int x = 0;
        while (x < coverage.width()) {
            while (x < coverage.width() && qAlpha(row[x]) == 0)
                ++x;
            const int start = x;
            while (x < coverage.width() && qAlpha(row[x]) != 0)
                ++x;
            if (x > start)
                runs.append(QRect(visible.x() + start, visible.y() + y, x - start, 1));
        }
    }
    return runs;
}

// Row runs of several outlines as one region: runs of a row that overlap
// or touch become one, as a scan of the whole picture would find them, and
// rows with the same runs as the row above make one band with it.
QRegion RegionOfRuns(const QList<QRect>& runs)
{
    if (runs.isEmpty())
        return QRegion();
    // Runs by row (a control is a few dozen rows high), then each row's few
    // runs by column.
    int top = runs.front().y();
    int bottom = top;
    for (const QRect& run : runs) {
        top = std::min(top, run.y());
        bottom = std::max(bottom, run.y());
    }
    std::vector<int> rowStart(static_cast<std::size_t>(bottom - top + 2), 0);
    for (const QRect& run : runs)
        ++rowStart[static_cast<std::size_t>(run.y() - top + 1)];
    for (std::size_t row = 1; row < rowStart.size(); ++row)
        rowStart[row] += rowStart[row - 1];
    std::vector<QRect> sorted(static_cast<std::size_t>(runs.size()));
    {
        std::vector<int> next(rowStart.begin(), rowStart.end() - 1);
        for (const QRect& run : runs)
            sorted[static_cast<std::size_t>(next[static_cast<std::size_t>(run.y() - top)]++)] = run;
    }
    QList<QRect> merged;
    merged.reserve(runs.size());
    qsizetype previousRow = 0;  // where the band the last row is in starts
    for (std::size_t row = 0; row + 1 < rowStart.size(); ++row) {
        const auto first = sorted.begin() + rowStart[row];
        const auto last = sorted.begin() + rowStart[row + 1];
        std::sort(first, last, [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
        const qsizetype rowBegin = merged.size();
        for (auto run = first; run != last; ++run) {
            if (merged.size() > rowBegin && run->x() <= merged.back().right() + 1) {
                merged.back().setRight(std::max(merged.back().right(), run->right()));
                continue;
            }
            merged.append(*run);
        }
        // The same runs as the band just above, with no gap: that band grows.
        const qsizetype count = merged.size() - rowBegin;
        const bool joins = count > 0 && rowBegin > 0 && count == rowBegin - previousRow &&
                           merged[previousRow].bottom() + 1 == merged[rowBegin].y() &&
                           std::equal(merged.begin() + rowBegin, merged.end(), merged.begin() + previousRow,
                                      [](const QRect& a, const QRect& b) {
                                          return a.left() == b.left() && a.right() == b.right();
                                      });
        if (joins) {
            for (qsizetype k = previousRow; k < rowBegin; ++k)
                merged[k].setBottom(merged[k].bottom() + 1);
            merged.resize(rowBegin);
        } else {
            previousRow = rowBegin;
        }
    }
    QRegion region;
    region.setRects(merged.constData(), int(merged.size()));
    return region;
}

} // namespace

QRect SegmentCoverBounds(const QPainterPath& path)
{
    return path.boundingRect().toAlignedRect().adjusted(-2, -2, 2, 2);
}

QRegion SegmentPathRegion(const QPainterPath& path, const QSize& client)
{
    return RegionOfRuns(CoverRuns(path, client));
}

QRegion SegmentSceneRegion(const SegmentScene& scene, const QSize& size)
{
    if (scene.shapes.empty() || size.isEmpty())
        return QRegion();
    QList<QRect> runs;
    for (const SegmentShape& shape : scene.shapes) {
        if (!shape.cover) {
            runs += CoverRuns(shape.path, size);
            continue;
        }
        // The cache's outlines are keyed by their place in the control, so
        // a cover worked out once holds for every later text of the size.
        SegmentCoverSlot& slot = *shape.cover;
        if (!slot.runs || slot.client != size) {
            slot.runs = CoverRuns(shape.path, size);
            slot.client = size;
        }
        runs += *slot.runs;
    }
    return RegionOfRuns(runs);
}

SegmentFrame ComputeSegmentFrame(int sumWidth, const QSize& client, bool keepAspect)
{
    SegmentFrame frame;
    if (sumWidth <= 0)
        return frame;
    frame.sx = double(client.width()) / sumWidth;
    frame.sy = double(client.height()) / kCellHeight;
    if (keepAspect) {
        const double scale = std::min(frame.sx, frame.sy);
        frame.sx = frame.sy = scale;
        frame.x0 = (client.width() - sumWidth * scale) / 2;
        frame.y0 = (client.height() - kCellHeight * scale) / 2;
    }
    return frame;
}

QPainterPath SegmentPath(const SegmentOutline& outline, double left, double top, double right,
                         double bottom, int cellWidth)
{
    const auto device = [&](const SegmentPoint& p) {
        return QPointF(p.x * (right - left) / cellWidth + left, p.y * (bottom - top) / kCellHeight + top);
    };
    QPainterPath path;
    bool open = false;
    const std::size_t n = outline.size();
    std::size_t i = 0;
    while (i < n) {
        const SegmentPoint& p = outline[i];
        if (p.tag == kTagCurve && open) {
            std::size_t end = i;
            while (end < n && outline[end].tag == kTagCurve)
                ++end;
            // A curve run needs a point after it to end on; without one its
            // points are drawn as straight edges.
            if (end < n) {
                std::vector<QPointF> run;
                run.reserve(end - i + 2);
                run.push_back(device(outline[i - 1]));
                for (std::size_t k = i; k <= end; ++k)
                    run.push_back(device(outline[k]));
                const CurveControls controls = FitCurveRun(run);
                path.cubicTo(RoundedPoint(controls.c1), RoundedPoint(controls.c2), RoundedPoint(run.back()));
                i = end + 1;
                continue;
            }
        }
        if (p.tag == kTagMove || !open) {
            if (open)
                path.closeSubpath();
            path.moveTo(RoundedPoint(device(p)));
            open = true;
        } else {
            path.lineTo(RoundedPoint(device(p)));
        }
        ++i;
    }
    if (open)
        path.closeSubpath();
    return path;
}

const SegmentPathCache::Entry* SegmentPathCache::Find(const Key& key) const
{
    const auto found = m_paths.constFind(key);
    return found == m_paths.constEnd() ? nullptr : &*found;
}

const SegmentPathCache::Entry& SegmentPathCache::Insert(const Key& key, const QPainterPath& path)
{
    if (m_paths.size() >= kMaxEntries)
        m_paths.clear();
    return *m_paths.insert(key, Entry{path, std::make_shared<SegmentCoverSlot>()});
}

size_t qHash(const SegmentPathCache::Key& key, size_t seed)
{
    return qHashMulti(seed, key.kind, key.curved, key.segment, key.left, key.top, key.right, key.bottom);
}

SegmentScene BuildSegmentScene(const std::vector<CSegmentGlyph>& glyphs, const QSize& client,
                               std::uint32_t style, SegmentPathCache* cache)
{
    SegmentScene scene;
    int sumWidth = 0;
    for (const CSegmentGlyph& glyph : glyphs)
        sumWidth += glyph.Width();
    if (sumWidth == 0 || client.isEmpty())
        return scene;
    const SegmentFrame frame = ComputeSegmentFrame(sumWidth, client, (style & SDS_KEEP_ASPECT) != 0);
    const double top = frame.y0;
    const double bottom = frame.y0 + kCellHeight * frame.sy;
    double x = frame.x0;
    for (const CSegmentGlyph& glyph : glyphs) {
        const double right = x + glyph.Width() * frame.sx;
        scene.cells.push_back({scene.shapes.size(), 0, int(glyph.GlyphKind()), glyph.Mask(), x, top, right, bottom});
        for (int segment = 0; segment < glyph.SegmentCount(); ++segment) {
            const bool lit = glyph.IsLit(segment);
            if (glyph.LitOnly() && !lit)
                continue;
            const SegmentPathCache::Key key{int(glyph.GlyphKind()), (style & SDS_CURVED) != 0, segment,
                                            x, top, right, bottom};
            if (const SegmentPathCache::Entry* known = cache ? cache->Find(key) : nullptr) {
                scene.shapes.push_back({known->path, lit, known->cover});
                continue;
            }
            QPainterPath path = SegmentPath(glyph.Outline(segment), x, top, right, bottom, glyph.Width());
            if (cache) {
                const SegmentPathCache::Entry& entry = cache->Insert(key, path);
                scene.shapes.push_back({entry.path, lit, entry.cover});
                continue;
            }
            scene.shapes.push_back({std::move(path), lit, nullptr});
        }
        scene.cells.back().count = scene.shapes.size() - scene.cells.back().first;
        x = right;
    }
    return scene;
}

Colorref SoftEdgeColour(Colorref colour, Colorref background)
{
    Colorref out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double v = (colour >> shift) & 0xFF;
        const double b = (background >> shift) & 0xFF;
        out |= Colorref(std::trunc(0.25 * b + 0.75 * v)) << shift;
    }
    return out;
}

void PaintSegmentScene(QPainter& painter, const SegmentScene& scene, const SegmentColours& colours,
                       std::uint32_t style)
{
    PaintSegmentShapes(painter, scene, 0, scene.shapes.size(), colours, style);
}

void PaintSegmentShapes(QPainter& painter, const SegmentScene& scene, std::size_t first, std::size_t count,
                        const SegmentColours& colours, std::uint32_t style)
{
    const bool soft = (style & SDS_SOFT_EDGE) != 0;
    const QPen unlitPen(ColorFromColorref(soft ? SoftEdgeColour(colours.unlit, colours.background) : colours.unlit), 1);
    const QPen litPen(ColorFromColorref(soft ? SoftEdgeColour(colours.lit, colours.background) : colours.lit), 1);
    const QBrush unlitBrush(ColorFromColorref(colours.unlit));
    const QBrush litBrush(ColorFromColorref(colours.lit));
    painter.setRenderHint(QPainter::Antialiasing, false);
    int current = -1;
    for (std::size_t i = first; i < first + count && i < scene.shapes.size(); ++i) {
        const SegmentShape& shape = scene.shapes[i];
        if (int(shape.lit) != current) {
            current = int(shape.lit);
            painter.setPen(shape.lit ? litPen : unlitPen);
            painter.setBrush(shape.lit ? litBrush : unlitBrush);
        }
        DrawOnce(painter, shape.path);
    }
}
