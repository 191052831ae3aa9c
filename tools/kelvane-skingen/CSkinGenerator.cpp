#include "tools/kelvane-skingen/CSkinGenerator.h"

#include "tools/kelvane-skingen/ControlArt.h"
#include "tools/kelvane-skingen/EmblemArt.h"
#include "tools/kelvane-skingen/FaceArt.h"
#include "tools/kelvane-skingen/SkinPaint.h"

#include <QDir>

using namespace skinart;

namespace {

constexpr bool IdsAreUnique()
{
    for (std::size_t i = 0; i < kSkinBitmaps.size(); ++i)
        for (std::size_t j = i + 1; j < kSkinBitmaps.size(); ++j)
            if (kSkinBitmaps[i].id == kSkinBitmaps[j].id)
                return false;
    return true;
}
// Two rows with one id would write one file twice.
static_assert(IdsAreUnique(), "an id appears twice in the skin catalogue");

}  // namespace

CSkinGenerator::CSkinGenerator()
    : m_compactFace(PaintFace(false)), m_expandedFace(PaintFace(true))
{
}

QImage CSkinGenerator::Backdrop(const SkinBitmap& bitmap) const
{
    for (const FacePlacement& place : kFaceButtons) {
        const int ids[] = {place.normal, place.pressed, place.hover, place.disabled, place.mask};
        for (const int id : ids) {
            if (id != bitmap.id)
                continue;
            const QImage& face = place.expandedOnly ? m_expandedFace : m_compactFace;
            return face.copy(place.x, place.y, bitmap.width, bitmap.height);
        }
    }
    return {};
}

QImage CSkinGenerator::Render(const SkinBitmap& bitmap) const
{
    switch (bitmap.art) {
    case Art::Outline:
        return ToRgb24(PaintOutline(bitmap.glyph == Glyph::Expanded));
    case Art::Face:
        return ToRgb24(bitmap.glyph == Glyph::Expanded ? m_expandedFace : m_compactFace);
    case Art::NumericPanel:
        return ToRgb24(PaintNumericPanel());
    case Art::GraphPanel:
        return ToRgb24(PaintGraphPanel(bitmap.glyph));
    case Art::TabStrip:
        return ToRgb24(PaintTabStrip());
    case Art::Logo:
        return ToRgb24(PaintLogo());
    case Art::Scale:
        return ToRgb24(PaintScale(bitmap.glyph));
    case Art::AppIcon:
        return PaintAppIcon().convertToFormat(QImage::Format_ARGB32);
    default: {
        const QImage backdrop = Backdrop(bitmap);
        return ToRgb24(PaintControl(bitmap, backdrop.isNull() ? nullptr : &backdrop));
    }
    }
}

bool CSkinGenerator::WriteAll(const QString& directory, QString* error) const
{
    if (!QDir().mkpath(directory)) {
        if (error)
            *error = directory;
        return false;
    }
    for (const SkinBitmap& bitmap : kSkinBitmaps) {
        const QString path = QDir(directory).filePath(QString::number(bitmap.id) + ".png");
        if (!Render(bitmap).save(path, "PNG")) {
            if (error)
                *error = path;
            return false;
        }
    }
    return true;
}

bool CSkinGenerator::WriteIcons(const QString& themeDirectory, QString* error) const
{
    for (const int size : kIconSizes) {
        const QString directory = QStringLiteral("%1/%2x%2/apps").arg(themeDirectory).arg(size);
        const QString path = directory + QStringLiteral("/kelvane.png");
        if (!QDir().mkpath(directory) ||
            !PaintAppIcon(size).convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
            if (error)
                *error = path;
            return false;
        }
    }
    return true;
}
