#include "app/mainwindow.h"
#include "benchsupport.h"
#include "printing/cairopdfbackend.h"
#include "printing/painterbackend.h"
#include "printing/recordingpage.h"
#include "printing/reports.h"
#include "printing/ui/printjobs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cairo-pdf.h>
#include <memory>
#include <pango/pangocairo.h>

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

// The contour page of the largest terrain to PDF at interval argument 0 / 100: argument 1 is 0
// for every traced point at full precision (as pages were written before), 1 for the paper's
// resolution.
void BM_ContourPagePdf(benchmark::State& state)
{
    benchApplication();
    Project p = benchTerrain();
    p.ContourInterval = float(state.range(0)) / 100;
    const bool paper = state.range(1) != 0;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("contours.pdf"));
    for (auto _ : state) {
        CairoPdfBackend output(file, paper ? 1.0 / 16 : 0);
        {
            PageSurface page(output);
            page.setPolylineTolerance(paper ? PolylineToleranceTwips : 0);
            GraphicPrint(page, p, 2, {});
        }
        benchmark::DoNotOptimize(output.finish());
    }
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
}
BENCHMARK(BM_ContourPagePdf)
    ->Args({5, 0})
    ->Args({5, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The same terrain and interval through gdal_contour's PDF writer, from an ASCII grid.
void BM_GdalContourPdf(benchmark::State& state)
{
    const Project p = benchTerrain();
    QTemporaryDir dir;
    const QString grid = dir.filePath(QStringLiteral("terrain.asc"));
    const QString file = dir.filePath(QStringLiteral("contours.pdf"));
    {
        QFile out(grid);
        if (!out.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the grid");
            return;
        }
        QByteArray text = QByteArrayLiteral("ncols 181\nnrows 181\nxllcorner -5\nyllcorner -5\n"
                                            "cellsize 10\n");
        // Rows from the north, as the format stores them.
        for (int r = p.GridRows - 1; r >= 0; --r) {
            for (int c = 0; c < p.GridCols; ++c)
                text += QByteArray::number(p.Nodes[1 + r * p.GridCols + c].Z, 'f', 2) + ' ';
            text += '\n';
        }
        out.write(text);
    }
    const QString interval = QString::number(double(state.range(0)) / 100);
    for (auto _ : state) {
        QFile::remove(file);
        QProcess gdal;
        gdal.start(QStringLiteral("gdal_contour"),
                   {QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("PDF"),
                    QStringLiteral("-i"), interval, grid, file});
        if (!gdal.waitForFinished(600000) || gdal.exitCode() != 0) {
            state.SkipWithError("gdal_contour failed");
            return;
        }
    }
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
}
BENCHMARK(BM_GdalContourPdf)->Arg(5)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// Both grading reports of the largest terrain to PDF, in pages a second.
void BM_TextReportPages(benchmark::State& state)
{
    benchApplication();
    Project p = benchTerrain();
    p.FixGradeElevation = 100;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grades.pdf"));
    int pages = 0;
    for (auto _ : state) {
        CairoPdfBackend output(file);
        {
            PageSurface page(output);
            GradePrint(page, p, 4);
        }
        benchmark::DoNotOptimize(output.finish());
        pages += output.pageCount();
    }
    state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TextReportPages)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same texts at the same places, written by a bare Cairo and Pango program: the reports
// recorded once, then every text set and shown on its page.
void BM_BareCairoPangoPages(benchmark::State& state)
{
    benchApplication();
    Project p = benchTerrain();
    p.FixGradeElevation = 100;
    RecordingPage recorded;
    {
        PageSurface page(recorded);
        GradePrint(page, p, 4);
    }
    QTemporaryDir dir;
    const QByteArray file = QFile::encodeName(dir.filePath(QStringLiteral("bare.pdf")));
    int pages = 0;
    for (auto _ : state) {
        cairo_surface_t* surface = cairo_pdf_surface_create(file.constData(), 595.28, 841.89);
        cairo_t* cr = cairo_create(surface);
        PangoLayout* layout = pango_cairo_create_layout(cr);
        QHash<int, PangoFontDescription*> fonts;
        int document = 0;
        for (const RecordingPage::Item& item : recorded.items()) {
            if (item.isLine() || item.text.isEmpty())
                continue;
            if (item.document != document) {
                cairo_show_page(cr);
                document = item.document;
                ++pages;
            }
            const int key = int(item.points * 10) * 2 + item.bold;
            PangoFontDescription*& font = fonts[key];
            if (!font) {
                font = pango_font_description_from_string(item.bold ? "Sans Bold" : "Sans");
                pango_font_description_set_size(font, int(item.points * 0.7 * PANGO_SCALE));
            }
            pango_layout_set_font_description(layout, font);
            const QByteArray utf8 = item.text.toUtf8();
            pango_layout_set_text(layout, utf8.constData(), int(utf8.size()));
            cairo_move_to(cr, 17 + item.at.x() / 20, 17 + item.at.y() / 20);
            pango_cairo_show_layout(cr, layout);
        }
        ++pages;
        for (PangoFontDescription* font : std::as_const(fonts))
            pango_font_description_free(font);
        g_object_unref(layout);
        cairo_destroy(cr);
        cairo_surface_finish(surface);
        cairo_surface_destroy(surface);
    }
    state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareCairoPangoPages)->Unit(benchmark::kMillisecond)->Iterations(2);

// The window while the contour page at 0.01 (argument 0) or both grading reports (argument 1)
// print to PDF: a timer beats every 5 ms, and the longest gap between beats is what a user
// would feel as a freeze.
void BM_WindowWhilePrinting(benchmark::State& state)
{
    benchApplication();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pages.pdf"));
    double longestGap = 0, printing = 0;
    for (auto _ : state) {
        MainWindow window;
        window.project() = benchTerrain();
        window.project().ContourInterval = 0.01f;
        window.project().FixGradeElevation = 100;
        window.setPrintOutput(
            [&file](Prompts&) { return std::make_unique<CairoPdfBackend>(file); });
        window.resize(1600, 1000);
        window.show();
        QCoreApplication::processEvents();
        const auto [gap, took] = loopGapsWhile(
            [&] {
                if (state.range(0) == 0)
                    window.GraphicPrint_Click(2);
                else
                    window.GradePrint_Click(4);
            },
            [&] {
                while (window.printJobs().busy())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            });
        printing = took;
        longestGap = std::max(longestGap, gap);
    }
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["print_ms"] = printing;
}
BENCHMARK(BM_WindowWhilePrinting)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
