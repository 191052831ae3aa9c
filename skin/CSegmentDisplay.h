#pragma once

#include "skin/CSegmentCellImages.h"
#include "skin/CSegmentGlyph.h"
#include "skin/SegmentScene.h"
#include "skin/SkinColour.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

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
    const QString& ShownText() const;

    // The glyphs, outlines and shape of the last few texts at this style and
    // size. A display taking turns with a few values (a face's well shows
    // the next item every tick) does not lay out, fit or rasterise a text it
    // has shown before.
    struct SKeptText {
        QString shown;
        std::uint32_t style = 0;
        QSize size;
        std::vector<CSegmentGlyph> glyphs;
        SegmentScene scene;
        std::optional<QRegion> region;
    };
    SKeptText* FindKept();
    static constexpr std::size_t kKeptTexts = 8;
    std::vector<SKeptText> m_kept;  // the last used at the back

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
    CSegmentCellImages m_cellImages;
    // The picture of the current text, colours, style and size.
    QImage m_offscreen;
    bool m_bPictureValid = false;
    static constexpr int kPaintBandRows = 4;
};
