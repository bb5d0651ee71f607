#include "survey/gridding.h"
#include "survey/surface.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <map>
#include <random>

namespace tervan {

namespace {

double ground(double x, double y)
{
    return 100 + 5 * std::sin(x / 200) * std::cos(y / 300);
}

// n shots over 1800 m square, the corners among them: 181 x 181 nodes at 10 m.
const std::vector<SurveyPoint>& shots(int n)
{
    static std::map<int, std::vector<SurveyPoint>> made;
    auto& p = made[n];
    if (p.empty()) {
        std::mt19937 random(3);
        std::uniform_real_distribution<double> u(0, 1800);
        p = {{"a", 0, 0, 0}, {"b", 1800, 0, 0}, {"c", 0, 1800, 0}, {"d", 1800, 1800, 0}};
        while (int(p.size()) < n)
            p.push_back({QString::number(p.size()), u(random), u(random), 0});
        for (auto& s : p)
            s.z = ground(s.x, s.y);
    }
    return p;
}

const GridFrame Frame{0, 0, 10, 181, 181};

// What the grid command does: grid, then the quality report with its leave-one-out.
void BM_GridWithQuality(benchmark::State& state)
{
    const auto& points = shots(int(state.range(0)));
    const auto method = GridMethod(state.range(1));
    for (auto _ : state) {
        const MergedPoints merged = mergeDuplicates(points);
        const auto grid = std::get<GridResult>(makeGrid(merged.points, Frame, method));
        benchmark::DoNotOptimize(
            gridQuality(merged.points, Frame, grid, int(points.size()), merged));
    }
}
BENCHMARK(BM_GridWithQuality)
    ->ArgsProduct({{10000, 100000}, {int(GridMethod::Linear), int(GridMethod::InverseDistance)}})
    ->ArgNames({"shots", "method"})
    ->Unit(benchmark::kMillisecond);

// 80,000 shots on two survey lines (one easting each) against as many scattered.
void BM_MergeDuplicates(benchmark::State& state)
{
    std::vector<SurveyPoint> points;
    if (state.range(0) == 0) {
        for (int i = 0; i < 80000; ++i)
            points.push_back({QString::number(i), i % 2 ? 100.0 : 200.0, 0.01 * (i / 2), 100});
    } else {
        points = shots(80000);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(mergeDuplicates(points));
}
BENCHMARK(BM_MergeDuplicates)
    ->Arg(0)
    ->Arg(1)
    ->ArgNames({"scattered"})
    ->Unit(benchmark::kMillisecond);

// 10,000 shots and 20 breaklines of 100 vertices each, winding across the site.
void BM_GridWithBreaklines(benchmark::State& state)
{
    GridOptions options;
    for (int l = 0; l < 20; ++l) {
        Breakline b{QString::number(l), {}};
        for (int i = 0; i < 100; ++i) {
            const double x = 45 + 85 * l + 20 * std::sin(i / 7.0), y = 5 + 17.9 * i;
            b.vertices.push_back({x, y, ground(x, y) - 1});
        }
        options.breaklines.push_back(b);
    }
    const auto& points = shots(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(makeGrid(points, Frame, GridMethod::Linear, options));
}
BENCHMARK(BM_GridWithBreaklines)->Unit(benchmark::kMillisecond);

void BM_Triangulate(benchmark::State& state)
{
    const auto& points = shots(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(SurveyTin::make(points));
}
BENCHMARK(BM_Triangulate)->Arg(100000)->ArgNames({"shots"})->Unit(benchmark::kMillisecond);

// The triangulation and every shot's residual without it.
void BM_LeaveOneOut(benchmark::State& state)
{
    const auto& points = shots(int(state.range(0)));
    for (auto _ : state) {
        const auto tin = std::get<std::unique_ptr<SurveyTin>>(SurveyTin::make(points));
        benchmark::DoNotOptimize(tin->leaveOneOut());
    }
}
BENCHMARK(BM_LeaveOneOut)->Arg(100000)->ArgNames({"shots"})->Unit(benchmark::kMillisecond);

} // namespace

} // namespace tervan
