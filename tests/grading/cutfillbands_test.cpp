#include "grading/cutfillmap.h"
#include "grading/pad.h"
#include "graphics/recordingsurface.h"

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include <gtest/gtest.h>

using namespace tervan;

namespace {

// The map's fills on a w x h grid (the legend's lie to its right), each with its class and area.
struct Piece
{
    int cls;
    double area;
    std::vector<QPointF> corners;
};
std::vector<Piece> pieces(const CutFillMap& m, double w, double h)
{
    std::map<QRgb, int> classOf;
    for (int c = -CutFillRamp::Classes; c <= CutFillRamp::Classes; ++c)
        classOf[CutFillRamp::colour(c)] = c;
    RecordingSurface s;
    DrawCutFillMap(s, m, 1.6, 9);
    std::vector<Piece> out;
    for (const auto& f : s.fills()) {
        double twice = 0;
        bool onGrid = true;
        for (std::size_t i = 0; i < f.corners.size(); ++i) {
            const QPointF &a = f.corners[i], &b = f.corners[(i + 1) % f.corners.size()];
            twice += a.x() * b.y() - b.x() * a.y();
            onGrid =
                onGrid && a.x() > -1e-6 && a.x() < w + 1e-6 && a.y() > -1e-6 && a.y() < h + 1e-6;
        }
        if (onGrid)
            out.push_back({classOf.at(f.rgb), std::abs(twice) / 2, f.corners});
    }
    return out;
}

struct PlaneCase
{
    const char* name;
    int rows, cols;
    double spacing;
    std::function<double(double, double)> depth; // linear: the map's triangles carry it exactly
};
using PlaneBands = testing::TestWithParam<PlaneCase>;

} // namespace

// On a depth plane each piece's corners lie within its class's depths, and each class covers
// the area a fine sampling of the plane gives it.
TEST_P(PlaneBands, FollowTheDepthClassesExactly)
{
    const PlaneCase& c = GetParam();
    CutFillMap m;
    m.depth = {c.rows, c.cols, c.spacing, {}};
    for (int i = 0; i < c.rows; ++i)
        for (int j = 0; j < c.cols; ++j)
            m.depth.h.push_back(c.depth(j * c.spacing, i * c.spacing));
    const double w = (c.cols - 1) * c.spacing, h = (c.rows - 1) * c.spacing;
    const double step = cutFillRamp(m.depth).step;
    const auto classOfDepth = [&](double d) {
        const int n = std::min(5, 1 + int(std::floor(std::abs(d) / step)));
        return d == 0 ? 0 : d > 0 ? n : -n;
    };
    std::map<int, double> drawn, sampled;
    for (const Piece& p : pieces(m, w, h)) {
        drawn[p.cls] += p.area;
        for (const QPointF& q : p.corners) {
            const double d = c.depth(q.x(), q.y()), eps = 1e-6 * step;
            EXPECT_TRUE(classOfDepth(d + eps) == p.cls || classOfDepth(d - eps) == p.cls)
                << p.cls << " at " << q.x() << ',' << q.y();
        }
    }
    constexpr int N = 1500;
    for (int a = 0; a < N; ++a)
        for (int b = 0; b < N; ++b)
            sampled[classOfDepth(c.depth((a + 0.5) * w / N, (b + 0.5) * h / N))] += w * h / N / N;
    for (int cls = -5; cls <= 5; ++cls)
        EXPECT_NEAR(drawn[cls], sampled[cls], 2e-3 * w * h) << "class " << cls;
}

INSTANTIATE_TEST_SUITE_P(
    Planes, PlaneBands,
    testing::Values(
        PlaneCase{"Tilted", 6, 8, 5, [](double x, double y) { return 2.2 - 0.09 * x + 0.03 * y; }},
        PlaneCase{"Steep", 11, 11, 2, [](double x, double y) { return 7.1 - 0.4 * x - 0.31 * y; }},
        PlaneCase{"ZeroOnNodes", 5, 5, 10, [](double x, double) { return 0.05 * (x - 20); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A pad 3 m above flat ground with 1:1 batters: coloured are the pad and a band 3 m wide round
// it with quarter circles at the corners (drawn as chords between nodes), and nothing beyond.
TEST(PadBands, StopAtTheDaylightLine)
{
    const EarthworkGrid g{41, 41, 0.5, std::vector<double>(41 * 41, 0)};
    double coloured = 0;
    for (const Piece& p : pieces(padMap(g, padAt(g, {10, 10, 30, 30}, 3, {1, 1}, 1), 0), 20, 20)) {
        coloured += p.cls != 0 ? p.area : 0;
        for (const QPointF& q : p.corners)
            EXPECT_TRUE(p.cls == 0 ||
                        std::hypot(std::max({0.0, 5 - q.x(), q.x() - 15}),
                                   std::max({0.0, 5 - q.y(), q.y() - 15})) <= 3 + 1e-6);
    }
    EXPECT_NEAR(coloured, 100 + 4 * 10 * 3 + std::numbers::pi * 9, 1.0);
}
