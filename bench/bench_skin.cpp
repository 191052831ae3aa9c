// Costs of the skin toolkit's recurring work: one paint of a segment display
// (the main window repaints three every 2.5 s) and building the main window's
// outline region from its 404 x 562 bitmap.
#include "skin/CSegmentDisplay.h"
#include "skin/SkinRegion.h"

#include <QApplication>
#include <QFile>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

void ConfigureLikeMainWindow(CSegmentDisplay& display, const QSize& size)
{
    display.resize(size);
    display.SetSegmentColours(0x000000, 0x00FF00);
    display.SetTransparentMode(true);
    display.ChangeDisplayStyle(0, SDS_CURVED | SDS_KEEP_ASPECT | SDS_LIT_ONLY | SDS_SOFT_EDGE);
    display.SetDisplayText(QStringLiteral("12.5"));
}

// A paint with the text unchanged: the cached device outlines are drawn into
// the off-screen image and that is copied to the widget (QWidget::render runs
// the widget's own paint handler).
void BM_SegmentPaintCurved(benchmark::State& state)
{
    const QSize size(int(state.range(0)), int(state.range(1)));
    CSegmentDisplay display;
    ConfigureLikeMainWindow(display, size);
    QImage screen(size, QImage::Format_RGB32);
    for (auto _ : state) {
        display.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_SegmentPaintCurved)->Args({60, 25})->Args({65, 35})->Unit(benchmark::kMicrosecond);

// A paint after a text change within the same layout (the main window's case):
// glyphs rebuilt, fitted outlines taken from the display's cache.
void BM_SegmentPaintCurvedNewText(benchmark::State& state)
{
    const QSize size(int(state.range(0)), int(state.range(1)));
    CSegmentDisplay display;
    ConfigureLikeMainWindow(display, size);
    QImage screen(size, QImage::Format_RGB32);
    bool flip = false;
    for (auto _ : state) {
        display.SetDisplayText(flip ? QStringLiteral("12.5") : QStringLiteral("12.6"));
        flip = !flip;
        display.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}
BENCHMARK(BM_SegmentPaintCurvedNewText)->Args({60, 25})->Args({65, 35})->Unit(benchmark::kMicrosecond);

// The off-screen picture alone, without the widget's render machinery.
void BM_SegmentRenderImage(benchmark::State& state)
{
    CSegmentDisplay display;
    ConfigureLikeMainWindow(display, QSize(int(state.range(0)), int(state.range(1))));
    for (auto _ : state)
        benchmark::DoNotOptimize(display.RenderImage().constBits());
}
BENCHMARK(BM_SegmentRenderImage)->Args({60, 25})->Args({65, 35})->Unit(benchmark::kMicrosecond);

// Building the outlines of a new layout with nothing cached: every curved run
// of "12.5" fitted.
void BM_SegmentSceneUncached(benchmark::State& state)
{
    const auto glyphs = GlyphsForText(QStringLiteral("12.5"), SDS_CURVED | SDS_KEEP_ASPECT);
    const QSize size(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const SegmentScene scene = BuildSegmentScene(glyphs, size, SDS_CURVED | SDS_KEEP_ASPECT);
        benchmark::DoNotOptimize(scene.shapes.data());
    }
}
BENCHMARK(BM_SegmentSceneUncached)->Args({60, 25})->Args({65, 35})->Unit(benchmark::kMicrosecond);

QImage MainWindowOutline()
{
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/skin/147.png");
    if (QFile::exists(path)) {
        QImage image(path);
        if (!image.isNull())
            return image;
    }
    // A rounded-rectangle outline of the same size, white outside.
    QImage image(404, 562, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(30, 40, 60));
    painter.setBrush(QColor(60, 80, 110));
    painter.drawRoundedRect(QRectF(2, 2, 400, 558), 28, 28);
    return image;
}

void BM_RegionFromBitmapOutline(benchmark::State& state)
{
    const QImage outline = MainWindowOutline();
    for (auto _ : state) {
        const SkinRegion region = RegionFromBitmap(outline, 0xFFFFFF, false);
        benchmark::DoNotOptimize(region.region.rectCount());
    }
}
BENCHMARK(BM_RegionFromBitmapOutline)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Widgets need an application object; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
