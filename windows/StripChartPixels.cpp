#include "windows/StripChartPixels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace StripChartPixels {

namespace {

void PutPixel(QImage& image, int x, int y, QRgb colour)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return;
    reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
}

void FillColumns(QImage& image, int left, int right, int top, int bottom, QRgb colour)
{
    left = std::max(left, 0);
    right = std::min(right, image.width());
    top = std::max(top, 0);
    bottom = std::min(bottom, image.height());
    for (int y = top; y < bottom; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(row + std::min(left, right), row + right, colour);
    }
}

void DrawHorizontalGrid(QImage& image, const SChartRect& client, int fromX, QRgb grid)
{
    for (int y = client.top - 1; y < client.bottom; y += kGridStep)
        DrawLine(image, fromX, y, client.right, y, grid);
}

}  // namespace

void DrawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour)
{
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    // One pixel per step along the longer axis, the end point left out.
    const int steps = std::max(dx, dy);
    int error = (dx > dy ? dx : -dy) / 2;
    int x = x0;
    int y = y0;
    for (int i = 0; i < steps; ++i) {
        PutPixel(image, x, y, colour);
        const int e = error;
        if (e > -dx) {
            error -= dy;
            x += sx;
        }
        if (e < dy) {
            error += dx;
            y += sy;
        }
    }
}

void DrawEmptyChart(QImage& image, const SChartRect& client, QRgb background, QRgb grid)
{
    image.fill(background);
    for (int x = client.left - 1; x < client.right; x += kGridStep)
        DrawLine(image, x, client.top, x, client.bottom, grid);
    DrawHorizontalGrid(image, client, client.left, grid);
}

int NextGridPhase(int phase)
{
    phase -= kScrollStep;
    if (phase < 0)
        phase += kGridStep;
    return phase;
}

int ScrollGridLineX(int right, int phase)
{
    // The remainder of a negative number would put the line past the edge;
    // the phase stays within 0..12, so right - phase is negative only for a
    // chart narrower than the grid step.
    int rest = (right - phase) % kGridStep;
    if (rest < 0)
        rest += kGridStep;
    return right - (rest + 1);
}

int ScrollChartImage(QImage& image, const SChartRect& client, int phase, QRgb background, QRgb grid)
{
    FillColumns(image, client.right - kScrollStep, client.right, 0, image.height(), background);
    const int width = image.width();
    if (width > kScrollStep) {
        for (int y = 0; y < image.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            std::memmove(row, row + kScrollStep, sizeof(QRgb) * static_cast<size_t>(width - kScrollStep));
        }
    }
    phase = NextGridPhase(phase);
    const int x = ScrollGridLineX(client.right, phase);
    DrawLine(image, x, client.top, x, client.bottom, grid);
    DrawHorizontalGrid(image, client, client.right - kGridPieceWidth, grid);
    return phase;
}

int PointY(const SChartRect& client, int average, int span)
{
    if (span <= 0)
        return client.bottom - 1;
    const unsigned bottom = static_cast<unsigned>(client.bottom);
    const unsigned y = bottom - (bottom * static_cast<unsigned>(average)) / static_cast<unsigned>(span);
    // Past the top the unsigned difference wraps to a huge value.
    if (y > bottom)
        return client.top;
    return std::clamp(static_cast<int>(y), client.top, client.bottom - 1);
}

}  // namespace StripChartPixels
