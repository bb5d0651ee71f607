// Contours out of the 181 x 181 terrain at 0.1 m against gdal_contour on the same grid, the
// three taken in turn within each iteration so a busy machine slows them alike; the DXF's size
// against ogr2ogr's DXF of the same lines; the batch front end's peak memory by interval.
#include "benchsupport.h"

#include "exchange/exchange.h"
#include "project/projectfile.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>

namespace tervan {
namespace {

double secondsOf(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ContoursOutVsGdalContour(benchmark::State& state)
{
    const Project p = benchTerrain();
    const float interval = 0.1f;
    QTemporaryDir dir;
    const QString asc = dir.filePath(QStringLiteral("terrain.asc"));
    writeAsciiGrid(ExportJob{p, {}, {}, {}}, asc);
    const QString dxf = dir.filePath(QStringLiteral("c.dxf"));
    const QString gpkg = dir.filePath(QStringLiteral("c.gpkg"));
    const QString gdal = dir.filePath(QStringLiteral("g.gpkg"));
    const auto* dxfFormat = exportFormatOf(ExportKind::Contours, dxf);
    const auto* gpkgFormat = exportFormatOf(ExportKind::Contours, gpkg);
    double dxfTime = 0, gpkgTime = 0, gdalTime = 0;
    for (auto _ : state) {
        dxfTime += secondsOf([&] { exportProject(p, *dxfFormat, dxf, interval, {}); });
        gpkgTime += secondsOf([&] { exportProject(p, *gpkgFormat, gpkg, interval, {}); });
        gdalTime += secondsOf([&] {
            QFile::remove(gdal);
            QProcess::execute(QStringLiteral("gdal_contour"),
                              {QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("GPKG"),
                               QStringLiteral("-a"), QStringLiteral("elev"), QStringLiteral("-i"),
                               QStringLiteral("0.1"), asc, gdal});
        });
    }
    using C = benchmark::Counter;
    state.counters["dxf_s"] = C(dxfTime, C::kAvgIterations);
    state.counters["gpkg_s"] = C(gpkgTime, C::kAvgIterations);
    state.counters["gdal_contour_s"] = C(gdalTime, C::kAvgIterations);
    state.counters["dxf_MB"] = double(QFileInfo(dxf).size()) / 1e6;
    state.counters["gpkg_MB"] = double(QFileInfo(gpkg).size()) / 1e6;
    state.counters["gdal_gpkg_MB"] = double(QFileInfo(gdal).size()) / 1e6;
}
BENCHMARK(BM_ContoursOutVsGdalContour)->Unit(benchmark::kSecond)->Iterations(5);

// The DXF's bytes against GDAL's DXF driver writing the same lines, taken from the program's own
// Shapefile with each line's level as its Z. GDAL writes only the lines; the program's file also
// holds the grid, the nodes with their heights, the labels and the title.
void BM_DxfBytesVsOgr2ogr(benchmark::State& state)
{
    const Project p = benchTerrain();
    const float interval = float(state.range(0)) / 100;
    QTemporaryDir dir;
    const QString dxf = dir.filePath(QStringLiteral("c.dxf"));
    const QString shp = dir.filePath(QStringLiteral("c.shp"));
    const QString ogr = dir.filePath(QStringLiteral("ogr.dxf"));
    exportProject(p, *exportFormatOf(ExportKind::Contours, shp), shp, interval, {});
    // The driver says on stderr that a DXF layer has no field for the level; Z carries it.
    QProcess ogr2ogr;
    ogr2ogr.setStandardErrorFile(QProcess::nullDevice());
    ogr2ogr.start(QStringLiteral("ogr2ogr"),
                  {QStringLiteral("-f"), QStringLiteral("DXF"), QStringLiteral("-zfield"),
                   QStringLiteral("elev"), ogr, shp});
    ogr2ogr.waitForFinished(-1);
    const auto* format = exportFormatOf(ExportKind::Contours, dxf);
    for (auto _ : state)
        exportProject(p, *format, dxf, interval, {});
    const double mine = double(QFileInfo(dxf).size()), theirs = double(QFileInfo(ogr).size());
    state.counters["dxf_MB"] = mine / 1e6;
    state.counters["ogr2ogr_MB"] = theirs / 1e6;
    state.counters["ratio"] = theirs > 0 ? mine / theirs : 0;
}
BENCHMARK(BM_DxfBytesVsOgr2ogr)->Arg(10)->Unit(benchmark::kSecond)->Iterations(1);

// Peak resident memory of `tervan-cli contours PROJECT -o c.dxf --interval I` as a whole
// process, in MB, and the seconds it took. A small Python process forks it and reads its
// rusage: a child spawned from this large process would count this one's peak as its own.
std::pair<double, double> cliPeak(const QString& project, const QString& out, const QString& step)
{
    static const QString peakOfChild = QStringLiteral("import os, sys\n"
                                                      "pid = os.fork()\n"
                                                      "if pid == 0:\n"
                                                      "    os.execv(sys.argv[1], sys.argv[1:])\n"
                                                      "print(os.wait4(pid, 0)[2].ru_maxrss)\n");
    QProcess run;
    const auto start = std::chrono::steady_clock::now();
    run.start(QStringLiteral("/usr/bin/python3"),
              {QStringLiteral("-c"), peakOfChild, QStringLiteral(TERVAN_CLI_EXE),
               QStringLiteral("contours"), project, QStringLiteral("-o"), out,
               QStringLiteral("--interval"), step});
    run.waitForFinished(-1);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {run.readAllStandardOutput().trimmed().toDouble() / 1024, seconds}; // kB
}

// The DXF is written as the levels are traced: at 0.01 m, ten times the lines of 0.1 m, the
// process should need little more memory than at 0.1 m.
void BM_DxfPeakMemory(benchmark::State& state)
{
    QTemporaryDir dir;
    const ProjectFileNames names = projectFileNames(dir.filePath(QStringLiteral("terrain")));
    saveProjectFiles(benchTerrain(), names);
    const QString out = dir.filePath(QStringLiteral("c.dxf"));
    double coarse = 0, fine = 0, coarseTime = 0, fineTime = 0;
    for (auto _ : state) {
        const auto [mb1, s1] = cliPeak(names.base, out, QStringLiteral("0.1"));
        const auto [mb2, s2] = cliPeak(names.base, out, QStringLiteral("0.01"));
        coarse = std::max(coarse, mb1), fine = std::max(fine, mb2);
        coarseTime += s1, fineTime += s2;
    }
    using C = benchmark::Counter;
    state.counters["peak_0.1_MB"] = coarse;
    state.counters["peak_0.01_MB"] = fine;
    state.counters["peak_ratio"] = coarse > 0 ? fine / coarse : 0;
    state.counters["time_0.1_s"] = C(coarseTime, C::kAvgIterations);
    state.counters["time_0.01_s"] = C(fineTime, C::kAvgIterations);
    state.counters["dxf_0.01_MB"] = double(QFileInfo(out).size()) / 1e6;
}
BENCHMARK(BM_DxfPeakMemory)->Unit(benchmark::kSecond)->Iterations(2);

} // namespace
} // namespace tervan
