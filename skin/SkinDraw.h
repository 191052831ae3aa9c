#pragma once

#include <QImage>
#include <QList>
#include <QRect>

class QPainter;

// How a skin image fills its rectangle.
enum SkinDrawMode { kDrawNormal = 0, kDrawStretch = 1, kDrawTile = 2 };

// Draws a skin image into target. With a mask (not null and mode not tile),
// the mask's white pixels keep what the target already shows and its black
// pixels show the image; a mask smaller than the target counts as white
// beyond its edge. Mode 0 copies from
// the image's origin without scaling, mode 1 stretches image and mask onto the
// rectangle, mode 2 tiles the image and ignores the mask.
void DrawSkinBitmap(QPainter& painter, const QImage& image, const QImage& mask, const QRect& target,
                    int mode);

// The destination rectangles of tiling an image of imageSize over area: rows
// and columns step by the image's size, the last row and column cut to the
// area's edge. Every tile copies from the image's origin.
QList<QRect> TileRects(const QSize& imageSize, const QRect& area);

// Tiles image over the rectangle left..right, top..bottom (right and bottom
// exclusive).
void TileBitmap(QPainter& painter, const QImage& image, int left, int top, int right, int bottom);
