#include "benchsupport.h"
#include "graphics/imagesurface.h"
#include "graphics/redraw.h"
#include "graphics/viewwindow.h"
#include "project/project.h"

#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

// The grid picture of the largest grid, fitted to the screen, numbers and elevations on.
void BM_RedrawLargestGrid(benchmark::State& state)
{
    benchApplication();
    Project p = benchGrid(181, 181);
    fitScreen(p);
    redrawLoop(state, p);
}
BENCHMARK(BM_RedrawLargestGrid)->Unit(benchmark::kMillisecond);

// The same grid without labels (0) and with every label on (1): the labels' share.
void BM_RedrawLargestGridLabels(benchmark::State& state)
{
    benchApplication();
    Project p = benchGrid(181, 181);
    fitScreen(p);
    const bool all = state.range(0) != 0;
    redrawLoop(state, p, NodeLabels{all, all, all});
}
BENCHMARK(BM_RedrawLargestGridLabels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The startup picture, and the same after zooming out 200 times: the dot lattice then has
// 415 x 312 dots but the screen has fewer pixels.
void BM_RedrawAfterZoomOuts(benchmark::State& state)
{
    benchApplication();
    Project p = startupProject();
    for (int i = 0; i < state.range(0); ++i)
        zoomOut(p);
    redrawLoop(state, p);
}
BENCHMARK(BM_RedrawAfterZoomOuts)->Arg(0)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace
