#include "benchsupport.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/controldata.h"
#include "project/project.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace tervan;

namespace {

// Intervals for about 10, 100, 1000 and 10,000 levels over the 51.14 .. 159.72 m of the
// terrain.
float intervalFor(std::int64_t levels)
{
    return levels >= 10000 ? 0.01f : levels >= 1000 ? 0.1f : levels >= 100 ? 1.0f : 10.0f;
}

class CountingSink final : public ContourSink
{
public:
    void level(float, int) override { ++levels; }
    void point(float x, float y) override
    {
        ++points;
        benchmark::DoNotOptimize(x + y);
    }
    void segment(float x1, float y1, float x2, float y2) override
    {
        ++segments;
        benchmark::DoNotOptimize(x1 + y1 + x2 + y2);
    }
    void label(Border, float, float, float) override { ++labels; }

    std::int64_t levels = 0, points = 0, segments = 0, labels = 0;
};

void BM_ContourTrace(benchmark::State& state)
{
    const Project p = benchTerrain();
    const float interval = intervalFor(state.range(0));
    CountingSink last;
    for (auto _ : state) {
        CountingSink sink;
        benchmark::DoNotOptimize(TraceContours(p, interval, ContourEmphasis::WholeLevels, sink));
        last = sink;
    }
    state.counters["levels"] = double(last.levels);
    state.counters["segments"] = double(last.segments);
    state.counters["points"] = double(last.points);
    state.counters["labels"] = double(last.labels);
    state.counters["segments/s"] =
        benchmark::Counter(double(last.segments), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ContourTrace)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The grid with its contours as the window draws it, fitted to a 1600 x 1000 screen.
void BM_ContourRedraw(benchmark::State& state)
{
    Project p = benchTerrain();
    p.DisplayMode = PictureKind::GridWithContours;
    p.ContourInterval = intervalFor(state.range(0));
    fitScreen(p);
    redrawLoop(state, p);
}
BENCHMARK(BM_ContourRedraw)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

void BM_ContourRedrawInLines(benchmark::State& state)
{
    benchApplication();
    Project p = benchTerrain();
    p.DisplayMode = PictureKind::GridWithContours;
    p.ContourInterval = intervalFor(state.range(0));
    fitScreen(p);
    QImage image(1600, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        ImageSurface surface(image);
        LinesOnly lines(surface);
        Redraw(lines, p, {});
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ContourRedrawInLines)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The wire-frame surface of the same terrain.
void BM_SurfaceMeshRedraw(benchmark::State& state)
{
    Project p = benchTerrain();
    p.DisplayMode = PictureKind::Surface;
    fitScreen(p);
    redrawLoop(state, p);
}
BENCHMARK(BM_SurfaceMeshRedraw)->Unit(benchmark::kMillisecond);

} // namespace
