#include "project/projectfile.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

// The largest grid a header can describe: one row of 32767 nodes, Thai headings.
Project largestProject()
{
    Project p = startupProject();
    p.ProjectName = QStringLiteral("โครงการถนนสายใหม่ ตอนที่ 1");
    p.EngineerName = QStringLiteral("สมชาย ใจดี");
    p.GridRows = 1;
    p.GridCols = p.NodeCount = 32767;
    p.GridSpacing = 10;
    p.ContourInterval = 0.5f;
    p.Nodes.resize(p.NodeCount + 1);
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n] = {float((n - 1) * 10), 0.0f, 100.0f + float(n % 977) * 0.01f};
    return p;
}

const qint64 PairBytes = HeaderBytes + 32767 * NodeRecordBytes;

void BM_ReadProject(benchmark::State& state)
{
    const Project p = largestProject();
    QByteArray gnd = encodeHeader(p);
    QByteArray nod = encodeNodes(p);
    for (auto _ : state) {
        QBuffer g(&gnd), n(&nod);
        g.open(QIODevice::ReadOnly);
        n.open(QIODevice::ReadOnly);
        auto read = readProject(g, n);
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(state.iterations() * PairBytes);
}
BENCHMARK(BM_ReadProject)->Unit(benchmark::kMicrosecond);

void BM_EncodeHeader(benchmark::State& state)
{
    const Project p = largestProject();
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeHeader(p));
}
BENCHMARK(BM_EncodeHeader)->Unit(benchmark::kMicrosecond);

void BM_EncodeProject(benchmark::State& state)
{
    const Project p = largestProject();
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeHeader(p));
        benchmark::DoNotOptimize(encodeNodes(p));
    }
    state.SetBytesProcessed(state.iterations() * PairBytes);
}
BENCHMARK(BM_EncodeProject)->Unit(benchmark::kMicrosecond);

// Each save after the first replaces an existing pair of the same size, as a repeated Save does.
void BM_SaveProjectFiles(benchmark::State& state)
{
    const Project p = largestProject();
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    for (auto _ : state) {
        if (saveProjectFiles(p, names))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * PairBytes);
}
BENCHMARK(BM_SaveProjectFiles)->Unit(benchmark::kMicrosecond);

void BM_LoadProjectFiles(benchmark::State& state)
{
    const Project p = largestProject();
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    if (saveProjectFiles(p, names))
        state.SkipWithError("save failed");
    for (auto _ : state) {
        auto read = loadProjectFiles(names);
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(state.iterations() * PairBytes);
}
BENCHMARK(BM_LoadProjectFiles)->Unit(benchmark::kMicrosecond);

} // namespace
