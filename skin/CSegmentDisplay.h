#pragma once

#include "skin/CSegmentGlyph.h"
#include "skin/SkinColour.h"

#include <QHash>
#include <QImage>
#include <QPainterPath>
#include <QRegion>
#include <QWidget>

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

// Everything a paint needs that depends only on text, style and size: the
// device outlines of the segments to draw (curves already fitted).
struct SegmentScene {
    std::vector<SegmentShape> shapes;
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
// the rest with the unlit colour; soft edge blends the pens.
void PaintSegmentScene(QPainter& painter, const SegmentScene& scene, const SegmentColours& colours,
                       std::uint32_t style);

// A static text shown as lit and unlit segments of a calculator display.
// Colours are 0x00BBGGRR. The default text "?" shows the control's own
// caption (SetCaption) instead.
class CSegmentDisplay : public QWidget {
    Q_OBJECT

public:
    explicit CSegmentDisplay(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    void SetDisplayText(const QString& text);
    const QString& DisplayText() const { return m_strText; }

    void SetSegmentColours(Colorref unlit, Colorref lit);
    Colorref GetLitColour() const { return m_crLit; }
    Colorref GetUnlitColour() const { return m_crUnlit; }
    Colorref GetBackgroundColour() const { return m_crBackground; }

    // Transparent: the parent shows where no segment is drawn and the control
    // takes the shape of its drawn segments. Takes effect at the next paint.
    void SetTransparentMode(bool on);
    bool IsTransparentMode() const { return m_bTransparent; }

    // Refused (false) when remove and add share a bit.
    bool ChangeDisplayStyle(std::uint32_t remove, std::uint32_t add);
    std::uint32_t DisplayStyle() const { return m_nStyle; }

    // The glyphs of the current text and style.
    const std::vector<CSegmentGlyph>& Glyphs();
    // The off-screen picture one paint copies to the screen (transparent:
    // premultiplied ARGB with a clear background).
    const QImage& RenderImage();
    // The shape the control takes in transparent mode (empty: unshaped).
    QRegion SegmentRegion();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Redraw();
    // Transparent: the window's shape follows the lit segments; set only
    // when it changes, since every change exposes the parent beneath.
    void ApplyShape();
    const SegmentScene& Scene();

    QString m_strText = QStringLiteral("?");
    QString m_strCaption;
    bool m_bNeedsRebuild = true;
    std::vector<CSegmentGlyph> m_glyphs;
    Colorref m_crUnlit = 0x003400;
    Colorref m_crLit = 0x00FF00;
    Colorref m_crBackground = 0x000000;
    std::uint32_t m_nStyle = SDS_KEEP_ASPECT | SDS_SOFT_EDGE;
    bool m_bTransparent = false;

    bool m_bSceneValid = false;
    QSize m_sceneSize;
    SegmentScene m_scene;
    bool m_bRegionValid = false;
    QRegion m_region;
    SegmentPathCache m_pathCache;
    QImage m_offscreen;
};
