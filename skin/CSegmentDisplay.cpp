#include "skin/CSegmentDisplay.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

CSegmentDisplay::CSegmentDisplay(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void CSegmentDisplay::SetCaption(const QString& caption)
{
    if (caption == m_strCaption)
        return;
    m_strCaption = caption;
    if (m_strText == QLatin1String("?")) {
        m_bNeedsRebuild = true;
        Redraw();
    }
}

void CSegmentDisplay::SetDisplayText(const QString& text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    m_bNeedsRebuild = true;
    Redraw();
}

void CSegmentDisplay::SetSegmentColours(Colorref unlit, Colorref lit)
{
    if (unlit == m_crUnlit && lit == m_crLit)
        return;
    m_crUnlit = unlit;
    m_crLit = lit;
    Redraw();
}

void CSegmentDisplay::SetTransparentMode(bool on)
{
    m_bPictureValid = false;
    m_bTransparent = on;
    // Opaque, the control paints every pixel itself; transparent, the parent's
    // picture is left underneath it.
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
}

bool CSegmentDisplay::ChangeDisplayStyle(std::uint32_t remove, std::uint32_t add)
{
    if (remove & add)
        return false;
    m_nStyle = (m_nStyle | add) & ~remove;
    m_bNeedsRebuild = true;
    Redraw();
    return true;
}

void CSegmentDisplay::Redraw()
{
    m_bPictureValid = false;
    // A text change may need a different shape; the old one would clip it.
    // The new one is set before the paint rather than cleared until it: a
    // cleared mask exposes the parent under the whole control, twice a tick.
    if (m_bTransparent)
        ApplyShape();
    update();
}

void CSegmentDisplay::ApplyShape()
{
    const QRegion shape = SegmentRegion();
    if (shape.isEmpty()) {
        if (!mask().isEmpty())
            clearMask();
    } else if (shape != mask()) {
        setMask(shape);
    }
}

const QString& CSegmentDisplay::ShownText() const
{
    return m_strText == QLatin1String("?") ? m_strCaption : m_strText;
}

CSegmentDisplay::SKeptText* CSegmentDisplay::FindKept()
{
    const QString& shown = ShownText();
    const auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const SKeptText& text) {
        return text.style == m_nStyle && text.size == size() && text.shown == shown;
    });
    if (kept == m_kept.end())
        return nullptr;
    std::rotate(kept, kept + 1, m_kept.end());
    return &m_kept.back();
}

const std::vector<CSegmentGlyph>& CSegmentDisplay::Glyphs()
{
    if (m_bNeedsRebuild) {
        const SKeptText* kept = FindKept();
        m_glyphs = kept ? kept->glyphs : GlyphsForText(ShownText(), m_nStyle);
        m_bNeedsRebuild = false;
        m_bSceneValid = false;
    }
    return m_glyphs;
}

const SegmentScene& CSegmentDisplay::Scene()
{
    Glyphs();
    if (!m_bSceneValid || m_sceneSize != size()) {
        if (const SKeptText* kept = FindKept()) {
            m_scene = kept->scene;
            m_bRegionValid = kept->region.has_value();
            if (m_bRegionValid)
                m_region = *kept->region;
        } else {
            m_scene = BuildSegmentScene(m_glyphs, size(), m_nStyle, &m_pathCache);
            m_bRegionValid = false;
            if (m_kept.size() >= kKeptTexts)
                m_kept.erase(m_kept.begin());
            m_kept.push_back(SKeptText{ShownText(), m_nStyle, size(), m_glyphs, m_scene, std::nullopt});
        }
        m_sceneSize = size();
        m_bSceneValid = true;
    }
    return m_scene;
}

QRegion CSegmentDisplay::SegmentRegion()
{
    const SegmentScene& scene = Scene();
    if (!m_bRegionValid) {
        m_region = SegmentSceneRegion(scene, m_sceneSize);
        m_bRegionValid = true;
        if (SKeptText* kept = FindKept())
            kept->region = m_region;
    }
    return m_region;
}

const QImage& CSegmentDisplay::RenderImage()
{
    const SegmentScene& scene = Scene();
    if (m_bPictureValid && m_offscreen.size() == size())
        return m_offscreen;
    m_bPictureValid = true;
    const QImage::Format format = m_bTransparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (m_offscreen.size() != size() || m_offscreen.format() != format)
        m_offscreen = QImage(size(), format);
    if (m_offscreen.isNull())
        return m_offscreen;
    if (m_bTransparent)
        m_offscreen.fill(Qt::transparent);
    else
        m_offscreen.fill(ColorFromColorref(m_crBackground));
    QPainter painter(&m_offscreen);
    m_cellImages.Paint(painter, scene, size(), {m_crUnlit, m_crLit, m_crBackground}, m_nStyle);
    return m_offscreen;
}

void CSegmentDisplay::paintEvent(QPaintEvent*)
{
    const QImage& picture = RenderImage();
    QPainter painter(this);
    if (!m_bTransparent) {
        painter.drawImage(0, 0, picture);
        return;
    }
    // Clipped to the segments' shape, a blit of the whole picture is many
    // short runs, which the painter hands out to its worker threads and
    // waits for, at every tick; a few rows at a time it does them itself.
    for (int top = 0; top < picture.height(); top += kPaintBandRows) {
        const QRect band(0, top, picture.width(), std::min(kPaintBandRows, picture.height() - top));
        painter.drawImage(band.topLeft(), picture, band);
    }
    ApplyShape();
}

void CSegmentDisplay::resizeEvent(QResizeEvent* event)
{
    m_bSceneValid = false;
    m_bPictureValid = false;
    m_cellImages.Clear();
    if (m_bTransparent)
        clearMask();
    QWidget::resizeEvent(event);
}
