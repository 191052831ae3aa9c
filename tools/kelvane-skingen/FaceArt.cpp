#include "tools/kelvane-skingen/FaceArt.h"

#include "tools/kelvane-skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace skinart {

namespace {

// Body rows (exclusive bottom) of the two forms, and the bottom of the tab
// that carries expand / collapse. The last rows of each bitmap stay white.
constexpr qreal kBodyTop = 8;
constexpr qreal kCompactBodyBottom = 189;
constexpr qreal kCompactTabBottom = 197;
constexpr qreal kExpandedBodyBottom = 553;
constexpr qreal kExpandedTabBottom = 561;
constexpr qreal kBodyLeft = 6;
constexpr qreal kBodyRight = 398;
constexpr qreal kBodyRadius = 20;

// The three wells behind the value displays, their names and units.
const QRectF kVoltWell(33.5, 51.5, 76, 71);
const QRectF kFanWell(159.5, 45.5, 85, 82);
const QRectF kTempWell(294.5, 51.5, 76, 71);

QPainterPath Hump(qreal baseY, qreal edgeY)
{
    // A smooth hump from the body edge at baseY out to edgeY, flat between
    // x 162 and 242.
    QPainterPath hump;
    const qreal inward = baseY < edgeY ? -3 : 3;
    hump.moveTo(118, baseY + inward);
    hump.lineTo(118, baseY);
    hump.cubicTo(140, baseY, 144, edgeY, 162, edgeY);
    hump.lineTo(242, edgeY);
    hump.cubicTo(260, edgeY, 264, baseY, 286, baseY);
    hump.lineTo(286, baseY + inward);
    hump.closeSubpath();
    return hump;
}

void PaintBodyMaterial(QPainter& p, const QPainterPath& body, int height)
{
    // The fill runs over the compact height in both forms, so the upper part
    // of the window does not change when it expands.
    QLinearGradient fill(0, 0, 0, kCompactFaceHeight);
    fill.setColorAt(0.0, palette::kFaceTop);
    fill.setColorAt(0.55, palette::kFaceTop.darker(125));
    fill.setColorAt(1.0, palette::kFaceBottom);
    p.fillPath(body, fill);

    DrawBrushedGrain(p, body, 0x4B454C56, 9);

    p.save();
    p.setClipPath(body);
    // Light from above: a soft sheen on the upper third.
    QRadialGradient sheen(QPointF(202, -40), 260);
    sheen.setColorAt(0.0, QColor(255, 255, 255, 26));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, kFaceWidth, 200), sheen);

    // Bevel: a lit upper edge and a dark lower edge, inside the body; the
    // stops are in pixels from either end so both forms share their top.
    const qreal h = height;
    QLinearGradient bevel(0, 0, 0, h);
    bevel.setColorAt(0.0, QColor(255, 255, 255, 90));
    bevel.setColorAt(28 / h, QColor(255, 255, 255, 18));
    bevel.setColorAt((h - 60) / h, QColor(0, 0, 0, 30));
    bevel.setColorAt(1.0, QColor(0, 0, 0, 170));
    p.setPen(QPen(QBrush(bevel), 5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.restore();

    p.setPen(QPen(palette::kRim, 2));
    p.drawPath(body);
}

void PaintTitleStrip(QPainter& p)
{
    // Word mark with a pulse trace in front of it.
    QPolygonF pulse;
    pulse << QPointF(32, 22) << QPointF(36, 22) << QPointF(38, 17) << QPointF(41, 27)
          << QPointF(43, 20) << QPointF(45, 22) << QPointF(49, 22);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    DrawGlow(p, QPointF(40, 22), 9, palette::kAccent, 40);
    p.setPen(QPen(palette::kAccent, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(pulse);
    p.restore();
    DrawEngravedText(p, QRectF(55, 13, 110, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("KELVANE"), SkinFont(13, true, 2.6), QColor(0xD4, 0xDB, 0xE2));
    // The title line under it is the window's to draw, in the user's
    // language (SkinCaption::kTitleCaption).

    // Tray for the minimise / help / close buttons.
    DrawRecess(p, QRectF(300.5, 11.5, 57, 22), 11, QColor(0x12, 0x15, 0x19));
}

void PaintWell(QPainter& p, const QRectF& well, const QString& caption, qreal captionY)
{
    // The caption under the well is the window's to draw, in the user's
    // language (SkinCaption::kWellCaptions).
    Q_UNUSED(caption);
    Q_UNUSED(captionY);
    DrawGlassWell(p, well, 6);
}

void PaintTicks(QPainter& p, qreal x1, qreal x2, qreal y)
{
    // A short ruler between the wells, part of the instrument's look.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    int n = 0;
    for (qreal x = x1; x <= x2 + 0.1; x += 4, ++n) {
        const int len = n % 4 == 0 ? 5 : 2;
        p.setPen(QColor(0, 0, 0, 150));
        p.drawLine(QPointF(x, y - len), QPointF(x, y));
        p.setPen(QColor(255, 255, 255, 30));
        p.drawLine(QPointF(x + 1, y - len), QPointF(x + 1, y));
    }
    p.restore();
}

void PaintDisplayRow(QPainter& p)
{
    PaintWell(p, kVoltWell, QStringLiteral("VOLTAGE"), 128);
    PaintWell(p, kFanWell, QStringLiteral("FAN SPEED"), 131);
    PaintWell(p, kTempWell, QStringLiteral("TEMPERATURE"), 128);
    PaintTicks(p, 118, 150, 92);
    PaintTicks(p, 254, 286, 92);
    // A lit dot in the middle of each ruler.
    for (const qreal x : {134.0, 270.0}) {
        DrawGlow(p, QPointF(x + 0.5, 98.5), 5, palette::kAccent, 70);
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kAccent);
        p.drawEllipse(QPointF(x + 0.5, 98.5), 1.4, 1.4);
        p.restore();
    }
}

void PaintKeyRow(QPainter& p)
{
    // One channel that the three keys are sunk into.
    DrawRecess(p, QRectF(45.5, 149.5, 315, 27), 7, QColor(0x10, 0x13, 0x16));
}

void PaintCommonTop(QPainter& p, qreal bodyBottom)
{
    PaintTitleStrip(p);
    DrawGroove(p, 20, 384, 40);
    PaintDisplayRow(p);
    DrawGroove(p, 20, 384, 143);
    PaintKeyRow(p);
    DrawScrew(p, QPointF(19.5, 22.5), 30);
    DrawScrew(p, QPointF(384.5, 22.5), 120);
    DrawScrew(p, QPointF(19.5, bodyBottom - 15.5), 75);
    DrawScrew(p, QPointF(384.5, bodyBottom - 15.5), 160);
}

void PaintRail(QPainter& p, qreal y, const QString& caption)
{
    // The strip between two sub-screens that carries the view switches.
    // The caption is the window's to draw (SkinCaption::kRailCaptions).
    Q_UNUSED(caption);
    DrawRecess(p, QRectF(176.5, y - 0.5, 49, 13), 6.5, QColor(0x0A, 0x0C, 0x0E));
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(255, 255, 255, 16));
    p.drawLine(QPointF(236, y + 6), QPointF(356, y + 6));
    p.restore();
}

void PaintSubScreenBay(QPainter& p)
{
    const QRectF bay(31.5, 177.5, 341, 366);
    DrawRecess(p, bay, 9, QColor(0x15, 0x19, 0x1D));
    const char* captions[] = {"VOLTAGES", "FANS", "TEMPERATURES"};
    const qreal railY[] = {181, 301, 421};
    for (int i = 0; i < 3; ++i) {
        const qreal y = kPanelY[i];
        // A frame round each panel: dark line on the panel's edge, a light lip
        // below it.
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(palette::kRim);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(kPanelX - 1, int(y) - 1, kPanelWidth + 1, kPanelHeight + 1));
        p.setPen(QColor(0x00, 0x00, 0x00, 90));
        p.drawRect(QRect(kPanelX - 2, int(y) - 2, kPanelWidth + 3, kPanelHeight + 3));
        p.restore();
        // Where the panel will be (the panel paints its own background).
        p.fillRect(QRectF(kPanelX, y, kPanelWidth, kPanelHeight), QColor(0x0D, 0x10, 0x13));
        PaintRail(p, railY[i], QString::fromLatin1(captions[i]));
    }
}

}  // namespace

QPainterPath BodyPath(bool expanded)
{
    const qreal bottom = expanded ? kExpandedBodyBottom : kCompactBodyBottom;
    const qreal tabBottom = expanded ? kExpandedTabBottom : kCompactTabBottom;
    QPainterPath body;
    body.addRoundedRect(QRectF(kBodyLeft, kBodyTop, kBodyRight - kBodyLeft, bottom - kBodyTop),
                        kBodyRadius, kBodyRadius);
    body = body.united(Hump(kBodyTop, 0));
    body = body.united(Hump(bottom, tabBottom));
    return body.simplified();
}

QImage PaintOutline(bool expanded)
{
    return ShapeMask(kFaceWidth, expanded ? kExpandedHeight : kCompactOutlineHeight,
                     BodyPath(expanded));
}

QImage PaintFace(bool expanded)
{
    const int height = expanded ? kExpandedHeight : kCompactFaceHeight;
    QImage face = WhiteImage(kFaceWidth, height);
    const QPainterPath body = BodyPath(expanded);
    {
        QPainter p(&face);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        // Anti-aliased edges blend into the rim colour, never into white, so
        // that no light fringe shows where the outline cuts the window.
        p.fillRect(face.rect(), palette::kRim);
        PaintBodyMaterial(p, body, height);
        const qreal bodyBottom = expanded ? kExpandedBodyBottom : kCompactBodyBottom;
        PaintCommonTop(p, bodyBottom);
        if (expanded) {
            PaintSubScreenBay(p);
            DrawRecess(p, QRectF(175.5, 543.5, 53, 16), 8, QColor(0x10, 0x13, 0x16));
        } else {
            DrawRecess(p, QRectF(175.5, 178.5, 53, 17), 8.5, QColor(0x10, 0x13, 0x16));
        }
    }
    KeepInside(face, ShapeMask(kFaceWidth, height, body));
    return face;
}

QImage PaintNumericPanel()
{
    QImage panel = WhiteImage(kPanelWidth, kPanelHeight);
    QPainter p(&panel);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    // Header band where the three alarm lamps sit.
    const QRectF header(0, 0, kPanelWidth, 16);
    QLinearGradient metal(header.topLeft(), header.bottomLeft());
    metal.setColorAt(0.0, QColor(0x32, 0x3A, 0x42));
    metal.setColorAt(1.0, QColor(0x1A, 0x1F, 0x24));
    p.fillRect(header, metal);
    p.fillRect(QRectF(0, 15, kPanelWidth, 1), QColor(0x0A, 0x0C, 0x0E));

    // The lit screen: a pale backlit surface, dark text and blue digits read
    // well on it.
    const QRectF screen(0, 16, kPanelWidth, kPanelHeight - 16);
    QLinearGradient lit(screen.topLeft(), screen.bottomLeft());
    lit.setColorAt(0.0, QColor(0xD6, 0xE2, 0xE7));
    lit.setColorAt(1.0, QColor(0xB4, 0xC4, 0xCC));
    p.fillRect(screen, lit);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0x20, 0x40, 0x50, 10));
    for (int y = 17; y < kPanelHeight; y += 2)
        p.drawLine(0, y, kPanelWidth, y);
    p.restore();
    QLinearGradient shade(0, 16, 0, 22);
    shade.setColorAt(0.0, QColor(0, 0, 0, 70));
    shade.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(0, 16, kPanelWidth, 6), shade);

    const int slotX[] = {18, 118, 217};
    for (int i = 0; i < 3; ++i) {
        const qreal x0 = slotX[i];
        // The channel caption beside the lamp is the panel's to draw
        // (SkinCaption::kChannelCaptions).
        // The cell behind the value and its unit.
        const QRectF cell(x0 + 5.5, 25.5, 73, 55);
        QPainterPath cellPath;
        cellPath.addRoundedRect(cell, 5, 5);
        QLinearGradient cellFill(cell.topLeft(), cell.bottomLeft());
        cellFill.setColorAt(0.0, QColor(0xB9, 0xC9, 0xD1));
        cellFill.setColorAt(1.0, QColor(0xC9, 0xD6, 0xDC));
        p.fillPath(cellPath, cellFill);
        QLinearGradient cellLip(cell.topLeft(), cell.bottomLeft());
        cellLip.setColorAt(0.0, QColor(0x40, 0x55, 0x60, 140));
        cellLip.setColorAt(1.0, QColor(255, 255, 255, 160));
        p.setPen(QPen(QBrush(cellLip), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(cellPath);
        // Name strip.
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(0x50, 0x66, 0x70, 90));
        p.drawLine(QPointF(x0 + 8, 86), QPointF(x0 + 76, 86));
        p.setPen(QColor(255, 255, 255, 120));
        p.drawLine(QPointF(x0 + 8, 87), QPointF(x0 + 76, 87));
        p.restore();
    }
    // Separators between the slots.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const int x : {109, 209}) {
        p.setPen(QColor(0x50, 0x66, 0x70, 80));
        p.drawLine(x, 22, x, 100);
        p.setPen(QColor(255, 255, 255, 120));
        p.drawLine(x + 1, 22, x + 1, 100);
    }
    // Bevel round the whole panel.
    p.setPen(QColor(0, 0, 0, 120));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, kPanelWidth - 1, kPanelHeight - 1));
    p.end();
    return panel;
}

QImage PaintGraphPanel(Glyph area)
{
    QImage panel = WhiteImage(kPanelWidth, kPanelHeight);
    QPainter p(&panel);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    QLinearGradient fill(0, 0, 0, kPanelHeight);
    fill.setColorAt(0.0, QColor(0x24, 0x2A, 0x31));
    fill.setColorAt(1.0, QColor(0x14, 0x17, 0x1B));
    p.fillRect(panel.rect(), fill);
    QPainterPath all;
    all.addRect(QRectF(0, 0, kPanelWidth, kPanelHeight));
    DrawBrushedGrain(p, all, 0x47524150u + quint32(area), 6);

    // The chart sits at (55,6)-(235,99); a well round it.
    DrawRecess(p, QRectF(53.5, 4.5, 183, 96), 2, QColor(0x05, 0x06, 0x07));
    // Legend plate behind the check boxes.
    DrawRecess(p, QRectF(240.5, 4.5, 79, 96), 4, QColor(0x17, 0x1B, 0x20));

    // Area symbol and scale along the left edge; the word under the symbol
    // is the panel's to draw (SkinCaption::k*GraphCaption). The chart's top
    // is the line's range: 14 V, 10500 RPM, 90 degrees Celsius.
    QString top;
    QString middle;
    QString bottom;
    switch (area) {
    case Glyph::Volt:
        top = QStringLiteral("14V"); middle = QStringLiteral("7V"); bottom = QStringLiteral("0V");
        break;
    case Glyph::Fan:
        top = QStringLiteral("10.5k"); middle = QStringLiteral("5.2k"); bottom = QStringLiteral("0");
        break;
    default:
        // Only the tick marks: the panel prints the numbers in the user's
        // unit.
        break;
    }
    DrawGlyph(p, area, QRectF(6, 34, 16, 16), QColor(0x6E, 0x7B, 0x87));
    const QFont scaleFont = SkinFont(7, false);
    const qreal tickY[] = {6.5, 52.5, 98.5};
    const QString texts[] = {top, middle, bottom};
    for (int i = 0; i < 3; ++i) {
        p.setFont(scaleFont);
        p.setPen(QColor(0xA9, 0xB4, 0xBF));
        const qreal ty = std::clamp(tickY[i] - 5, 2.0, qreal(kPanelHeight - 12));
        p.drawText(QRectF(22, ty, 27, 10), Qt::AlignRight | Qt::AlignVCenter, texts[i]);
        p.setPen(QPen(QColor(0x6E, 0x7B, 0x87), 1));
        p.drawLine(QPointF(49.5, tickY[i]), QPointF(52.5, tickY[i]));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 0, 150));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(0, 0, kPanelWidth - 1, kPanelHeight - 1));
    p.setPen(QColor(255, 255, 255, 22));
    p.drawLine(1, 1, kPanelWidth - 2, 1);
    p.end();
    return panel;
}

}  // namespace skinart
