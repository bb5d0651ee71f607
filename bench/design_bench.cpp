#include "benchsupport.h"
#include "grading/cutfillmap.h"
#include "grading/designsurface.h"
#include "grading/earthwork.h"
#include "grading/pad.h"
#include "graphics/contourtracer.h"
#include "graphics/imagesurface.h"

#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

// The benchmark terrain against a design plane rising 2 % towards +X and falling 1 % towards
// +Y through its mean height, and a pad on its middle third with 1.5:1 and 2:1 batters.
EarthworkGrid slopedDesign(const EarthworkGrid& g)
{
    EarthworkGrid d = g;
    for (int n = 0; n < g.rows * g.cols; ++n)
        d.h[std::size_t(n)] =
            100 + 0.02 * (n % g.cols) * g.spacing - 0.01 * (n / g.cols) * g.spacing;
    return d;
}

const PadRect MiddleThird{60, 60, 120, 120};
const PadSlopes Batters{1.5, 2.0};

// The yardstick: the existing gross cut/fill against a level platform, per cell with the
// four-corner figures, as its dialog computes it.
void BM_DesignYardstickGrossLevel(benchmark::State& state)
{
    const Project p = benchTerrain();
    for (auto _ : state)
        benchmark::DoNotOptimize(computeEarthwork(p, {100, 0, 0}));
}
BENCHMARK(BM_DesignYardstickGrossLevel)->Unit(benchmark::kMillisecond);

void BM_CompareWithSlopedDesign(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    const EarthworkGrid design = slopedDesign(g);
    Earthwork e;
    for (auto _ : state)
        benchmark::DoNotOptimize(e = depthEarthwork(depthGrid(g, design)));
    state.counters["cut_m3"] = e.gross.cut;
    state.counters["fill_m3"] = e.gross.fill;
}
BENCHMARK(BM_CompareWithSlopedDesign)->Unit(benchmark::kMillisecond);

// A pad at a given level: design, earthwork and the volume per centimetre.
void BM_PadAtLevel(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    PadResult r;
    for (auto _ : state)
        benchmark::DoNotOptimize(r = padAt(g, MiddleThird, 100, Batters, 1));
    state.counters["open_edge"] = double(r.pad.openEdge.size());
}
BENCHMARK(BM_PadAtLevel)->Unit(benchmark::kMillisecond);

// One evaluation of the balance's bisection.
void BM_PadNet(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    for (auto _ : state)
        benchmark::DoNotOptimize(padNet(g, MiddleThird, 100, Batters, 1));
}
BENCHMARK(BM_PadNet)->Unit(benchmark::kMillisecond);

void BM_PadBalance(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    PadResult r;
    for (auto _ : state)
        benchmark::DoNotOptimize(r = balancedPad(g, MiddleThird, Batters, 1.1));
    state.counters["evaluations"] = r.evaluations;
    state.counters["balanced_m"] = r.zp;
}
BENCHMARK(BM_PadBalance)->Unit(benchmark::kMillisecond);

class Discard final : public ContourSink
{
public:
    void level(float, int) override {}
    void point(float x, float y) override { benchmark::DoNotOptimize(x + y); }
    void segment(float x1, float y1, float x2, float y2) override
    {
        benchmark::DoNotOptimize(x1 + y1 + x2 + y2);
    }
    void label(Border, float, float, float) override {}
};

// The map's yardstick: the contour tracer on the same grid at its 1 m interval.
void BM_DesignYardstickContourTrace(benchmark::State& state)
{
    const Project p = benchTerrain();
    for (auto _ : state) {
        Discard sink;
        benchmark::DoNotOptimize(
            TraceContours(p, p.ContourInterval, ContourEmphasis::WholeLevels, sink));
    }
}
BENCHMARK(BM_DesignYardstickContourTrace)->Unit(benchmark::kMillisecond);

// The cut/fill map against the sloped design on a 1600 x 1000 screen image; Arg(1) adds the
// cut/fill contours at 1 m.
void BM_CutFillMap(benchmark::State& state)
{
    benchApplication();
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    CutFillMap m;
    m.depth = depthGrid(g, slopedDesign(g));
    m.contourInterval = double(state.range(0));
    QImage image(1600, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        ImageSurface surface(image);
        surface.clear();
        DrawCutFillMap(surface, m, 1.6, 12);
        surface.flush();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CutFillMap)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
