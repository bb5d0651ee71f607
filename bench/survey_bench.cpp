#include "survey/gridding.h"
#include "survey/surface.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <fcntl.h>
#include <map>
#include <random>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// CPU seconds (user and system) of one whole process, its output thrown away.
double processSeconds(const std::vector<QByteArray>& args)
{
    std::vector<char*> argv;
    for (const QByteArray& a : args)
        argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &quiet, nullptr, argv.data(), ::environ) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&quiet);
    int status = 0;
    rusage used{};
    wait4(child, &status, 0, &used);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(used.ru_utime) + seconds(used.ru_stime);
}

// The grid command with its quality report against gdal_grid with the same method, the same
// shots (in UTM zone 47N) and nodes, whole processes taken in turn.
void BM_GridCommandAgainstGdalGrid(benchmark::State& state)
{
    const QString gdal = QStandardPaths::findExecutable(QStringLiteral("gdal_grid"));
    if (gdal.isEmpty()) {
        state.SkipWithError("gdal_grid is not installed");
        return;
    }
    const bool linear = state.range(1) == int(GridMethod::Linear);
    QTemporaryDir dir;
    const QByteArray csv = dir.filePath(QStringLiteral("shots.csv")).toUtf8();
    {
        QFile file(QString::fromUtf8(csv));
        file.open(QIODevice::WriteOnly);
        QByteArray text = "x,y,z\n";
        for (const SurveyPoint& p : shots(int(state.range(0))))
            text += QByteArray::number(660000 + p.x, 'f', 3) + ',' +
                    QByteArray::number(1520000 + p.y, 'f', 3) + ',' +
                    QByteArray::number(p.z, 'f', 3) + '\n';
        file.write(text);
    }
    const QByteArray vrt = dir.filePath(QStringLiteral("shots.vrt")).toUtf8();
    {
        QFile file(QString::fromUtf8(vrt));
        file.open(QIODevice::WriteOnly);
        file.write("<OGRVRTDataSource><OGRVRTLayer name=\"shots\"><SrcDataSource>" + csv +
                   "</SrcDataSource><GeometryType>wkbPoint</GeometryType><GeometryField "
                   "encoding=\"PointFromColumns\" x=\"x\" y=\"y\" z=\"z\"/></OGRVRTLayer>"
                   "</OGRVRTDataSource>");
    }
    const std::vector<QByteArray> ours = {TERVAN_CLI,
                                          "grid",
                                          csv,
                                          "-o",
                                          dir.filePath(QStringLiteral("p")).toUtf8(),
                                          "--spacing",
                                          "10",
                                          "--from-crs",
                                          "EPSG:32647",
                                          "--method",
                                          linear ? "linear" : "idw"};
    const std::vector<QByteArray> theirs = {
        gdal.toUtf8(),
        "-q",
        "-a",
        linear ? "linear:radius=0:nodata=-1e30"
               // Without a radius GDAL's search takes minutes at 100,000 shots: three mean
               // spacings holds the 12 nearest nearly everywhere.
               : (state.range(0) >= 100000
                      ? "invdistnn:power=2:smoothing=0:max_points=12:min_points=1:radius=17"
                      : "invdistnn:power=2:smoothing=0:max_points=12:min_points=1:radius=54"),
        "-txe",
        "659995",
        "661805",
        "-tye",
        "1519995",
        "1521805",
        "-outsize",
        "181",
        "181",
        "-ot",
        "Float64",
        vrt,
        dir.filePath(QStringLiteral("g.tif")).toUtf8()};
    double mine = 0, tool = 0;
    for (auto _ : state) {
        const double a = processSeconds(ours), b = processSeconds(theirs);
        if (a < 0 || b < 0) {
            state.SkipWithError("a process failed");
            return;
        }
        mine += a, tool += b;
    }
    state.counters["grid_cpu_s"] = mine / double(state.iterations());
    state.counters["gdal_grid_cpu_s"] = tool / double(state.iterations());
    state.counters["ratio"] = mine / tool;
}
BENCHMARK(BM_GridCommandAgainstGdalGrid)
    ->ArgsProduct({{10000, 100000}, {int(GridMethod::Linear), int(GridMethod::InverseDistance)}})
    ->Args({1000000, int(GridMethod::Linear)})
    ->ArgNames({"shots", "method"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

} // namespace tervan
