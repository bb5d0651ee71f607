// Contours out of the 181 x 181 terrain at 0.1 m against gdal_contour on the same grid, the
// three taken in turn within each iteration so a busy machine slows them alike.
#include "benchsupport.h"

#include "exchange/exchange.h"

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
    saveBytes(asciiGridBytes(p), asc);
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

} // namespace
} // namespace tervan
