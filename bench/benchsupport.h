#pragma once

#include "project/controldata.h"
#include "project/project.h"

#include "graphics/imagesurface.h"
#include "graphics/redraw.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace tervan {

// The one application object of the benchmark run, made on first use. A widget application
// also serves the benchmarks that only draw on images, so whichever runs first makes the one
// the others can use; everything is drawn offscreen.
inline QApplication& benchApplication()
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Never destroyed: at exit Qt's own globals (input devices of the window benchmark) may
    // already be gone, and tearing the application down after them crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A grid of rows x cols nodes at 10 m with gently varying elevations.
inline Project benchGrid(qint16 rows, qint16 cols)
{
    Project p = startupProject();
    applyControlData(p, {10, rows, cols, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 100.0f + float(n % 977) * 0.01f;
    return p;
}

// The smooth terrain of the gdal_contour comparison, about 100 m of relief. Heights are
// rounded to two decimals as text and read back, as the generator's round() does, so the
// benchmark traces exactly the nodes of the generated project files.
inline double terrainHeight(double x, double y)
{
    return 100 + 40 * std::sin(x / 300) * std::cos(y / 250) +
           30 * std::exp(-((x - 900) * (x - 900) + (y - 700) * (y - 700)) / 200000) +
           10 * std::sin((x + y) / 97);
}

inline float roundedHeight(double x, double y)
{
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, terrainHeight(x, y), std::chars_format::fixed, 2)
            .ptr;
    double v = 0;
    std::from_chars(text, end, v);
    return float(v);
}

// The largest grid, 181 x 181 nodes at 10 m.
inline Project benchTerrain()
{
    Project p = startupProject();
    applyControlData(p, {10, 181, 181, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = roundedHeight(p.Nodes[n].X, p.Nodes[n].Y);
    p.ComputeElevationRange();
    p.ComputeNodeExtents();
    return p;
}

// The screen surface with its pixels kept to itself, so that every level is drawn in lines
// however close the levels lie: the drawing the per-pixel one replaces.
class LinesOnly final : public Surface
{
public:
    explicit LinesOnly(ImageSurface& s) : m_s(s) {}
    void setWorld(float l, float t, float r, float b) override { m_s.setWorld(l, t, r, b); }
    void clear() override { m_s.clear(); }
    void setPixel(float x, float y, int colour) override { m_s.setPixel(x, y, colour); }
    void line(float x1, float y1, float x2, float y2, int colour) override
    {
        m_s.line(x1, y1, x2, y2, colour);
    }
    void setLineWidth(int pixels) override { m_s.setLineWidth(pixels); }
    void moveTo(float x, float y) override { m_s.moveTo(x, y); }
    void text(const QString& text, int colour) override { m_s.text(text, colour); }
    float textWidth(const QString& text) override { return m_s.textWidth(text); }
    float textHeight(const QString& text) override { return m_s.textHeight(text); }
    void setFont(const QString& family, double points, bool bold) override
    {
        m_s.setFont(family, points, bold);
    }
    void setLattice(const std::vector<float>& xs, const std::vector<float>& ys, int colour) override
    {
        m_s.setLattice(xs, ys, colour);
    }

private:
    ImageSurface& m_s;
};

// Redraws the project's picture on a 1600 x 1000 screen image, once per iteration.
inline void redrawLoop(benchmark::State& state, Project& p, const NodeLabels& labels = {})
{
    benchApplication();
    QImage image(1600, 1000, QImage::Format_RGB32);
    for (auto _ : state) {
        ImageSurface surface(image);
        Redraw(surface, p, labels);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The window's event loop while a job runs: `start` begins it (itself one turn of the loop),
// `wait` turns the loop until it is done, while a timer asks for a turn every 5 ms. The longest
// wait between two turns is the freeze a user would feel. In milliseconds: that wait, and the
// whole job.
template <typename Start, typename Wait>
std::pair<double, double> loopGapsWhile(Start start, Wait wait)
{
    QElapsedTimer clock, sinceLast;
    double gap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        gap = std::max(gap, double(sinceLast.nsecsElapsed()) / 1e6);
        sinceLast.restart();
    });
    tick.start(5);
    clock.start();
    sinceLast.start();
    start();
    gap = std::max(gap, double(sinceLast.nsecsElapsed()) / 1e6);
    sinceLast.restart();
    wait();
    return {gap, double(clock.nsecsElapsed()) / 1e6};
}

} // namespace tervan
