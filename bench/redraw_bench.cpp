// What the window's redraw costs beyond the drawing itself: the bytes and blocks taken from
// operator new per picture, and how many of those blocks are as large as the node array (a copy
// of the whole project carries one). Its own program, since it replaces the global operator new.
#include "app/picturedrawing.h"
#include "benchsupport.h"
#include "grading/grading.h"
#include "graphics/ui/plotwidget.h"
#include "graphics/viewwindow.h"

#include <QStatusBar>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> allocatedBytes{0};
std::atomic<std::size_t> allocatedBlocks{0};
std::atomic<std::size_t> largeBlocks{0};
std::atomic<std::size_t> largeBlockBytes{~std::size_t(0)};

void* take(std::size_t size)
{
    allocatedBytes.fetch_add(size, std::memory_order_relaxed);
    allocatedBlocks.fetch_add(1, std::memory_order_relaxed);
    if (size >= largeBlockBytes.load(std::memory_order_relaxed))
        largeBlocks.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size)
{
    return take(size);
}
void* operator new[](std::size_t size)
{
    return take(size);
}
void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete[](void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

using namespace tervan;

namespace {

// The largest terrain graded both ways, fitted to a 1600 x 1000 plot; every iteration zooms in
// or out and has the window's worker draw the new view: 1 the grid, 2 the grid with contours
// every metre.
void BM_WindowRedrawAllocations(benchmark::State& state)
{
    benchApplication();
    Project p = benchTerrain();
    p.DisplayMode = decltype(p.DisplayMode)(state.range(0));
    AutoGradeElev(p);
    p.FixGradeElevation = p.AutoGradeElevation;
    FixGradeElev(p);
    QWidget window;
    auto* plot = new PlotWidget(&window);
    auto* bar = new QStatusBar(&window);
    plot->resize(1600, 1000);
    window.show();
    PictureDrawing drawing(p, plot, bar, &window);
    fitScreen(p);
    drawing.request({});
    drawing.waitForPicture();

    largeBlockBytes = p.Nodes.size() * sizeof(NodePoint);
    const std::size_t bytesBefore = allocatedBytes, blocksBefore = allocatedBlocks,
                      largeBefore = largeBlocks;
    bool in = true;
    for (auto _ : state) {
        if (in)
            zoomIn(p);
        else
            zoomOut(p);
        in = !in;
        drawing.request({});
        drawing.waitForPicture();
    }
    const double pictures = double(state.iterations());
    state.counters["bytes_per_redraw"] = double(allocatedBytes - bytesBefore) / pictures;
    state.counters["blocks_per_redraw"] = double(allocatedBlocks - blocksBefore) / pictures;
    state.counters["node_arrays_per_redraw"] = double(largeBlocks - largeBefore) / pictures;
    largeBlockBytes = ~std::size_t(0);
}
BENCHMARK(BM_WindowRedrawAllocations)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
