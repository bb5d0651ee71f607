#include "graphics/viewwindow.h"
#include "project/project.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tervan;

namespace {

struct Window
{
    float xMin, xMax, yMin, yMax;
};

Window windowOf(const Project& p)
{
    return {p.ViewXMin, p.ViewXMax, p.ViewYMin, p.ViewYMax};
}

void expectWindow(const Project& p, Window w)
{
    EXPECT_EQ(p.ViewXMin, w.xMin);
    EXPECT_EQ(p.ViewXMax, w.xMax);
    EXPECT_EQ(p.ViewYMin, w.yMin);
    EXPECT_EQ(p.ViewYMax, w.yMax);
}

} // namespace

struct FitCase
{
    qint16 rows, spacing;
    float step;
    Window expected;
};

class Fit : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(Fit, FollowsTheGridHeight)
{
    const auto& c = GetParam();
    Project p;
    p.GridRows = c.rows;
    p.GridSpacing = c.spacing;
    p.ViewStepX = p.ViewStepY = c.step;
    p.ViewXMax = 999;
    fitScreen(p);
    expectWindow(p, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, Fit,
    ::testing::Values(FitCase{11, 10, 10, {-20, 180, -30, 120}},
                      FitCase{0, 0, 10, {-20, 120, -20, 85}}, // no grid: the normal view
                      FitCase{0, 5, 5, {-10, 16, -15, 5}},
                      // 301 rows at 200 m: 60000 m high, beyond 16-bit arithmetic.
                      FitCase{301, 200, 200, {-400, 80933, -600, 60400}}));

TEST(ViewWindow, ZoomInStopsEachAxisAtOneStep)
{
    Project p;
    p.ViewStepX = p.ViewStepY = 10;
    p.ViewXMin = 0;
    p.ViewXMax = 20; // two steps wide
    p.ViewYMin = 0;
    p.ViewYMax = 60;
    zoomIn(p);
    expectWindow(p, {0, 20, 10, 50});
    zoomOut(p);
    expectWindow(p, {-10, 30, 0, 60});
}

TEST(ViewWindow, PanMovesOneStepPerEvent)
{
    Project p = startupProject();
    const Window start = windowOf(p);
    EXPECT_FALSE(panHorizontal(p, 0)); // same value: no move
    expectWindow(p, start);
    EXPECT_TRUE(panHorizontal(p, 50)); // a long jump is still one step
    expectWindow(p, {-10, 130, -20, 85});
    EXPECT_TRUE(panHorizontal(p, 40));
    expectWindow(p, start);
    EXPECT_TRUE(panVertical(p, 5));
    expectWindow(p, {-20, 120, -10, 95});
    EXPECT_EQ(p.VScrollPos, 5);
    EXPECT_TRUE(panVertical(p, -20));
    expectWindow(p, start);
}

TEST(ViewWindow, ReadoutRoundsToWholeMetres)
{
    EXPECT_EQ(coordinateReadout(35.2f, 7.8f), QStringLiteral("พิกัดแกน X = 35, พิกัดแกน Y = 8"));
    EXPECT_EQ(coordinateReadout(35.2f, -4.1f), QStringLiteral("พิกัดแกน X = 35, พิกัดแกน Y = -4"));
    EXPECT_EQ(coordinateReadout(-0.3f, 0.5f), QStringLiteral("พิกัดแกน X = 0, พิกัดแกน Y = 1"));
}
