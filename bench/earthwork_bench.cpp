#include "benchsupport.h"
#include "grading/balancechart.h"
#include "grading/earthwork.h"
#include "grading/grading.h"
#include "grading/suspectheights.h"
#include "graphics/imagesurface.h"

#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

// Each earthwork computation on the largest grid, at the gross balanced platform; the
// counters carry the figures themselves (gross against four-corner, in percent).
void BM_GrossCutFill(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    const double z = balancedElevation(g, 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(grossCutFill(g, z));
}
BENCHMARK(BM_GrossCutFill)->Unit(benchmark::kMillisecond);

void BM_GrossEarthworkWithCells(benchmark::State& state)
{
    const Project p = benchTerrain();
    const double z = balancedElevation(earthworkGrid(p), 1);
    Earthwork e;
    for (auto _ : state)
        benchmark::DoNotOptimize(e = computeEarthwork(p, {z, 0, 0}));
    state.counters["gross_cut_m3"] = e.gross.cut;
    state.counters["four_corner_cut_m3"] = e.fourCorner.cut;
    state.counters["cut_difference_pct"] = e.cutDifferencePercent();
    state.counters["fill_difference_pct"] = e.fillDifferencePercent();
}
BENCHMARK(BM_GrossEarthworkWithCells)->Unit(benchmark::kMillisecond);

void BM_FourCornerFixedGrade(benchmark::State& state)
{
    Project p = benchTerrain();
    p.FixGradeElevation = float(balancedElevation(earthworkGrid(p), 1));
    for (auto _ : state) {
        FixGradeElev(p);
        benchmark::DoNotOptimize(p.FixCutVolume);
    }
}
BENCHMARK(BM_FourCornerFixedGrade)->Unit(benchmark::kMillisecond);

void BM_SlopedEarthwork(benchmark::State& state)
{
    const Project p = benchTerrain();
    for (auto _ : state) {
        const double zc = balancedElevation(earthworkGrid(p, 1.5, -2), 1);
        benchmark::DoNotOptimize(computeEarthwork(p, {zc, 1.5, -2}));
    }
}
BENCHMARK(BM_SlopedEarthwork)->Unit(benchmark::kMillisecond);

void BM_BalancedElevation(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    for (auto _ : state)
        benchmark::DoNotOptimize(balancedElevation(g, 1.15));
}
BENCHMARK(BM_BalancedElevation)->Unit(benchmark::kMillisecond);

void BM_BalanceCurve(benchmark::State& state)
{
    const EarthworkGrid g = earthworkGrid(benchTerrain());
    for (auto _ : state)
        benchmark::DoNotOptimize(computeBalance(g, 1.15));
}
BENCHMARK(BM_BalanceCurve)->Unit(benchmark::kMillisecond);

void BM_BalanceChart(benchmark::State& state)
{
    benchApplication();
    const Balance b = computeBalance(earthworkGrid(benchTerrain()), 1.15);
    QImage image(1200, 800, QImage::Format_RGB32);
    for (auto _ : state) {
        ImageSurface surface(image);
        surface.clear();
        DrawBalanceChart(surface, b, 105.0, 12);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_BalanceChart)->Unit(benchmark::kMillisecond);

// Argument 1: with a third of the grid levelled at 0 m, where the local deviations drop to none.
void BM_SuspectHeights(benchmark::State& state)
{
    Project p = benchTerrain();
    for (int n = 1; state.range(0) && n <= p.NodeCount / 3; ++n)
        p.Nodes[n].Z = 0;
    p.Nodes[16000].Z = 1001.92f;
    std::size_t found = 0;
    for (auto _ : state)
        found = findSuspectHeights(p).suspects.size();
    state.counters["suspects"] = double(found);
}
BENCHMARK(BM_SuspectHeights)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
