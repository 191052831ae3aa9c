#include "tools/kelvane-skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>

namespace skinart {

QImage WhiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QImage ShapeMask(int width, int height, const QPainterPath& shape)
{
    QImage mask = WhiteImage(width, height);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillPath(shape, Qt::black);
    return mask;
}

void KeepInside(QImage& art, const QImage& mask)
{
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            const bool outside = x >= mask.width() || y >= mask.height()
                || (mask.pixel(x, y) & 0xFFFFFF) == (white & 0xFFFFFF);
            if (outside) {
                art.setPixel(x, y, white);
            } else if ((art.pixel(x, y) & 0xFFFFFF) == (white & 0xFFFFFF)) {
                // Pure white inside would be cut out of the shape by the program.
                art.setPixel(x, y, qRgb(0xFE, 0xFE, 0xFE));
            }
        }
    }
}

QImage ToRgb24(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

QFont SkinFont(int pixelSize, bool bold, qreal letterSpacing)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    if (letterSpacing != 0.0)
        font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return font;
}

void DrawEngravedText(QPainter& painter, const QRectF& rect, int flags, const QString& text,
                      const QFont& font, const QColor& colour)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(QColor(0, 0, 0, 170));
    painter.drawText(rect.translated(0, -1), flags, text);
    painter.setPen(QColor(255, 255, 255, 28));
    painter.drawText(rect.translated(0, 1), flags, text);
    painter.setPen(colour);
    painter.drawText(rect, flags, text);
    painter.restore();
}

void DrawBrushedGrain(QPainter& painter, const QPainterPath& shape, quint32 seed, int strength)
{
    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QRandomGenerator random(seed);
    const QRectF bounds = shape.boundingRect();
    for (int y = int(bounds.top()); y < int(bounds.bottom()) + 1; ++y) {
        // Streaks of random length and brightness, a few per row.
        int x = int(bounds.left()) - random.bounded(40);
        while (x < bounds.right()) {
            const int length = 20 + random.bounded(120);
            const int alpha = random.bounded(strength + 1);
            const bool light = random.bounded(2) == 0;
            painter.setPen(light ? QColor(255, 255, 255, alpha) : QColor(0, 0, 0, alpha));
            painter.drawLine(x, y, x + length, y);
            x += length + random.bounded(30);
        }
    }
    painter.restore();
}

void DrawGlassWell(QPainter& painter, const QRectF& rect, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);

    // The lip: dark above, catching the light below.
    QLinearGradient lip(rect.topLeft(), rect.bottomLeft());
    lip.setColorAt(0.0, QColor(0, 0, 0, 150));
    lip.setColorAt(0.6, QColor(0, 0, 0, 40));
    lip.setColorAt(1.0, QColor(255, 255, 255, 60));
    QPainterPath outer;
    outer.addRoundedRect(rect.adjusted(-1.5, -1.5, 1.5, 1.5), radius + 1.5, radius + 1.5);
    painter.fillPath(outer, lip);

    QPainterPath rim;
    rim.addRoundedRect(rect, radius, radius);
    painter.fillPath(rim, palette::kRim);

    const QRectF glassRect = rect.adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath glass;
    glass.addRoundedRect(glassRect, radius - 1, radius - 1);
    QLinearGradient fill(glassRect.topLeft(), glassRect.bottomLeft());
    fill.setColorAt(0.0, palette::kGlassTop);
    fill.setColorAt(1.0, palette::kGlassBottom);
    painter.fillPath(glass, fill);

    painter.setClipPath(glass);
    // LCD lines: every other row a shade darker.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QColor(0, 0, 0, 60));
    for (int y = int(glassRect.top()) + 1; y < glassRect.bottom(); y += 2)
        painter.drawLine(QPointF(glassRect.left(), y), QPointF(glassRect.right(), y));
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Shadow thrown by the upper lip.
    QLinearGradient shade(glassRect.topLeft(), glassRect.topLeft() + QPointF(0, 7));
    shade.setColorAt(0.0, QColor(0, 0, 0, 200));
    shade.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.fillRect(glassRect, shade);
    // A faint diagonal sheen across the upper part of the glass.
    QPainterPath sheen;
    sheen.moveTo(glassRect.left(), glassRect.top());
    sheen.lineTo(glassRect.right(), glassRect.top());
    sheen.lineTo(glassRect.right(), glassRect.top() + glassRect.height() * 0.22);
    sheen.lineTo(glassRect.left(), glassRect.top() + glassRect.height() * 0.48);
    sheen.closeSubpath();
    QLinearGradient sheenFill(glassRect.topLeft(), glassRect.bottomLeft());
    sheenFill.setColorAt(0.0, QColor(180, 255, 200, 10));
    sheenFill.setColorAt(0.5, QColor(180, 255, 200, 4));
    painter.fillPath(sheen, sheenFill);
    painter.restore();
}

void DrawRecess(QPainter& painter, const QRectF& rect, qreal radius, const QColor& floor)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient lip(rect.topLeft(), rect.bottomLeft());
    lip.setColorAt(0.0, QColor(0, 0, 0, 140));
    lip.setColorAt(1.0, QColor(255, 255, 255, 50));
    QPainterPath outer;
    outer.addRoundedRect(rect.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    painter.fillPath(outer, lip);
    QPainterPath inner;
    inner.addRoundedRect(rect, radius, radius);
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0.0, floor.darker(140));
    fill.setColorAt(0.35, floor);
    fill.setColorAt(1.0, floor.lighter(112));
    painter.fillPath(inner, fill);
    painter.restore();
}

void DrawGroove(QPainter& painter, qreal x1, qreal x2, qreal y)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QLinearGradient dark(QPointF(x1, y), QPointF(x2, y));
    dark.setColorAt(0.0, QColor(0, 0, 0, 0));
    dark.setColorAt(0.15, QColor(0, 0, 0, 150));
    dark.setColorAt(0.85, QColor(0, 0, 0, 150));
    dark.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.setPen(QPen(QBrush(dark), 1));
    painter.drawLine(QPointF(x1, y), QPointF(x2, y));
    QLinearGradient light(QPointF(x1, y), QPointF(x2, y));
    light.setColorAt(0.0, QColor(255, 255, 255, 0));
    light.setColorAt(0.15, QColor(255, 255, 255, 34));
    light.setColorAt(0.85, QColor(255, 255, 255, 34));
    light.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(QPen(QBrush(light), 1));
    painter.drawLine(QPointF(x1, y + 1), QPointF(x2, y + 1));
    painter.restore();
}

void DrawScrew(QPainter& painter, const QPointF& centre, qreal angleDegrees)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal r = 3.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 120));
    painter.drawEllipse(centre + QPointF(0, 0.6), r + 0.8, r + 0.8);
    QRadialGradient head(centre - QPointF(1.2, 1.2), r * 1.6);
    head.setColorAt(0.0, QColor(0x8C, 0x96, 0xA1));
    head.setColorAt(1.0, QColor(0x2A, 0x30, 0x37));
    painter.setBrush(head);
    painter.drawEllipse(centre, r, r);
    painter.translate(centre);
    painter.rotate(angleDegrees);
    painter.setPen(QPen(QColor(0x12, 0x15, 0x18), 1.1, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(-r + 1, 0), QPointF(r - 1, 0));
    painter.restore();
}

void DrawGlow(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour,
              int alpha)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QRadialGradient glow(centre, radius);
    QColor inner = colour;
    inner.setAlpha(alpha);
    QColor outer = colour;
    outer.setAlpha(0);
    glow.setColorAt(0.0, inner);
    glow.setColorAt(1.0, outer);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

namespace {

void DrawFan(QPainter& painter, const QRectF& box, const QColor& colour)
{
    const QPointF c = box.center();
    const qreal r = std::min(box.width(), box.height()) / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (int blade = 0; blade < 4; ++blade) {
        painter.save();
        painter.translate(c);
        painter.rotate(blade * 90.0 + 20.0);
        QPainterPath p;
        p.moveTo(0, -r * 0.18);
        p.cubicTo(r * 0.25, -r * 0.95, r * 0.95, -r * 0.85, r * 0.55, -r * 0.15);
        p.cubicTo(r * 0.40, r * 0.05, r * 0.15, 0, 0, -r * 0.18);
        painter.drawPath(p);
        painter.restore();
    }
    painter.drawEllipse(c, r * 0.22, r * 0.22);
}

void DrawBolt(QPainter& painter, const QRectF& box, const QColor& colour)
{
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath p;
    p.moveTo(box.left() + w * 0.58, box.top());
    p.lineTo(box.left() + w * 0.18, box.top() + h * 0.58);
    p.lineTo(box.left() + w * 0.47, box.top() + h * 0.58);
    p.lineTo(box.left() + w * 0.36, box.bottom());
    p.lineTo(box.left() + w * 0.82, box.top() + h * 0.38);
    p.lineTo(box.left() + w * 0.53, box.top() + h * 0.38);
    p.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(p);
}

void DrawThermometer(QPainter& painter, const QRectF& box, const QColor& colour,
                     const QColor& liquid)
{
    const qreal cx = box.center().x();
    const qreal bulbR = box.width() * 0.26;
    const qreal stemW = box.width() * 0.24;
    const QPointF bulb(cx, box.bottom() - bulbR);
    QPainterPath glass;
    glass.addRoundedRect(QRectF(cx - stemW / 2, box.top(), stemW, box.height() - bulbR),
                         stemW / 2, stemW / 2);
    glass.addEllipse(bulb, bulbR, bulbR);
    glass = glass.simplified();
    painter.setPen(QPen(colour, std::max<qreal>(1.0, box.width() * 0.08)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(glass);
    painter.setPen(Qt::NoPen);
    painter.setBrush(liquid);
    painter.drawEllipse(bulb, bulbR * 0.62, bulbR * 0.62);
    painter.drawRect(QRectF(cx - stemW * 0.22, box.top() + box.height() * 0.35, stemW * 0.44,
                            box.height() * 0.5));
}

}  // namespace

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour,
               qreal strokeWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPen pen(colour, strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const QPointF c = box.center();
    switch (glyph) {
    case Glyph::Close: {
        const qreal d = box.width() * 0.22;
        painter.setPen(pen);
        painter.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
        painter.drawLine(c + QPointF(-d, d), c + QPointF(d, -d));
        break;
    }
    case Glyph::Minimise: {
        const qreal d = box.width() * 0.24;
        painter.setPen(pen);
        painter.drawLine(c + QPointF(-d, d * 0.9), c + QPointF(d, d * 0.9));
        painter.drawLine(c + QPointF(0, -d * 1.1), c + QPointF(0, d * 0.1));
        painter.drawLine(c + QPointF(-d * 0.6, -d * 0.45), c + QPointF(0, d * 0.15));
        painter.drawLine(c + QPointF(d * 0.6, -d * 0.45), c + QPointF(0, d * 0.15));
        break;
    }
    case Glyph::Help: {
        painter.setPen(colour);
        painter.setFont(SkinFont(int(box.height() * 0.95 + 0.5), true));
        painter.drawText(box.adjusted(-2, -2, 2, 2).translated(0.2, 0.3), Qt::AlignCenter,
                         QStringLiteral("?"));
        break;
    }
    case Glyph::Expand:
    case Glyph::Collapse: {
        const qreal s = glyph == Glyph::Expand ? 1.0 : -1.0;
        const qreal hw = box.height() * 0.42;
        const qreal hh = box.height() * 0.17;
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        for (int k = 0; k < 2; ++k) {
            const qreal y = c.y() + s * (k * hh * 1.9 - hh * 1.0);
            QPolygonF chevron;
            chevron << QPointF(c.x() - hw, y - s * hh) << QPointF(c.x(), y + s * hh)
                    << QPointF(c.x() + hw, y - s * hh);
            painter.drawPolyline(chevron);
        }
        break;
    }
    case Glyph::Globe: {
        const qreal r = std::min(box.width(), box.height()) / 2.0 - strokeWidth / 2;
        painter.setPen(QPen(colour, strokeWidth * 0.75));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(c, r, r);
        painter.drawEllipse(c, r * 0.42, r);
        painter.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
        painter.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
        break;
    }
    case Glyph::Digits: {
        painter.setPen(colour);
        QFont font = SkinFont(int(box.height() + 1), true, -0.3);
        painter.setFont(font);
        painter.drawText(box.adjusted(-2, -1, 2, 1), Qt::AlignCenter, QStringLiteral("12"));
        break;
    }
    case Glyph::Chart: {
        painter.setPen(QPen(colour, strokeWidth * 0.85, Qt::SolidLine, Qt::RoundCap,
                            Qt::RoundJoin));
        QPolygonF line;
        line << QPointF(box.left(), box.bottom() - box.height() * 0.25)
             << QPointF(box.left() + box.width() * 0.3, box.top() + box.height() * 0.35)
             << QPointF(box.left() + box.width() * 0.55, box.bottom() - box.height() * 0.1)
             << QPointF(box.right(), box.top());
        painter.drawPolyline(line);
        break;
    }
    case Glyph::Volt:
        DrawBolt(painter, box, colour);
        break;
    case Glyph::Fan:
        DrawFan(painter, box, colour);
        break;
    case Glyph::Temp:
        DrawThermometer(painter, box, colour, colour);
        break;
    case Glyph::None:
    case Glyph::Compact:
    case Glyph::Expanded:
        break;
    }
    painter.restore();
}

}  // namespace skinart
