#include "skin/SkinDraw.h"

#include <QPainter>

#include <algorithm>

namespace {

// The part of the image that lands on a target of the given size: mode 0 takes
// the image's top-left corner as it is, mode 1 scales the whole image.
QImage FitToTarget(const QImage& image, const QSize& size, int mode)
{
    if (mode == kDrawStretch)
        return image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return image.copy(0, 0, std::min(size.width(), image.width()),
                      std::min(size.height(), image.height()));
}

// The picture with the mask turned into its alpha: a black mask pixel shows
// the image, a white one leaves the target as it was. (Composing through the
// target's own pixels with XOR/AND would need to read back whatever device the
// painter is on; as alpha the rule holds on every device.) A grey mask pixel
// blends in proportion.
QImage MaskAsAlpha(const QImage& picture, const QImage& mask)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QImage m = mask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const QRgb* mrow = y < m.height() ? reinterpret_cast<const QRgb*>(m.constScanLine(y)) : nullptr;
        for (int x = 0; x < out.width(); ++x) {
            const int cover = (mrow && x < m.width()) ? 255 - qGray(mrow[x]) : 0;
            row[x] = (row[x] & 0xFFFFFF) | (QRgb(cover) << 24);
        }
    }
    return out;
}

} // namespace

void DrawSkinBitmap(QPainter& painter, const QImage& image, const QImage& mask, const QRect& target,
                    int mode)
{
    if (image.isNull() || target.isEmpty())
        return;
    if (mode == kDrawTile) {
        TileBitmap(painter, image, target.left(), target.top(), target.right() + 1, target.bottom() + 1);
        return;
    }
    const QImage picture = FitToTarget(image.convertToFormat(QImage::Format_RGB32), target.size(), mode);
    if (mask.isNull()) {
        painter.drawImage(target.topLeft(), picture);
        return;
    }
    // A mask smaller than the picture leaves the rest outside.
    const QImage cut = FitToTarget(mask, target.size(), mode);
    painter.drawImage(target.topLeft(), MaskAsAlpha(picture, cut));
}

QList<QRect> TileRects(const QSize& imageSize, const QRect& area)
{
    QList<QRect> tiles;
    const int iw = imageSize.width();
    const int ih = imageSize.height();
    // An empty image would never advance; it tiles nothing.
    if (iw <= 0 || ih <= 0)
        return tiles;
    const int right = area.left() + area.width();
    const int bottom = area.top() + area.height();
    for (int y = area.top(); y < bottom; y += ih) {
        const int h = std::min(ih, bottom - y);
        for (int x = area.left(); x < right; x += iw)
            tiles.append(QRect(x, y, std::min(iw, right - x), h));
    }
    return tiles;
}

void TileBitmap(QPainter& painter, const QImage& image, int left, int top, int right, int bottom)
{
    if (image.isNull())
        return;
    for (const QRect& tile : TileRects(image.size(), QRect(left, top, right - left, bottom - top)))
        painter.drawImage(tile.topLeft(), image, QRect(QPoint(0, 0), tile.size()));
}
