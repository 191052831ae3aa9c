#include "tools/kelvane-skingen/ControlArt.h"

#include "tools/kelvane-skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace skinart {

namespace {

// A picture that is both a button's disabled look and its mask must be dark
// all over: the mask's darkness is how much of the button shows (black all,
// white nothing), so a light disabled look would make every state of the
// button see-through. The disabled look is therefore an unlit body with its
// symbol cut in black.
const QColor kMaskBody(0x10, 0x12, 0x14);

QSizeF ShapeSize(const SkinBitmap& bitmap)
{
    if (bitmap.shapeWidth > 0)
        return QSizeF(bitmap.shapeWidth, bitmap.shapeHeight);
    return QSizeF(bitmap.width, bitmap.height);
}

bool IsSilver(Art art)
{
    return art == Art::KeyButton || art == Art::DialogButton;
}

// The dark material of the small buttons: a domed body, lit from above.
void PaintDarkBody(QPainter& p, const SkinBitmap& b)
{
    const QPainterPath body = ControlShape(b, 1);
    const QRectF r = body.boundingRect();
    const bool close = b.glyph == Glyph::Close;
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    switch (b.look) {
    case Look::Hover:
        if (close) {
            fill.setColorAt(0.0, QColor(0xE4, 0x52, 0x46));
            fill.setColorAt(1.0, QColor(0x9A, 0x24, 0x1B));
        } else {
            fill.setColorAt(0.0, QColor(0x52, 0x5D, 0x69));
            fill.setColorAt(1.0, QColor(0x2A, 0x31, 0x38));
        }
        break;
    case Look::Pressed:
        if (close) {
            fill.setColorAt(0.0, QColor(0x6A, 0x18, 0x12));
            fill.setColorAt(1.0, QColor(0xA8, 0x2E, 0x24));
        } else {
            fill.setColorAt(0.0, QColor(0x0C, 0x0E, 0x11));
            fill.setColorAt(1.0, QColor(0x24, 0x2A, 0x30));
        }
        break;
    case Look::DisabledMask:
    case Look::Disabled:
        fill.setColorAt(0.0, kMaskBody);
        fill.setColorAt(1.0, kMaskBody);
        break;
    default:
        fill.setColorAt(0.0, QColor(0x40, 0x49, 0x53));
        fill.setColorAt(1.0, QColor(0x1E, 0x23, 0x28));
        break;
    }
    p.fillPath(body, fill);

    p.save();
    p.setClipPath(body);
    if (b.look == Look::Pressed) {
        // Sunk: the upper rim throws a shadow.
        QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, r.height() * 0.45));
        shade.setColorAt(0.0, QColor(0, 0, 0, 170));
        shade.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillRect(r, shade);
    } else if (b.look == Look::Normal || b.look == Look::Hover) {
        // Raised: a thin lit edge on top.
        QLinearGradient edge(r.topLeft(), r.bottomLeft());
        edge.setColorAt(0.0, QColor(255, 255, 255, b.look == Look::Hover ? 120 : 80));
        edge.setColorAt(0.5, QColor(255, 255, 255, 0));
        p.setPen(QPen(QBrush(edge), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ControlShape(b, 1.6));
    }
    p.restore();
}

// The brushed aluminium of the keys that carry a caption at run time; the
// middle stays even so that any caption reads on it.
void PaintSilverBody(QPainter& p, const SkinBitmap& b)
{
    const QPainterPath body = ControlShape(b, 1);
    const QRectF r = body.boundingRect();
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    switch (b.look) {
    case Look::Hover:
        fill.setColorAt(0.0, QColor(0xF4, 0xF7, 0xF9));
        fill.setColorAt(1.0, QColor(0xC6, 0xCE, 0xD5));
        break;
    case Look::Pressed:
        fill.setColorAt(0.0, QColor(0x7E, 0x87, 0x91));
        fill.setColorAt(1.0, QColor(0xB2, 0xBA, 0xC3));
        break;
    case Look::DisabledMask:
    case Look::Disabled:
        fill.setColorAt(0.0, kMaskBody.lighter(115));
        fill.setColorAt(1.0, kMaskBody);
        break;
    default:
        fill.setColorAt(0.0, QColor(0xE3, 0xE8, 0xEC));
        fill.setColorAt(1.0, QColor(0xA9, 0xB2, 0xBB));
        break;
    }
    p.fillPath(body, fill);
    if (b.look != Look::DisabledMask && b.look != Look::Disabled)
        DrawBrushedGrain(p, body, 0x53494C56u + quint32(b.width), 14);

    p.save();
    p.setClipPath(body);
    switch (b.look) {
    case Look::Pressed: {
        QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, 7));
        shade.setColorAt(0.0, QColor(0, 0, 0, 130));
        shade.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.fillRect(r, shade);
        break;
    }
    case Look::Hover: {
        // A green light round the edge: the key is under the pointer.
        p.setPen(QPen(QColor(0x2E, 0xD8, 0x68, 230), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(ControlShape(b, 1.3));
        p.setPen(QPen(QColor(0x2E, 0xD8, 0x68, 70), 1.2));
        p.drawPath(ControlShape(b, 2.7));
        break;
    }
    case Look::Normal: {
        p.setPen(QPen(QColor(255, 255, 255, 190), 1));
        p.drawLine(QPointF(r.left() + 3, r.top() + 0.5), QPointF(r.right() - 3, r.top() + 0.5));
        p.setPen(QPen(QColor(0, 0, 0, 50), 1));
        p.drawLine(QPointF(r.left() + 3, r.bottom() - 0.5),
                   QPointF(r.right() - 3, r.bottom() - 0.5));
        break;
    }
    default:
        break;
    }
    p.restore();
}

QColor GlyphColour(const SkinBitmap& b)
{
    if (b.look == Look::DisabledMask || b.look == Look::Disabled)
        return QColor(0, 0, 0);
    if (b.glyph == Glyph::Close && b.look != Look::Normal)
        return QColor(0xFF, 0xEE, 0xEB);
    if (b.look == Look::Hover || b.look == Look::Pressed)
        return palette::kAccent;
    return palette::kSymbol;
}

void PaintDarkGlyph(QPainter& p, const SkinBitmap& b)
{
    const QSizeF size = ShapeSize(b);
    QRectF box(QPointF(0, 0), size);
    if (b.look == Look::Pressed)
        box.translate(0.5, 0.5);
    const QColor colour = GlyphColour(b);
    const bool lit = (b.look == Look::Hover || b.look == Look::Pressed) && b.glyph != Glyph::Close;
    switch (b.art) {
    case Art::RoundButton: {
        const QRectF inner = box.adjusted(2, 2, -2, -2);
        if (lit)
            DrawGlow(p, inner.center(), 6, palette::kAccent, 60);
        DrawGlyph(p, b.glyph, inner, colour, 1.5);
        break;
    }
    case Art::TabButton: {
        const QRectF inner(box.center().x() - 9, box.top() + 2, 18, box.height() - 4);
        if (lit)
            DrawGlow(p, inner.center(), 12, palette::kAccent, 55);
        DrawGlyph(p, b.glyph, inner, colour, 1.4);
        // Grip lines either side of the chevrons.
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        QColor grip = colour;
        grip.setAlpha(lit ? 150 : 90);
        p.setPen(grip);
        const int cy = int(box.center().y());
        p.drawLine(QPointF(box.left() + 9, cy), QPointF(box.center().x() - 12, cy));
        p.drawLine(QPointF(box.center().x() + 12, cy), QPointF(box.right() - 10, cy));
        p.restore();
        break;
    }
    case Art::LinkBadge: {
        const QRectF globe(box.left() + 5, box.top() + 3.5, 11, 11);
        if (lit)
            DrawGlow(p, globe.center(), 10, palette::kAccent, 60);
        DrawGlyph(p, Glyph::Globe, globe, colour, 1.4);
        p.setPen(colour);
        p.setFont(SkinFont(9, true, 1.6));
        p.drawText(QRectF(box.left() + 19, box.top(), box.width() - 23, box.height()),
                   Qt::AlignCenter, QStringLiteral("DRAVIK"));
        break;
    }
    case Art::AreaButton: {
        const bool left = b.glyph == Glyph::Digits;
        const QRectF inner = left ? QRectF(box.left() + 5, box.top() + 2.5, 14, 7)
                                  : QRectF(box.left() + 4, box.top() + 3, 13, 6);
        if (lit)
            DrawGlow(p, inner.center(), 8, palette::kAccent, 50);
        DrawGlyph(p, b.glyph, inner, colour, 1.4);
        break;
    }
    default:
        break;
    }
}

void PaintIndicator(QPainter& p, const SkinBitmap& b)
{
    const QPainterPath lens = ControlShape(b, 1);
    const QRectF r = lens.boundingRect();
    QColor hi;
    QColor lo;
    switch (b.look) {
    case Look::Normal:  // in range
        hi = QColor(0x6C, 0xFF, 0x9E);
        lo = QColor(0x0E, 0x8C, 0x3C);
        break;
    case Look::Pressed:  // alarm
        hi = QColor(0xFF, 0x7A, 0x6A);
        lo = QColor(0xB0, 0x1C, 0x12);
        break;
    default:  // item off
        hi = QColor(0x4A, 0x52, 0x5B);
        lo = QColor(0x22, 0x27, 0x2C);
        break;
    }
    QRadialGradient fill(r.center() + QPointF(0, 2), r.width() * 0.6);
    fill.setColorAt(0.0, hi);
    fill.setColorAt(1.0, lo);
    p.fillPath(lens, fill);
    p.save();
    p.setClipPath(lens);
    // Specular band on the upper half of the lens.
    QPainterPath band;
    band.addRoundedRect(QRectF(r.left() + 3, r.top() + 1, r.width() - 6, r.height() * 0.42), 3, 3);
    QLinearGradient shine(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.45));
    shine.setColorAt(0.0, QColor(255, 255, 255, b.look == Look::Disabled ? 40 : 130));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillPath(band, shine);
    p.restore();
    if (b.look == Look::Pressed) {
        // The alarm carries a mark too, not only its colour.
        p.setPen(QColor(0x4A, 0x06, 0x03));
        p.setFont(SkinFont(10, true));
        p.drawText(r.translated(0, 0.5), Qt::AlignCenter, QStringLiteral("!"));
    } else if (b.look == Look::Disabled) {
        p.setPen(QPen(QColor(0x0E, 0x11, 0x14), 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(r.center().x() - 4, r.center().y() + 0.5),
                   QPointF(r.center().x() + 4, r.center().y() + 0.5));
    }
}

}  // namespace

QPainterPath ControlShape(const SkinBitmap& b, qreal inset)
{
    const QSizeF size = ShapeSize(b);
    const QRectF full(QPointF(0, 0), size);
    const QRectF r = full.adjusted(inset, inset, -inset, -inset);
    QPainterPath path;
    switch (b.art) {
    case Art::RoundButton:
        path.addEllipse(r);
        break;
    case Art::AreaButton: {
        // The two view switches form one split pill: numeric on the left,
        // graph on the right, square where they meet.
        const qreal radius = r.height() / 2;
        const bool left = b.glyph == Glyph::Digits;
        QPainterPath pill;
        pill.addRoundedRect(left ? r.adjusted(0, 0, 10, 0) : r.adjusted(-10, 0, 0, 0), radius,
                            radius);
        QPainterPath clip;
        clip.addRect(r);
        path = pill.intersected(clip);
        break;
    }
    case Art::TabButton:
    case Art::LinkBadge:
    case Art::Indicator: {
        const qreal radius = r.height() / 2;
        path.addRoundedRect(r, radius, radius);
        break;
    }
    default: {
        const qreal radius = std::max<qreal>(1, 4.5 - inset);
        path.addRoundedRect(r, radius, radius);
        break;
    }
    }
    return path;
}

QImage PaintControl(const SkinBitmap& b, const QImage* backdrop)
{
    const QImage mask = ShapeMask(b.width, b.height, ControlShape(b, 0));
    if (b.look == Look::Mask)
        return mask;

    QImage art = WhiteImage(b.width, b.height);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        if (backdrop)
            p.drawImage(0, 0, *backdrop);
        else
            p.fillRect(art.rect(), palette::kRim);
        p.fillPath(ControlShape(b, 0), palette::kRim);
        if (b.art == Art::Indicator) {
            PaintIndicator(p, b);
        } else if (IsSilver(b.art)) {
            PaintSilverBody(p, b);
        } else {
            PaintDarkBody(p, b);
            PaintDarkGlyph(p, b);
        }
    }
    KeepInside(art, mask);
    return art;
}

}  // namespace skinart
