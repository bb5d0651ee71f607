// Start-up as a user meets it: whole processes, the program and the bare window taken in
// turn so that a busy machine slows both alike.
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

double runMs(const QString& program, const QStringList& args)
{
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TERVAN_QUIT_WHEN_SHOWN"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("DISPLAY")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A settings file of its own, so no remembered window shape or project changes the run.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("/tmp/tervan-bench-config"));
    p.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    p.waitForFinished(60000);
    return clock.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The window (0: empty, 1: opening the sample project) against the bare window; counters in
// milliseconds.
void BM_WindowStartsLikeABareQtWindow(benchmark::State& state)
{
    const QStringList args = state.range(0) ? QStringList{TERVAN_SAMPLE} : QStringList{};
    std::vector<double> ours, bare;
    for (auto _ : state) {
        ours.push_back(runMs(TERVAN_EXE, args));
        bare.push_back(runMs(BARE_EXE, {}));
    }
    state.counters["tervan_ms"] = median(ours);
    state.counters["bare_ms"] = median(bare);
    state.counters["ratio"] = median(ours) / median(bare);
}
BENCHMARK(BM_WindowStartsLikeABareQtWindow)
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// The batch front end's commands that need no GDAL, against its version line.
void BM_BatchCommandWithoutGdal(benchmark::State& state)
{
    const QStringList args = state.range(0) == 0 ? QStringList{"--version"}
                             : state.range(0) == 1
                                 ? QStringList{"info", TERVAN_SAMPLE}
                                 : QStringList{"contours", TERVAN_SAMPLE, "--summary"};
    std::vector<double> times;
    for (auto _ : state)
        times.push_back(runMs(TERVAN_CLI_EXE, args));
    state.counters["median_ms"] = median(times);
}
BENCHMARK(BM_BatchCommandWithoutGdal)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace
