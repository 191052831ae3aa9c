#include "skin/SkinRegion.h"

#include <algorithm>

namespace {

QRgb RgbFromColorref(Colorref key)
{
    return qRgb(int(key & 0xFF), int((key >> 8) & 0xFF), int((key >> 16) & 0xFF));
}

// Turns one batch of runs into a region. The runs are one pixel high, sorted
// by row then column and never touch within a row, which is the band form
// QRegion takes directly.
QRegion RegionFromRuns(const QList<QRect>& runs, qsizetype first, qsizetype count)
{
    QRegion batch;
    if (count > 0)
        batch.setRects(runs.constData() + first, int(count));
    return batch;
}

} // namespace

KeyBounds KeyBoundsFor(Colorref key)
{
    KeyBounds bounds{};
    const int channels[3] = {int(key & 0xFF), int((key >> 8) & 0xFF), int((key >> 16) & 0xFF)};
    for (int c = 0; c < 3; ++c) {
        if ((key & 0xFFFFFF) == 0) {
            bounds.low[c] = 0;
            bounds.high[c] = 16;
        } else if ((key & 0xFFFFFF) == 0xFFFFFF) {
            bounds.low[c] = 239;
            bounds.high[c] = 255;
        } else {
            const int k = channels[c];
            bounds.low[c] = k <= 16 ? 0 : k - 17;
            bounds.high[c] = k <= 238 ? k + 17 : 255;
        }
    }
    return bounds;
}

bool MatchesKey(QRgb pixel, const KeyBounds& bounds)
{
    const int values[3] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    for (int c = 0; c < 3; ++c) {
        if (values[c] < bounds.low[c] || values[c] > bounds.high[c])
            return false;
    }
    return true;
}

SkinRegion RegionFromBitmap(const QImage& bitmap, Colorref key, bool keyIsOutside)
{
    SkinRegion result;
    if (bitmap.isNull())
        return result;
    const QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const KeyBounds bounds = KeyBoundsFor(key);

    qsizetype batchStart = 0;
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < width) {
            int r = x;
            while (r < width && MatchesKey(row[r], bounds) != keyIsOutside)
                ++r;
            if (r > x) {
                result.rects.append(QRect(QPoint(x, y), QPoint(r - 1, y)));
                if (result.rects.size() - batchStart == kRegionBatchLimit) {
                    result.region += RegionFromRuns(result.rects, batchStart, kRegionBatchLimit);
                    batchStart = result.rects.size();
                }
            }
            x = r + 1;
        }
    }
    result.region += RegionFromRuns(result.rects, batchStart, result.rects.size() - batchStart);
    if (!keyIsOutside)
        result.region = result.region.xored(QRegion(0, 0, width, height));
    result.valid = true;
    return result;
}

SkinRegion BuildRegionFromMask(const QImage& mask, Colorref key)
{
    SkinRegion result;
    if (mask.isNull())
        return result;
    const QImage image = mask.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const QRgb keyRgb = RgbFromColorref(key) & 0xFFFFFF;

    for (int y = image.height() - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x0 = -1;
        for (int x = 0; x < width; ++x) {
            const bool inside = (row[x] & 0xFFFFFF) != keyRgb;
            if (inside && x0 < 0)
                x0 = x;
            if (!inside && x0 >= 0) {
                result.rects.append(QRect(QPoint(x0, y), QPoint(x - 1, y)));
                x0 = -1;
            }
        }
        if (x0 >= 0)
            result.rects.append(QRect(QPoint(x0, y), QPoint(width - 1, y)));
    }
    // The rows were collected bottom-up; the band form wants them top-down.
    QList<QRect> bands(result.rects.crbegin(), result.rects.crend());
    // Within a row the reversal also reversed the runs; restore left-to-right.
    std::sort(bands.begin(), bands.end(), [](const QRect& a, const QRect& b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    result.region = RegionFromRuns(bands, 0, bands.size());
    result.valid = true;
    return result;
}
