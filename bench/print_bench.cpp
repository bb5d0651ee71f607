#include "benchsupport.h"
#include "printing/cairopdfbackend.h"
#include "printing/painterbackend.h"
#include "printing/reports.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

using namespace tervan;

namespace {

// The node table and both pictures of a 41 x 41 grid (73 pages) into one PDF file, through
// Qt's painter on its PDF writer (argument 0) or through Cairo and Pango (argument 1).
void BM_PrintPdf(benchmark::State& state)
{
    benchApplication();
    Project p = benchGrid(41, 41);
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.pdf"));
    for (auto _ : state) {
        std::unique_ptr<PageBackend> output;
        if (state.range(0) == 0) {
            auto pdf = std::make_unique<QPdfWriter>(file);
            pdf->setPageSize(QPageSize(QPageSize::A4));
            pdf->setResolution(600);
            pdf->setPageMargins(QMarginsF(6, 6, 6, 6), QPageLayout::Millimeter);
            output = std::make_unique<PainterBackend>(std::move(pdf),
                                                      PainterBackend::Documents::PagesOfOneFile);
        } else {
            output = std::make_unique<CairoPdfBackend>(file);
        }
        {
            PageSurface page(*output);
            PrintNodeElev(page, p);
            GraphicPrint(page, p, 4, {false, true, true});
        }
        benchmark::DoNotOptimize(output->finish());
    }
}
BENCHMARK(BM_PrintPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
