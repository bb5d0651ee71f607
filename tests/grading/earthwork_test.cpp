#include "grading/earthwork.h"
#include "grading/grading.h"
#include "grading/suspectheights.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/polygon.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace tervan;

namespace {

Project grid(qint16 rows, qint16 cols, qint16 spacing, const std::vector<float>& z)
{
    Project p = startupProject();
    applyControlData(p, {spacing, rows, cols, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = z[std::size_t(n - 1)];
    p.ComputeElevationRange();
    return p;
}

Project randomGrid(std::mt19937& random, qint16 rows, qint16 cols)
{
    std::uniform_real_distribution<float> height(90, 110);
    std::vector<float> z(std::size_t(rows * cols));
    for (float& v : z)
        v = height(random);
    return grid(rows, cols, 10, z);
}

// Heights over a cell in the gross model: linear over the four triangles that join the sides
// to the centre, which stands at the corner mean.
double modelHeight(const EarthworkGrid& g, int i, int j, double u, double v)
{
    const int k = i * g.cols + j;
    const double ll = g.h[k], lr = g.h[k + 1], ur = g.h[k + g.cols + 1], ul = g.h[k + g.cols];
    const double c = (ll + lr + ur + ul) / 4;
    // Barycentric weights in the triangle (side a-b, centre) holding (u, v).
    auto tri = [&](double a, double b, double s, double t) {
        return a * s + b * t + c * (1 - s - t);
    };
    if (v <= u && v <= 1 - u)
        return tri(ll, lr, 1 - u - v, u - v);
    if (v >= u && v >= 1 - u)
        return tri(ur, ul, u + v - 1, v - u);
    if (u >= v)
        return tri(lr, ur, u - v, u + v - 1);
    return tri(ul, ll, v - u, 1 - u - v);
}

using Outline = std::vector<std::pair<double, double>>;

// Midpoint sums over a fine triangulation of every cell: exact for linear pieces away from
// the zero line, converging on it as the mesh refines. With an outline, only the sample points
// inside it count.
CutFill integrate(const EarthworkGrid& g, double platform, int n, const Outline& outline = {})
{
    CutFill sum;
    const double a = g.cellArea() / (double(n) * n);
    for (int i = 0; i + 1 < g.rows; ++i)
        for (int j = 0; j + 1 < g.cols; ++j)
            for (int r = 0; r < n; ++r)
                for (int s = 0; s < n; ++s) {
                    const double u = (s + 0.5) / n, v = (r + 0.5) / n;
                    if (!outline.empty() &&
                        !insidePolygon(outline, (j + u) * g.spacing, (i + v) * g.spacing))
                        continue;
                    const double d = modelHeight(g, i, j, u, v) - platform;
                    (d > 0 ? sum.cut : sum.fill) += a * d;
                }
    return sum;
}

} // namespace

TEST(GrossEarthwork, MatchesFineIntegrationOnRandomGrids)
{
    std::mt19937 random(7);
    for (const auto& [rows, cols, platform] :
         {std::tuple{3, 4, 100.0}, std::tuple{5, 3, 97.5}, std::tuple{4, 4, 104.2}}) {
        const Project p = randomGrid(random, qint16(rows), qint16(cols));
        const EarthworkGrid g = earthworkGrid(p);
        const CutFill exact = grossCutFill(g, platform);
        const CutFill fine = integrate(g, platform, 1200);
        EXPECT_NEAR(exact.cut, fine.cut, 1e-6 * exact.cut) << rows << "x" << cols;
        EXPECT_NEAR(exact.fill, fine.fill, 1e-6 * -exact.fill) << rows << "x" << cols;
        EXPECT_GT(exact.cut, fourCornerCutFill(g, platform).cut);
    }
}

TEST(GrossEarthwork, UncrossedCellsGiveTheFourCornerFigures)
{
    std::mt19937 random(11);
    const Project p = randomGrid(random, 6, 5);
    const EarthworkGrid g = earthworkGrid(p);
    for (const double platform : {80.0, 120.0, 89.9}) {
        Project fixed = p;
        fixed.FixGradeElevation = float(platform);
        FixGradeElev(fixed);
        const CutFill gross = grossCutFill(g, platform);
        EXPECT_NEAR(gross.cut, fixed.FixCutVolume, 1e-6 * std::max(1.0, gross.cut));
        EXPECT_NEAR(gross.fill, fixed.FixFillVolume, 1e-6 * std::max(1.0, -gross.fill));
    }
}

TEST(GrossEarthwork, CrossedCellSplitsAlongTheZeroLine)
{
    // One 10 m cell, ground 0 at the left and 4 at the right, platform 2: the four-corner
    // figure nets to nothing while 50 m3 is cut and 50 m3 filled.
    const Project p = grid(2, 2, 10, {0, 4, 0, 4});
    const Earthwork e = computeEarthwork(p, {2, 0, 0});
    EXPECT_NEAR(e.gross.cut, 50, 1e-9);
    EXPECT_NEAR(e.gross.fill, -50, 1e-9);
    EXPECT_EQ(e.fourCorner.cut, 0);
    EXPECT_EQ(e.fourCorner.fill, 0);
    ASSERT_EQ(e.cells.size(), 1u);
    EXPECT_NEAR(e.cells[0].net(), 0, 1e-9);
    EXPECT_NEAR(e.fillDifferencePercent(), 100, 1e-9);
}

TEST(Balance, NetFallsThroughZeroAtTheBalance)
{
    std::mt19937 random(3);
    const Project p = randomGrid(random, 7, 6);
    const EarthworkGrid g = earthworkGrid(p);
    for (const double k : {1.0, 0.85, 1.3}) {
        const Balance b = computeBalance(g, k);
        ASSERT_GE(b.curve.size(), 201u);
        for (std::size_t i = 1; i < b.curve.size(); ++i)
            EXPECT_LE(b.curve[i].net, b.curve[i - 1].net) << k;
        const BalancePoint at = balancePoint(g, b.balanced, k);
        EXPECT_NEAR(at.net, 0, 1e-6 * at.cut) << k;
        EXPECT_NEAR(k * at.cut, -at.fill, 1e-6 * at.cut) << k;
        EXPECT_GT(b.perCentimetre, 0);
        // A centimetre moves at most the whole area one centimetre deep (k times for cut).
        EXPECT_LE(b.perCentimetre, 0.01 * std::max(k, 1.0) * g.cellArea() * g.cellCount() + 1e-9);
    }
    // Cut that yields more fill is needed less: the balance rises with k.
    EXPECT_GT(computeBalance(g, 1.3).balanced, computeBalance(g, 1.0).balanced);
    EXPECT_LT(computeBalance(g, 0.85).balanced, computeBalance(g, 1.0).balanced);
}

TEST(SlopedPlatform, ZeroSlopesAreTheLevelPlatformAndSlopesTiltIt)
{
    std::mt19937 random(5);
    const Project p = randomGrid(random, 5, 7);
    const Earthwork level = computeEarthwork(p, {100, 0, 0});
    const Earthwork plane = computeEarthwork(p, GradePlane{100, 0, 0});
    EXPECT_EQ(level.gross.cut, plane.gross.cut);
    EXPECT_EQ(level.fourCorner.fill, plane.fourCorner.fill);

    // A plane through a tilted ground parallel to it leaves nothing to move.
    std::vector<float> z;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 5; ++j)
            z.push_back(float(50 + 0.02 * (j * 10 - 20) - 0.05 * (i * 10 - 15)));
    const Project tilted = grid(4, 5, 10, z);
    const Earthwork fit = computeEarthwork(tilted, {50, 2, -5});
    EXPECT_NEAR(fit.gross.cut, 0, 1e-3);
    EXPECT_NEAR(fit.gross.fill, 0, 1e-3);
    EXPECT_NEAR(balancedElevation(earthworkGrid(tilted, 2, -5), 1), 50, 1e-4);
}

// A surveyed lot of 10 x 12 nodes at 10 m with the bumps of real ground: a mistyped height
// must not take a sound neighbour with it, at the edges and corners least of all.
class SuspectOnSurveyedLot : public ::testing::TestWithParam<int>
{
};

TEST_P(SuspectOnSurveyedLot, OnlyTheMistypedHeight)
{
    const std::vector<float> lot{
        2.22f, 2.52f, 2.66f, 3.07f, 3.27f, 3.71f, 3.86f, 4.14f, 4.44f, 4.71f, 5.12f, 5.22f,
        1.89f, 2.45f, 2.87f, 3.25f, 3.64f, 3.76f, 4.15f, 4.35f, 4.79f, 5.01f, 5.22f, 5.51f,
        1.8f,  1.97f, 2.61f, 3.06f, 3.55f, 4.01f, 4.36f, 4.85f, 4.99f, 5.33f, 5.46f, 5.81f,
        2.64f, 2.82f, 2.67f, 2.87f, 3.11f, 3.82f, 4.46f, 4.97f, 5.44f, 5.63f, 6.02f, 6.08f,
        3.1f,  3.31f, 3.56f, 3.68f, 4.0f,  4.05f, 4.45f, 4.86f, 5.52f, 6.06f, 6.25f, 6.47f,
        3.33f, 3.5f,  3.92f, 4.3f,  4.64f, 5.16f, 5.53f, 6.09f, 6.16f, 6.22f, 6.15f, 6.28f,
        3.43f, 3.91f, 4.11f, 4.55f, 4.93f, 5.63f, 6.51f, 7.14f, 7.59f, 7.34f, 7.06f, 6.56f,
        3.8f,  4.03f, 4.39f, 4.62f, 5.32f, 5.97f, 6.86f, 7.57f, 7.99f, 8.2f,  7.86f, 7.6f,
        4.02f, 4.2f,  4.51f, 5.0f,  5.43f, 6.19f, 6.79f, 7.64f, 8.09f, 8.23f, 8.05f, 7.68f,
        4.06f, 4.5f,  4.77f, 5.18f, 5.58f, 6.03f, 6.82f, 7.36f, 7.92f, 7.89f, 7.87f, 7.8f,
    };
    const Project sound = grid(10, 12, 10, lot);
    ASSERT_TRUE(findSuspectHeights(sound).suspects.empty());
    Project typo = sound;
    const int node = GetParam();
    typo.Nodes[node].Z += 900;
    const SuspectCheck check = findSuspectHeights(typo);
    ASSERT_EQ(check.suspects.size(), 1u) << check.suspects.front().node;
    EXPECT_EQ(check.suspects[0].node, node);
    EXPECT_NEAR(check.suspects[0].median, sound.Nodes[node].Z, 1);
}

INSTANTIATE_TEST_SUITE_P(Nodes, SuspectOnSurveyedLot, ::testing::Values(1, 6, 60, 108, 119, 120));

// Where the fixed grade's floats overflow, the four-corner figures still come out, in double.
TEST(Earthwork, FourCornerFiguresBeyondTheFloatRange)
{
    const Project p = grid(2, 3, 10, {0, 0, 0, 4, 4, 8});
    for (const double platform : {10.0, 3e38, -1e36}) {
        const Earthwork e = computeEarthwork(p, {platform, 0, 0});
        // No cell is crossed: the four-corner and the gross figures agree.
        // (in float where the fixed grade's floats hold them)
        EXPECT_NEAR(e.fourCorner.cut, e.gross.cut, 1e-6 * std::abs(e.gross.cut) + 1e-3) << platform;
        EXPECT_NEAR(e.fourCorner.fill, e.gross.fill, 1e-6 * std::abs(e.gross.fill) + 1e-3)
            << platform;
        EXPECT_NE(e.fourCorner.cut + e.fourCorner.fill, 0) << platform;
    }
}

// Smooth ground (181 x 181 nodes, about 100 m of relief); rough ground (waves of 37 to 600 m,
// 0.1 m of noise) on a volcano with three levelled pads over its lower third; and rough ground
// rising from sea at exactly 0 m over a third: every slip found, near its true height, and at
// most 1 % of the other nodes marked (none on smooth ground).
TEST(SuspectHeights, FindsEverySlipWithFewFalseAlarms)
{
    for (const auto& [rows, cols, slip] :
         {std::tuple{181, 181, 900.0f}, {61, 87, 3.0f}, {111, 111, 3.0f}}) {
        std::mt19937 random(7);
        std::vector<float> z;
        for (int n = 0; n < rows * cols; ++n) {
            const double x = n % cols * 10.0, y = n / cols * 10.0;
            const double r2 = (x - 430) * (x - 430) + (y - 300) * (y - 300);
            double h = cols == 87 ? 100 + 160 * std::exp(-r2 / 1e5) - 45 * std::exp(-r2 / 4900)
                                  : 0.05 * x - 45;
            for (int i = 0; i < 15; ++i)
                h += 8 * std::pow(0.4, i / 3) *
                     std::sin(std::pow(2, i / 3) / 95.5 *
                                  (x * std::cos(2.4 * i) + y * std::sin(2.4 * i)) +
                              1.7 * i);
            if (cols == 181)
                h = 100 + 40 * std::sin(x / 300) * std::cos(y / 250) + 10 * std::sin((x + y) / 97) +
                    30 * std::exp(-((x - 900) * (x - 900) + (y - 700) * (y - 700)) / 200000);
            z.push_back(std::max(0.0f, float(std::round(h * 100 + random() % 21 - 10.0) / 100)));
        }
        for (int n = 0; n < 20 * cols && cols == 87; ++n)
            z[n] = z[10 * cols + n % cols / 29 * 29 + 15];
        Project ground = grid(qint16(rows), qint16(cols), 10, z);
        std::set<int> planted{ground.NodeCount};
        for (int n = 1; n <= ground.NodeCount; n += 499)
            planted.insert(n);
        for (const int n : planted)
            ground.Nodes[n].Z += n % 2 ? slip : -1.5f * slip;
        std::set<int> marked;
        for (const SuspectHeight& s : findSuspectHeights(ground).suspects)
            if (marked.insert(s.node); planted.contains(s.node)) {
                EXPECT_NEAR(s.median, z[s.node - 1], 1) << rows << " node " << s.node;
            }
        for (const int n : planted)
            EXPECT_EQ(marked.erase(n), 1u) << rows << " node " << n;
        EXPECT_LE(marked.size(), std::size_t(cols == 181 ? 0 : rows * cols / 100)) << rows;
    }
    // The floor and factor are the user's.
    Project typo = grid(4, 4, 10, std::vector<float>(16, 100.0f));
    typo.Nodes[6].Z += 0.4f;
    EXPECT_TRUE(findSuspectHeights(typo).suspects.empty());
    EXPECT_EQ(findSuspectHeights(typo, 5, 0.1).suspects.size(), 1u);
}

struct OutlineCase
{
    Outline outline;         // metres from node 1
    double area;             // inside the grid, m2
    double centreX, centreY; // of that area
};

class OutlinedEarthwork : public testing::TestWithParam<OutlineCase>
{
};

// Only the ground inside a site's outline counts: on random ground, platforms crossing it,
// the figures (and the cells' sum) equal a fine integration over the sample points inside the
// outline; on a plane wholly above the platform, its height at the area's centroid times the area.
TEST_P(OutlinedEarthwork, CountsOnlyTheGroundInside)
{
    const OutlineCase& c = GetParam();
    std::mt19937 random(5);
    EarthworkGrid g = earthworkGrid(randomGrid(random, 6, 7)); // 60 x 50 m
    g.mask = OutlineMask::build(g.rows, g.cols, g.spacing, c.outline);
    ASSERT_TRUE(g.mask);
    EXPECT_NEAR(g.area(), c.area, 1e-6);
    EXPECT_NEAR(g.mask->insideArea() + g.mask->outsideArea(), 60 * 50, 1e-6);
    // Measured without clipping every cell, the same area and nodes.
    const auto measured = OutlineMask::measure(g.rows, g.cols, g.spacing, c.outline);
    ASSERT_TRUE(measured);
    EXPECT_NEAR(measured->insideArea, c.area, 1e-6);
    int outside = 0;
    for (int n = 0; n < g.rows * g.cols; ++n)
        outside += !g.mask->nodeInside(n);
    EXPECT_EQ(measured->nodesOutside, outside);
    for (const double platform : {96.0, 100.0, 103.5}) {
        const CutFill exact = grossCutFill(g, platform);
        const CutFill fine = integrate(g, platform, 400, c.outline);
        EXPECT_NEAR(exact.cut, fine.cut, 2e-3 * std::max(1.0, exact.cut)) << platform;
        EXPECT_NEAR(exact.fill, fine.fill, 2e-3 * std::max(1.0, -exact.fill)) << platform;
        double cut = 0;
        for (const CutFill& cell : grossCellCutFill(g, platform))
            cut += cell.cut;
        EXPECT_NEAR(cut, exact.cut, 1e-9 * std::max(1.0, exact.cut));
    }
    for (int i = 0; i < g.rows; ++i) // z = 120 + 0.1 x - 0.05 y
        for (int j = 0; j < g.cols; ++j)
            g.h[std::size_t(i * g.cols + j)] = 120 + 0.1 * j * g.spacing - 0.05 * i * g.spacing;
    EXPECT_NEAR(grossCutFill(g, 100).cut, c.area * (20 + 0.1 * c.centreX - 0.05 * c.centreY), 1e-6);
}

// A square on the nodes; an L across cells, 54 x 19 m at (30, 11.5) and 21.5 x 26 m at
// (13.75, 34); a triangle turned across the grid; a square running past the grid.
INSTANTIATE_TEST_SUITE_P(
    Site, OutlinedEarthwork,
    testing::Values(OutlineCase{{{10, 10}, {50, 10}, {50, 40}, {10, 40}}, 1200, 30, 25},
                    OutlineCase{{{3, 2}, {57, 2}, {57, 21}, {24.5, 21}, {24.5, 47}, {3, 47}},
                                1026 + 559,
                                (1026 * 30 + 559 * 13.75) / 1585,
                                (1026 * 11.5 + 559 * 34) / 1585},
                    OutlineCase{{{5, 4}, {55, 13}, {21, 46}},
                                std::abs((55 - 5) * (46 - 4) - (21 - 5) * (13 - 4)) / 2.0,
                                27,
                                21},
                    OutlineCase{{{-20, -20}, {30, -20}, {30, 30}, {-20, 30}}, 30 * 30, 15, 15}));
