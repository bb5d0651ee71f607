#include "survey/gridding.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace tervan {

namespace {

// 10,000 shots over 1800 m square, the corners among them: 181 x 181 nodes at 10 m.
const std::vector<SurveyPoint>& shots()
{
    static const std::vector<SurveyPoint> points = [] {
        std::mt19937 random(3);
        std::uniform_real_distribution<double> u(0, 1800);
        std::vector<SurveyPoint> p = {
            {"a", 0, 0, 0}, {"b", 1800, 0, 0}, {"c", 0, 1800, 0}, {"d", 1800, 1800, 0}};
        while (p.size() < 10000)
            p.push_back({QString::number(p.size()), u(random), u(random), 0});
        for (auto& s : p)
            s.z = 100 + 5 * std::sin(s.x / 200) * std::cos(s.y / 300);
        return p;
    }();
    return points;
}

const GridFrame Frame{0, 0, 10, 181, 181};

void BM_Grid(benchmark::State& state)
{
    const auto method = GridMethod(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(makeGrid(shots(), Frame, method));
}
BENCHMARK(BM_Grid)
    ->Arg(int(GridMethod::Linear))
    ->Arg(int(GridMethod::InverseDistance))
    ->ArgNames({"method"})
    ->Unit(benchmark::kMillisecond);

// The gdal_grid tool on the same points and nodes, the same algorithm strings (the radius
// is the one the gridding starts with: three mean shot spacings).
void BM_GdalGridTool(benchmark::State& state)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("gdal_grid"));
    if (tool.isEmpty()) {
        state.SkipWithError("gdal_grid is not installed");
        return;
    }
    QTemporaryDir dir;
    QFile file(dir.filePath("p.csv"));
    file.open(QIODevice::WriteOnly);
    file.write("x,y,z\n");
    for (const auto& p : shots())
        file.write(QStringLiteral("%1,%2,%3\n")
                       .arg(p.x, 0, 'f', 6)
                       .arg(p.y, 0, 'f', 6)
                       .arg(p.z, 0, 'f', 6)
                       .toUtf8());
    file.close();
    QFile vrt(dir.filePath("p.vrt"));
    vrt.open(QIODevice::WriteOnly);
    vrt.write("<OGRVRTDataSource><OGRVRTLayer name=\"p\"><SrcDataSource>" +
              file.fileName().toUtf8() +
              "</SrcDataSource><GeometryType>wkbPoint25D</GeometryType>"
              "<GeometryField encoding=\"PointFromColumns\" x=\"x\" y=\"y\" z=\"z\"/>"
              "</OGRVRTLayer></OGRVRTDataSource>");
    vrt.close();
    const char* algorithm = state.range(0) == int(GridMethod::Linear)
                                ? "linear:radius=0:nodata=-1e30"
                                : "invdistnn:power=2:smoothing=0:max_points=12:min_points=1:"
                                  "radius=54:nodata=-1e30";
    const QStringList args = {"-q",   "-a",       algorithm,      "-txe",
                              "-5",   "1805",     "-tye",         "-5",
                              "1805", "-outsize", "181",          "181",
                              "-ot",  "Float64",  vrt.fileName(), dir.filePath("g.tif")};
    for (auto _ : state)
        QProcess::execute(tool, args);
}
BENCHMARK(BM_GdalGridTool)
    ->Arg(int(GridMethod::Linear))
    ->Arg(int(GridMethod::InverseDistance))
    ->ArgNames({"method"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

} // namespace tervan
