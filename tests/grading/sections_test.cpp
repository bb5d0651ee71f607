#include "grading/sections.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// 21 rows x 41 columns at 5 m of heights f(x, y).
EarthworkGrid gridOf(const std::function<double(double, double)>& f)
{
    EarthworkGrid g{21, 41, 5, {}, {}};
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.cols; ++c)
            g.h.push_back(f(c * 5.0, r * 5.0));
    return g;
}

const EarthworkGrid Level = gridOf([](double, double) { return 100.0; });

} // namespace

// A wedge: ground falling across the line and rising along it over a level design, so the
// zero line crosses every section and both areas grow as squares of the chainage. The
// prismoidal formula is exact for them; the end areas come near.
TEST(Sections, PrismoidalIsExactOnAWedge)
{
    const EarthworkGrid wedge =
        gridOf([](double x, double y) { return 100 + 0.01 * x + 0.1 * (y - 50); });
    const SectionsResult r = crossSections(wedge, Level, {{0, 50}, {180, 50}}, 10, 40);
    ASSERT_EQ(r.stations.size(), 19u);
    // Cut across y from 50 - 0.1 x to 70, fill from 30 to it: 0.05 (20 ± 0.1 x)^2 each.
    const auto cube = [](double a) { return a * a * a; };
    const double cut = 0.05 * (cube(20 + 18) - cube(20)) / (3 * 0.1);
    const double fill = 0.05 * (cube(20) - cube(20 - 18)) / (3 * 0.1);
    EXPECT_NEAR(r.total.cutPrismoidal, cut, 0.01);
    EXPECT_NEAR(r.total.fillPrismoidal, fill, 0.01);
    EXPECT_NEAR(r.total.cutEndAreas, cut, 0.01 * cut);
    for (const Section& s : r.stations) {
        EXPECT_NEAR(s.cutArea, 0.05 * std::pow(20 + 0.1 * s.chainage, 2), 1e-6) << s.chainage;
        EXPECT_NEAR(s.fillArea, 0.05 * std::pow(20 - 0.1 * s.chainage, 2), 1e-6) << s.chainage;
    }
}

// Over rolling ground, sections every 5 m give within half a percent of the grid's own figures
// for the strip they sweep (the grid's cells are four triangles, the sections' two).
TEST(Sections, EndAreasAgreeWithTheGridOverTheStrip)
{
    const EarthworkGrid rolling = gridOf([](double x, double y) {
        return 100 + 3 * std::sin(x / 23) * std::cos(y / 31) + 0.01 * x;
    });
    const EarthworkGrid level = gridOf([](double, double) { return 101.0; });
    const SectionsResult r = crossSections(rolling, level, {{30, 50}, {170, 50}}, 5, 30);
    const CutFill grid = stripGross(rolling, level, r.strip);
    ASSERT_GT(grid.cut, 100);
    ASSERT_LT(grid.fill, -100);
    EXPECT_NEAR(r.total.cutEndAreas, grid.cut, 0.005 * grid.cut);
    EXPECT_NEAR(r.total.fillEndAreas, -grid.fill, 0.005 * -grid.fill);
    EXPECT_NEAR(r.longProfile.back().chainage, 140, 1e-9); // one point at each grid line crossed
    EXPECT_EQ(r.longProfile.size(), 29u);
}

// A broken line has a station at its break, faced along the bisector, and runs to its end.
TEST(Sections, StationsAtBreaksAndTheEnd)
{
    const std::vector<QPointF> line{{30, 40}, {110, 60}, {170, 45}};
    const SectionsResult r = crossSections(Level, Level, line, 10, 30);
    EXPECT_TRUE(std::any_of(r.stations.begin(), r.stations.end(), [](const Section& s) {
        return std::abs(s.chainage - std::hypot(80, 20)) < 1e-9;
    }));
    EXPECT_NEAR(r.stations.back().chainage, std::hypot(80, 20) + std::hypot(60, 15), 1e-9);
    EXPECT_EQ(r.volumes.size(), r.stations.size() - 1);
    EXPECT_EQ(r.total.cutEndAreas + r.total.fillEndAreas, 0);
}

TEST(Sections, BadLinesAreRefused)
{
    const std::pair<std::vector<QPointF>, const char*> cases[] = {
        {{{10, 10}}, "2 จุด"},
        {{{10, 10}, {250, 10}}, "นอกกริด"},
        {{{10, 10}, {10, 10}}, "ซ้ำ"},
    };
    for (const auto& [line, says] : cases)
        EXPECT_TRUE(sectionLineProblem(line, 10, 20, Level).contains(QString::fromUtf8(says)))
            << says;
    EXPECT_FALSE(sectionLineProblem({{0, 0}, {50, 50}}, 0, 20, Level).isEmpty());
    EXPECT_TRUE(sectionLineProblem({{0, 0}, {50, 50}}, 10, 20, Level).isEmpty());
}
