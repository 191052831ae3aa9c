#pragma once

#include "skin/SkinColour.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QRegion>

// Per-channel bounds within which a pixel counts as the key colour.
struct KeyBounds {
    int low[3];   // red, green, blue
    int high[3];
};

// Black keys accept 0..16, white keys 239..255, any other key each channel
// within 17 of its own value (clamped to 0..255).
KeyBounds KeyBoundsFor(Colorref key);
bool MatchesKey(QRgb pixel, const KeyBounds& bounds);

// A region together with the one-pixel-high run rectangles it was built from.
// valid is false when there was no bitmap to build from.
struct SkinRegion {
    bool valid = false;
    QList<QRect> rects;
    QRegion region;
};

// The window outline of a bitmap: every pixel that does not match the key.
// keyIsOutside true collects the non-key runs directly; false collects the
// (usually fewer) key runs and XORs them with the full rectangle. Runs are
// gathered row by row from the top and merged into the region in batches of
// kRegionBatchLimit rectangles.
inline constexpr int kRegionBatchLimit = 3000;
SkinRegion RegionFromBitmap(const QImage& bitmap, Colorref key, bool keyIsOutside);

// A button's shape from its mask: every pixel whose colour is not exactly the
// key. Runs are collected from the bottom row up.
SkinRegion BuildRegionFromMask(const QImage& mask, Colorref key);
