#include "tools/kelvane-skingen/EmblemArt.h"

#include "tools/kelvane-skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace skinart {

QImage PaintTabStrip()
{
    // The symbols are drawn on a clear layer and then laid on a light matte,
    // so their anti-aliased edges fade to the tab's grey, while every pixel
    // the symbols do not touch stays pure white for the tab control's key.
    QImage layer(45, 15, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing, true);
        DrawGlyph(p, Glyph::Volt, QRectF(2, 1, 11, 13), QColor(0xE0, 0x9A, 0x00));
        DrawGlyph(p, Glyph::Fan, QRectF(16, 1, 13, 13), QColor(0x2B, 0x6F, 0xB8));
        DrawGlyph(p, Glyph::Temp, QRectF(34.5, 0.5, 6, 14), QColor(0xC8, 0x2A, 0x1E));
    }
    QImage strip(45, 15, QImage::Format_ARGB32_Premultiplied);
    strip.fill(QColor(0xE6, 0xE8, 0xEA));
    {
        QPainter p(&strip);
        p.drawImage(0, 0, layer);
    }
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            if (qAlpha(layer.pixel(x, y)) == 0)
                strip.setPixel(x, y, qRgb(255, 255, 255));
    return strip;
}

QImage PaintLogo()
{
    QImage logo = WhiteImage(160, 48);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QRectF plate(0, 0, 160, 48);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0.0, palette::kFaceTop);
    fill.setColorAt(1.0, palette::kFaceBottom);
    p.fillRect(plate, fill);
    QPainterPath all;
    all.addRect(plate);
    DrawBrushedGrain(p, all, 0x4C4F474F, 9);
    QLinearGradient bevel(plate.topLeft(), plate.bottomLeft());
    bevel.setColorAt(0.0, QColor(255, 255, 255, 80));
    bevel.setColorAt(0.3, QColor(255, 255, 255, 10));
    bevel.setColorAt(1.0, QColor(0, 0, 0, 150));
    p.setPen(QPen(QBrush(bevel), 2));
    p.drawRect(plate.adjusted(1, 1, -1, -1));

    // A small gauge with a lit trace, then the word mark.
    const QRectF gauge(8.5, 8.5, 31, 31);
    DrawGlassWell(p, gauge, 15.5);
    p.save();
    p.setClipRect(gauge.adjusted(3, 3, -3, -3));
    QPolygonF pulse;
    pulse << QPointF(10, 25) << QPointF(17, 25) << QPointF(20, 17) << QPointF(24, 33)
          << QPointF(28, 20) << QPointF(31, 25) << QPointF(39, 25);
    DrawGlow(p, gauge.center(), 14, palette::kAccent, 50);
    p.setPen(QPen(palette::kAccent, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(pulse);
    p.restore();
    DrawEngravedText(p, QRectF(47, 8, 110, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("KELVANE"), SkinFont(19, true, 2.6), QColor(0xE0, 0xE6, 0xEB));
    // The line under the word mark is drawn by the windows that show the
    // logo, in the user's language (SkinCaption::kLogoCaption).
    p.end();
    return logo;
}

QImage PaintScale(Glyph kind)
{
    const int width = 160;
    const int height = 20;
    QImage scale = WhiteImage(width, height);
    QPainter p(&scale);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(scale.rect(), QColor(0x1A, 0x1E, 0x23));

    // The colour bar along the top says which way is more.
    const QRectF bar(4, 2, width - 8, 3);
    QLinearGradient fill(bar.topLeft(), bar.topRight());
    if (kind == Glyph::Fan) {
        fill.setColorAt(0.0, QColor(0x1D, 0x3B, 0x5C));
        fill.setColorAt(1.0, QColor(0x4F, 0xD8, 0xFF));
    } else {
        fill.setColorAt(0.0, QColor(0x2B, 0x6F, 0xE8));
        fill.setColorAt(0.45, QColor(0x3C, 0xF0, 0x7C));
        fill.setColorAt(0.7, QColor(0xF4, 0xC4, 0x30));
        fill.setColorAt(1.0, QColor(0xE8, 0x3A, 0x30));
    }
    QPainterPath barPath;
    barPath.addRoundedRect(bar, 1.5, 1.5);
    p.fillPath(barPath, fill);

    // Twenty steps, a long tick at the ends and the middle.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i <= 20; ++i) {
        const int x = 4 + ((width - 9) * i) / 20;
        const int len = i % 10 == 0 ? 5 : (i % 2 == 0 ? 3 : 2);
        p.setPen(QColor(0xA9, 0xB4, 0xBF, i % 2 == 0 ? 220 : 120));
        p.drawLine(x, 7, x, 7 + len - 1);
    }
    // The words at its ends (SLOW/FAST, COOL/HOT) are the dialog's to
    // draw, in the user's language.
    p.end();
    return scale;
}

QImage PaintAppIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 64.0, size / 64.0);
    const QRectF tile(2, 2, 60, 60);
    QPainterPath tilePath;
    tilePath.addRoundedRect(tile, 13, 13);
    QLinearGradient fill(tile.topLeft(), tile.bottomLeft());
    fill.setColorAt(0.0, QColor(0x45, 0x4E, 0x58));
    fill.setColorAt(1.0, palette::kFaceBottom);
    p.fillPath(tilePath, fill);
    p.setPen(QPen(palette::kRim, 1.5));
    p.drawPath(tilePath);
    QLinearGradient bevel(tile.topLeft(), tile.bottomLeft());
    bevel.setColorAt(0.0, QColor(255, 255, 255, 110));
    bevel.setColorAt(0.4, QColor(255, 255, 255, 0));
    QPainterPath inner;
    inner.addRoundedRect(tile.adjusted(1.5, 1.5, -1.5, -1.5), 11.5, 11.5);
    p.setPen(QPen(QBrush(bevel), 1.2));
    p.drawPath(inner);

    // Glass window with a gauge arc and a lit trace.
    const QRectF glass(9.5, 9.5, 45, 45);
    DrawGlassWell(p, glass, 22.5);
    p.setPen(QPen(QColor(0x2A, 0x3A, 0x30), 3, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(glass.adjusted(5, 5, -5, -5), 200 * 16, -220 * 16);
    p.setPen(QPen(palette::kAccent, 3, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(glass.adjusted(5, 5, -5, -5), 200 * 16, -140 * 16);
    QPolygonF pulse;
    pulse << QPointF(15, 36) << QPointF(23, 36) << QPointF(27, 26) << QPointF(32, 44)
          << QPointF(37, 30) << QPointF(40, 36) << QPointF(49, 36);
    DrawGlow(p, QPointF(32, 34), 16, palette::kAccent, 60);
    p.setPen(QPen(palette::kAccent, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(pulse);
    p.end();
    return icon;
}

}  // namespace skinart
