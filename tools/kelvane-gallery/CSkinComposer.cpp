#include "tools/kelvane-gallery/CSkinComposer.h"

#include "tools/kelvane-skingen/SkinCatalogue.h"

#include <QDir>
#include <QFont>
#include <QPainter>

#include <utility>

using namespace skinart;

namespace {

bool IsWhiteKey(QRgb pixel)
{
    // The outline is keyed on white with the program's tolerance.
    return qRed(pixel) >= 239 && qGreen(pixel) >= 239 && qBlue(pixel) >= 239;
}

QFont SheetFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace

CSkinComposer::CSkinComposer(QString skinDirectory) : m_directory(std::move(skinDirectory)) {}

QImage CSkinComposer::Bitmap(int id) const
{
    auto found = m_cache.find(id);
    if (found != m_cache.end())
        return *found;
    QImage image(QDir(m_directory).filePath(QString::number(id) + ".png"));
    if (!image.isNull())
        image = image.convertToFormat(QImage::Format_ARGB32);
    m_cache.insert(id, image);
    return image;
}

QList<int> CSkinComposer::MissingIds(const QList<int>& ids) const
{
    QList<int> missing;
    for (const int id : ids)
        if (Bitmap(id).isNull())
            missing.append(id);
    return missing;
}

void CSkinComposer::DrawMasked(QImage& target, int x, int y, const QImage& image,
                               const QImage& mask)
{
    for (int my = 0; my < mask.height(); ++my) {
        for (int mx = 0; mx < mask.width(); ++mx) {
            if ((mask.pixel(mx, my) & 0xFFFFFF) == 0xFFFFFF)
                continue;
            if (!target.rect().contains(x + mx, y + my) || !image.rect().contains(mx, my))
                continue;
            target.setPixel(x + mx, y + my, image.pixel(mx, my));
        }
    }
}

QImage CSkinComposer::Face(bool expanded) const
{
    const QImage face = Bitmap(expanded ? 143 : 146);
    const QImage outline = Bitmap(expanded ? 147 : 150);
    if (face.isNull() || outline.isNull())
        return {};
    QImage window(outline.size(), QImage::Format_ARGB32);
    window.fill(Qt::white);
    for (int y = 0; y < outline.height(); ++y)
        for (int x = 0; x < outline.width(); ++x)
            if (!IsWhiteKey(outline.pixel(x, y)) && face.rect().contains(x, y))
                window.setPixel(x, y, face.pixel(x, y));
    return window;
}

QImage CSkinComposer::Window(bool expanded, State state, bool graphs) const
{
    QImage window = Face(expanded);
    if (window.isNull())
        return window;
    if (expanded) {
        const int numeric[] = {195, 195, 195};
        const int graph[] = {248, 250, 249};  // voltage, fan, temperature
        for (int i = 0; i < 3; ++i) {
            const QImage panel = Bitmap(graphs ? graph[i] : numeric[i]);
            {
                QPainter p(&window);
                p.drawImage(QRect(kPanelX, kPanelY[i], kPanelWidth, kPanelHeight), panel);
            }
            if (!graphs) {
                // The slots' alarm lamps, in range (their disabled picture).
                for (const int slotX : {18, 118, 217})
                    DrawMasked(window, kPanelX + slotX, kPanelY[i], Bitmap(194), Bitmap(191));
            }
        }
    }
    for (const FacePlacement& place : kFaceButtons) {
        if ((place.expandedOnly && !expanded) || (place.compactOnly && expanded))
            continue;
        int id = place.normal;
        switch (state) {
        case State::Hover: id = place.hover; break;
        case State::Pressed: id = place.pressed; break;
        case State::Disabled: id = place.disabled; break;
        case State::Normal: break;
        }
        // At the program's start the numeric panels are shown, so their "Back"
        // switches are disabled (which shows the pressed picture).
        const bool backSwitch = place.controlId == 1041 || place.controlId == 1043
            || place.controlId == 1045;
        const bool detailSwitch = place.controlId == 1042 || place.controlId == 1044
            || place.controlId == 1046;
        if (state == State::Normal && ((backSwitch && !graphs) || (detailSwitch && graphs)))
            id = place.disabled;
        DrawMasked(window, place.x, place.y, Bitmap(id), Bitmap(place.mask));
    }
    return window;
}

namespace {

struct SheetRow {
    const char* name;
    int normal, hover, pressed, disabled, mask;
};

// The states in the program's order of preference, one row per control.
constexpr SheetRow kButtonRows[] = {
    {"Close (2)", 184, 182, 183, 181, 181},
    {"Minimise (1014)", 180, 178, 179, 177, 177},
    {"Help (1015)", 243, 242, 241, 177, 177},
    {"Setting keys (1000-1002)", 171, 168, 169, 133, 133},
    {"Expand (1006)", 160, 159, 158, 157, 157},
    {"Collapse (1007)", 176, 174, 175, 173, 173},
    {"Web-site link (1013)", 189, 187, 188, 186, 186},
    {"View: numbers", 201, 199, 200, 200, 198},
    {"View: graph", 205, 203, 204, 204, 202},
    {"Alarm lamp: ok / alarm / off", 194, 193, 192, 0, 191},
};

constexpr SheetRow kDialogRows[] = {
    {"View Error Log", 219, 0, 218, 0, 217},
    {"List buttons", 222, 0, 221, 0, 220},
    {"OK", 216, 0, 215, 0, 214},
    {"Cancel", 240, 0, 239, 0, 238},
    {"Monitor Setting buttons", 226, 0, 228, 0, 227},
};

}  // namespace

QImage CSkinComposer::Backdrop(int maskId, int margin) const
{
    // Where the control lives: on a face at its layout place, or (the alarm
    // lamp) at the first slot of a numeric sub-screen.
    const QImage mask = Bitmap(maskId);
    const QSize size = mask.size() + QSize(2 * margin, 2 * margin);
    for (const FacePlacement& place : kFaceButtons) {
        if (place.mask != maskId)
            continue;
        const QImage face = place.expandedOnly ? Face(true) : Face(false);
        return face.copy(QRect(QPoint(place.x - margin, place.y - margin), size));
    }
    QImage tile(size, QImage::Format_ARGB32);
    tile.fill(QColor(0x1A, 0x1F, 0x24));
    QPainter p(&tile);
    p.drawImage(QPoint(margin - 18, margin), Bitmap(195));
    return tile;
}

QImage CSkinComposer::ButtonSheet() const
{
    // Each control at twice its size, on the part of the face it sits on, so
    // its edges can be judged against what surrounds it in the program.
    const int scale = 2;
    const int margin = 5;
    const int labelWidth = 200;
    const int cell = 230;
    const int rowHeight = 76;
    const QStringList heads{"normal", "hover", "pressed", "disabled", "mask"};
    QImage sheet(labelWidth + cell * 5, 44 + rowHeight * int(std::size(kButtonRows)),
                 QImage::Format_ARGB32);
    sheet.fill(QColor(0x2B, 0x30, 0x36));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(SheetFont(13, true));
    p.setPen(QColor(0xE0, 0xE6, 0xEB));
    for (int c = 0; c < heads.size(); ++c)
        p.drawText(QRect(labelWidth + c * cell, 10, cell, 24), Qt::AlignCenter, heads.at(c));
    for (int r = 0; r < int(std::size(kButtonRows)); ++r) {
        const SheetRow& row = kButtonRows[r];
        const int top = 44 + r * rowHeight;
        p.setFont(SheetFont(12));
        p.setPen(QColor(0xC8, 0xD0, 0xD8));
        p.drawText(QRect(12, top, labelWidth - 12, rowHeight - 16),
                   Qt::AlignVCenter | Qt::AlignLeft, QString::fromLatin1(row.name));
        const int ids[] = {row.normal, row.hover, row.pressed, row.disabled, row.mask};
        const QImage mask = Bitmap(row.mask);
        for (int c = 0; c < 5; ++c) {
            if (ids[c] == 0)
                continue;
            QImage tile = Backdrop(row.mask, margin);
            if (c < 4)
                DrawMasked(tile, margin, margin, Bitmap(ids[c]), mask);
            else
                tile = Bitmap(ids[c]);
            const QSize shown = tile.size() * scale;
            const int x = labelWidth + c * cell + (cell - shown.width()) / 2;
            const int y = top + (rowHeight - 16 - shown.height()) / 2;
            p.drawImage(QRect(QPoint(x, y), shown), tile);
            p.setFont(SheetFont(10));
            p.setPen(QColor(0x8E, 0x9A, 0xA6));
            p.drawText(QRect(labelWidth + c * cell, top + rowHeight - 16, cell, 14),
                       Qt::AlignCenter, QString::number(ids[c]));
        }
    }
    return sheet;
}

QImage CSkinComposer::DialogSheet() const
{
    const int scale = 2;
    QImage sheet(940, 470, QImage::Format_ARGB32);
    sheet.fill(QColor(0xEF, 0xEF, 0xEF));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QStringList heads{"normal", "pressed", "mask"};
    p.setFont(SheetFont(13, true));
    p.setPen(QColor(0x20, 0x20, 0x20));
    for (int c = 0; c < 3; ++c)
        p.drawText(QRect(180 + c * 250, 6, 250, 22), Qt::AlignCenter, heads.at(c));
    for (int r = 0; r < int(std::size(kDialogRows)); ++r) {
        const SheetRow& row = kDialogRows[r];
        const int top = 32 + r * 62;
        p.setFont(SheetFont(12));
        p.drawText(QRect(10, top, 190, 60), Qt::AlignVCenter, QString::fromLatin1(row.name));
        const QImage mask = Bitmap(row.mask);
        const int ids[] = {row.normal, row.pressed, row.mask};
        for (int c = 0; c < 3; ++c) {
            QImage tile(mask.size() + QSize(8, 8), QImage::Format_ARGB32);
            tile.fill(QColor(0xEF, 0xEF, 0xEF));
            if (c < 2)
                DrawMasked(tile, 4, 4, Bitmap(ids[c]), mask);
            else
                tile = Bitmap(ids[c]);
            const QSize shown = tile.size() * scale;
            p.drawImage(QRect(QPoint(180 + c * 250 + (250 - shown.width()) / 2,
                                     top + (60 - shown.height()) / 2),
                              shown),
                        tile);
        }
    }
    // Emblems: tab strip, logo, scales, icon.
    const int top = 350;
    p.setFont(SheetFont(12));
    p.drawText(QRect(10, top, 190, 20), Qt::AlignLeft, QStringLiteral("Tab images (223)"));
    p.drawImage(QRect(10, top + 24, 45 * 3, 15 * 3), Bitmap(223));
    p.drawText(QRect(200, top, 200, 20), Qt::AlignLeft, QStringLiteral("Logo (224)"));
    p.drawImage(QPoint(200, top + 24), Bitmap(224));
    p.drawText(QRect(400, top, 200, 20), Qt::AlignLeft, QStringLiteral("Scales (229, 230)"));
    p.drawImage(QPoint(400, top + 24), Bitmap(229));
    p.drawImage(QPoint(400, top + 50), Bitmap(230));
    p.drawText(QRect(620, top, 200, 20), Qt::AlignLeft, QStringLiteral("Icon (128)"));
    p.drawImage(QPoint(620, top + 24), Bitmap(128));
    p.drawImage(QRect(700, top + 24, 32, 32), Bitmap(128));
    p.drawImage(QRect(750, top + 24, 16, 16), Bitmap(128));
    return sheet;
}
