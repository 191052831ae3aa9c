// The pixel rules of the strip chart, on the chart's memory image. Kept apart
// from the widget so that each rule can be checked on a QImage.
//
// Rectangles are (left, top, right, bottom) with right and bottom exclusive,
// as the chart's client area is measured. A line is drawn from its start up
// to, but not including, its end point, so consecutive segments that share an
// end point never draw it twice.
#pragma once

#include <QImage>
#include <QRgb>

struct SChartRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

namespace StripChartPixels {

// The grid has a line every 13 pixels, and every tick moves the picture 3
// pixels to the left.
inline constexpr int kGridStep = 13;
inline constexpr int kScrollStep = 3;
// The horizontal grid pieces redrawn at the right edge on every tick.
inline constexpr int kGridPieceWidth = 6;
// A line's newest segment runs from right - 14 to right - 11.
inline constexpr int kSegmentStart = 14;
inline constexpr int kSegmentEnd = 11;

// A line from (x0, y0) towards (x1, y1), the end point excluded, clipped to
// the image.
void DrawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour);

// The picture of an empty chart: the background, vertical grid lines at
// x = left - 1 and every 13 pixels while x < right, horizontal ones at
// y = top - 1 and every 13 pixels while y < bottom.
void DrawEmptyChart(QImage& image, const SChartRect& client, QRgb background, QRgb grid);

// The grid phase after one tick: 3 less, 13 added when it turns negative.
int NextGridPhase(int phase);

// The x of the vertical grid line the tick draws at the right edge for a
// phase: right - ((right - phase) mod 13 + 1).
int ScrollGridLineX(int right, int phase);

// The grid part of one tick: clears the 3-pixel column at the right, moves
// the picture 3 pixels to the left, steps the phase and draws the vertical
// grid line of the new phase and the horizontal grid pieces of the last 6
// pixels. Returns the new phase.
int ScrollChartImage(QImage& image, const SChartRect& client, int phase, QRgb background, QRgb grid);

// The y of an average point a of a line with the given span: bottom -
// (bottom * a) / span in unsigned arithmetic. An average at the very bottom
// of the range lands on the row below the picture and one above the range
// wraps past its top, so the result is held to the rows the picture has: a
// stopped fan stays visible on the bottom row instead of vanishing.
int PointY(const SChartRect& client, int average, int span);

}  // namespace StripChartPixels
