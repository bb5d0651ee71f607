#include "benchsupport.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/controldata.h"
#include "project/project.h"

#include <benchmark/benchmark.h>
#include <charconv>
#include <cmath>

using namespace tervan;

namespace {

// The smooth terrain of the gdal_contour comparison, about 100 m of relief. Heights are
// rounded to two decimals as text and read back, as the generator's round() does, so the
// benchmark traces exactly the nodes of the generated project files.
double terrainHeight(double x, double y)
{
    return 100 + 40 * std::sin(x / 300) * std::cos(y / 250) +
           30 * std::exp(-((x - 900) * (x - 900) + (y - 700) * (y - 700)) / 200000) +
           10 * std::sin((x + y) / 97);
}

float roundedHeight(double x, double y)
{
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, terrainHeight(x, y), std::chars_format::fixed, 2)
            .ptr;
    double v = 0;
    std::from_chars(text, end, v);
    return float(v);
}

// The largest grid, 181 x 181 nodes at 10 m.
Project terrain()
{
    Project p = startupProject();
    applyControlData(p, {10, 181, 181, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = roundedHeight(p.Nodes[n].X, p.Nodes[n].Y);
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    return p;
}

// Intervals for about 10, 100 and 1000 levels over the 51.14 .. 159.72 m of the terrain.
float intervalFor(std::int64_t levels)
{
    return levels >= 1000 ? 0.1f : levels >= 100 ? 1.0f : 10.0f;
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
    const Project p = terrain();
    const float interval = intervalFor(state.range(0));
    CountingSink last;
    for (auto _ : state) {
        CountingSink sink;
        benchmark::DoNotOptimize(TraceContours(p, interval, -1, sink));
        last = sink;
    }
    state.counters["levels"] = double(last.levels);
    state.counters["segments"] = double(last.segments);
    state.counters["points"] = double(last.points);
    state.counters["labels"] = double(last.labels);
    state.counters["segments/s"] =
        benchmark::Counter(double(last.segments), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ContourTrace)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The grid with its contours as the window draws it, fitted to a 1600 x 1000 screen.
void BM_ContourRedraw(benchmark::State& state)
{
    Project p = terrain();
    p.DisplayMode = 2;
    p.ContourInterval = intervalFor(state.range(0));
    fitScreen(p);
    redrawLoop(state, p);
}
BENCHMARK(BM_ContourRedraw)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// The wire-frame surface of the same terrain.
void BM_SurfaceMeshRedraw(benchmark::State& state)
{
    Project p = terrain();
    p.DisplayMode = 3;
    fitScreen(p);
    redrawLoop(state, p);
}
BENCHMARK(BM_SurfaceMeshRedraw)->Unit(benchmark::kMillisecond);

} // namespace
