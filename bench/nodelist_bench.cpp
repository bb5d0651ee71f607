#include "benchsupport.h"
#include "project/project.h"
#include "project/ui/nodeentrydialog.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

// Opening the list for the largest grid, up to its first painted frame.
void BM_OpenNodeList(benchmark::State& state)
{
    benchApplication();
    Project p = benchGrid(1, 32767);
    for (auto _ : state) {
        NodeEntryDialog dialog(p);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.grid()->currentIndex());
    }
}
BENCHMARK(BM_OpenNodeList)->Unit(benchmark::kMillisecond);

// Scrolling the open list from top to bottom a page at a time.
void BM_ScrollNodeList(benchmark::State& state)
{
    benchApplication();
    Project p = benchGrid(1, 32767);
    NodeEntryDialog dialog(p);
    dialog.resize(400, 600);
    dialog.show();
    QApplication::processEvents();
    QTableView* view = dialog.grid();
    for (auto _ : state) {
        for (int row = 0; row < p.NodeCount; row += 2000) {
            view->scrollTo(view->model()->index(row, 3));
            view->viewport()->repaint();
        }
    }
}
BENCHMARK(BM_ScrollNodeList)->Unit(benchmark::kMillisecond);

} // namespace
