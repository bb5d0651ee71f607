#include "benchsupport.h"
#include "project/heightscsv.h"

#include <QBuffer>
#include <benchmark/benchmark.h>

using namespace tervan;

namespace {

HeightsRead readText(const QByteArray& text, const Project& p)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return readHeightsCsv(buffer, p);
}

// Every node of a 181 x 181 grid as a named point, north first under a header.
void BM_ReadNamedPoints(benchmark::State& state)
{
    const Project p = benchGrid(181, 181);
    QByteArray text = "Pt,N,E,Z\n";
    for (int n = 1; n <= p.NodeCount; ++n)
        text += QStringLiteral("P%1,%2,%3,%4\n")
                    .arg(n)
                    .arg(p.Nodes[n].Y)
                    .arg(p.Nodes[n].X)
                    .arg(p.Nodes[n].Z)
                    .toUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(readText(text, p));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ReadNamedPoints)->Unit(benchmark::kMillisecond);

// A million bad lines: the whole file is still read to count what is not listed.
void BM_ReadMillionBadLines(benchmark::State& state)
{
    const Project p = benchGrid(10, 10);
    const QByteArray text = QByteArray("1,1O1.4\n").repeated(1'000'000);
    for (auto _ : state)
        benchmark::DoNotOptimize(readText(text, p));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ReadMillionBadLines)->Unit(benchmark::kMillisecond);

} // namespace
