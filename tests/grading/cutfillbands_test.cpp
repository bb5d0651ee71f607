#include "grading/cutfillmap.h"
#include "grading/pad.h"
#include "graphics/recordingsurface.h"

#include <QColor>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include <gtest/gtest.h>

using namespace tervan;

namespace {

using Depth = std::function<double(double x, double y)>;

struct PlaneCase
{
    const char* name;
    int rows, cols;
    double spacing;
    Depth depth; // linear, so the map's triangles carry it exactly
};

EarthworkGrid sampled(const PlaneCase& c)
{
    EarthworkGrid g{c.rows, c.cols, c.spacing, {}};
    for (int i = 0; i < c.rows; ++i)
        for (int j = 0; j < c.cols; ++j)
            g.h.push_back(c.depth(j * c.spacing, i * c.spacing));
    return g;
}

// The class a depth falls in, by the ramp's step: five classes each side of zero, the last open.
int classOfDepth(double d, double step)
{
    if (d == 0)
        return 0;
    const int c = std::min(5, 1 + int(std::floor(std::abs(d) / step)));
    return d > 0 ? c : -c;
}

std::map<QRgb, int> classByColour()
{
    std::map<QRgb, int> out;
    for (int c = -CutFillRamp::Classes; c <= CutFillRamp::Classes; ++c)
        out[CutFillRamp::colour(c) & 0xffffff] = c;
    return out;
}

double polygonArea(const std::vector<QPointF>& p)
{
    double twice = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const QPointF &a = p[i], &b = p[(i + 1) % p.size()];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2;
}

// The fills that lie on the grid (the legend's swatches lie to its right).
std::vector<RecordingSurface::Filled> mapFills(const RecordingSurface& s, double w, double h)
{
    std::vector<RecordingSurface::Filled> out;
    for (const auto& f : s.fills()) {
        bool on = true;
        for (const QPointF& p : f.corners)
            on = on && p.x() >= -1e-6 && p.x() <= w + 1e-6 && p.y() >= -1e-6 && p.y() <= h + 1e-6;
        if (on)
            out.push_back(f);
    }
    return out;
}

void PrintTo(const PlaneCase& c, std::ostream* os)
{
    *os << c.name;
}

class PlaneBands : public testing::TestWithParam<PlaneCase>
{
};

} // namespace

// On a depth plane every coloured piece lies within its class (each corner's depth inside the
// class's range), and each class covers the area a fine sampling of the plane gives it.
TEST_P(PlaneBands, FollowTheDepthClassesExactly)
{
    const PlaneCase& c = GetParam();
    CutFillMap m;
    m.depth = sampled(c);
    const double w = (c.cols - 1) * c.spacing, h = (c.rows - 1) * c.spacing;
    const double step = cutFillRamp(m.depth).step;
    RecordingSurface s;
    DrawCutFillMap(s, m, 1.6, 9);
    const auto classes = classByColour();
    std::map<int, double> drawn;
    const double eps = 1e-6 * step;
    for (const auto& f : mapFills(s, w, h)) {
        const int cls = classes.at(f.rgb & 0xffffff);
        drawn[cls] += polygonArea(f.corners);
        const double lo = cls > 0 ? (cls - 1) * step : cls == -5 ? -1e300 : cls * step;
        const double hi = cls < 0 ? (cls + 1) * step : cls == 5 ? 1e300 : cls * step;
        for (const QPointF& p : f.corners) {
            const double d = c.depth(p.x(), p.y());
            EXPECT_GE(d, (cls == 0 ? 0 : lo) - eps) << cls << " at " << p.x() << ',' << p.y();
            EXPECT_LE(d, (cls == 0 ? 0 : hi) + eps) << cls << " at " << p.x() << ',' << p.y();
        }
    }
    constexpr int N = 1500;
    std::map<int, double> sampledArea;
    for (int a = 0; a < N; ++a)
        for (int b = 0; b < N; ++b)
            sampledArea[classOfDepth(c.depth((a + 0.5) * w / N, (b + 0.5) * h / N), step)] +=
                w * h / N / N;
    double total = 0;
    for (const auto& [cls, area] : drawn)
        total += area;
    EXPECT_NEAR(total, w * h, 1e-6 * w * h);
    for (int cls = -5; cls <= 5; ++cls)
        EXPECT_NEAR(drawn[cls], sampledArea[cls], 2e-3 * w * h) << "class " << cls;
}

INSTANTIATE_TEST_SUITE_P(
    Planes, PlaneBands,
    testing::Values(PlaneCase{"TiltedAcross", 6, 8, 5,
                              [](double x, double y) { return 2.2 - 0.09 * x + 0.03 * y; }},
                    PlaneCase{"SteepDiagonal", 11, 11, 2,
                              [](double x, double y) { return 7.1 - 0.4 * x - 0.31 * y; }},
                    PlaneCase{"AllCut", 4, 9, 10,
                              [](double x, double y) { return 0.3 + 0.011 * x + 0.004 * y; }},
                    PlaneCase{"ZeroOnANodeColumn", 5, 5, 10,
                              [](double x, double) { return 0.05 * (x - 20); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A pad 3 m above flat ground with 1:1 fill batters: the works cover the pad and a band 3 m wide
// round it with quarter circles at the corners, and nothing beyond the daylight line is coloured.
TEST(PadBands, StopAtTheDaylightLine)
{
    const struct
    {
        const char* what;
        double spacing;
        double tolerance; // m2, for the corners' arcs drawn as chords between nodes
    } rows[] = {{"half-metre nodes", 0.5, 1.0}, {"metre nodes", 1.0, 2.5}};
    for (const auto& row : rows) {
        const int n = int(std::lround(20 / row.spacing)) + 1;
        const EarthworkGrid g{n, n, row.spacing, std::vector<double>(std::size_t(n * n), 0)};
        const int from = int(std::lround(5 / row.spacing)), to = int(std::lround(15 / row.spacing));
        const PadResult pad = padAt(g, {from, from, to, to}, 3, {1, 1}, 1);
        RecordingSurface s;
        DrawCutFillMap(s, padMap(g, pad, 0), 1, 9);
        const auto classes = classByColour();
        double coloured = 0;
        for (const auto& f : mapFills(s, 20, 20)) {
            if (classes.at(f.rgb & 0xffffff) == 0)
                continue;
            coloured += polygonArea(f.corners);
            for (const QPointF& p : f.corners) {
                const double dx = std::max({0.0, 5 - p.x(), p.x() - 15});
                const double dy = std::max({0.0, 5 - p.y(), p.y() - 15});
                // Chords of the corner arcs lie inside the circle.
                EXPECT_LE(std::hypot(dx, dy), 3 + 1e-6) << row.what;
            }
        }
        const double works = 10 * 10 + 4 * 10 * 3 + std::numbers::pi * 9;
        EXPECT_NEAR(coloured, works, row.tolerance) << row.what;
    }
}
