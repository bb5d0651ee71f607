#include "graphics/contourlines.h"
#include "graphics/contourtracer.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <gtest/gtest.h>
#include <set>

using namespace tervan;

struct LevelsCase
{
    float interval;
    bool fromZero;
    float first, last; // the levels drawn
    float indexEvery;  // index levels are its multiples
};

class ContourLevelRule : public testing::TestWithParam<LevelsCase>
{
};

// Heights rising from 94 to 195 m: with levels from zero, CAD's and GIS's levels and index
// lines; without, the picture's own from the whole metre below the lowest node.
TEST_P(ContourLevelRule, LevelsAndIndexLines)
{
    const LevelsCase& c = GetParam();
    Project p = startupProject();
    applyControlData(p, {10, 11, 11, c.interval});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 94 + 101.0f * float(n - 1) / 120;
    p.ComputeElevationRange();
    p.ContourLevelsFromZero = c.fromZero;
    const ContourLevels levels = contourLevels(p, c.interval);
    ASSERT_EQ(levels.problem, ContourLevels::None);
    EXPECT_EQ(levels.level(0), c.first);
    EXPECT_EQ(levels.level(levels.count - 1), c.last);
    std::set<float> index, ordinary;
    for (const ContourLine& line : traceContourLines(p, c.interval).lines)
        (line.whole ? index : ordinary).insert(line.level);
    for (const float level : index)
        EXPECT_EQ(std::fmod(level, c.indexEvery), 0) << level;
    for (const float level : ordinary)
        EXPECT_NE(std::fmod(level, c.indexEvery), 0) << level;
    EXPECT_FALSE(index.empty());
}

INSTANTIATE_TEST_SUITE_P(Levels, ContourLevelRule,
                         testing::Values(LevelsCase{5, true, 95, 195, 25},
                                         LevelsCase{1, true, 94, 195, 5},
                                         LevelsCase{5, false, 99, 194, 1},
                                         LevelsCase{0.5f, false, 94.5f, 195, 1}));
