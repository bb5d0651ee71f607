#include "project/project.h"
#include "project/projectedit.h"
#include "support/printto.h"

#include <functional>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

Project withElevations(std::initializer_list<float> zs)
{
    Project p;
    p.NodeCount = qint16(zs.size());
    p.Nodes.resize(zs.size() + 1);
    int n = 1;
    for (float z : zs) {
        p.Nodes[n] = {float(n), float(2 * n), z};
        ++n;
    }
    return p;
}

} // namespace

struct NormalWindowCase
{
    float step;
    float xMin, xMax, yMin, yMax;
};

class NormalWindow : public ::testing::TestWithParam<NormalWindowCase>
{
};

TEST_P(NormalWindow, IsFourteenStepsWideAndThreeQuartersHigh)
{
    const auto c = GetParam();
    Project p;
    p.setNormalWindow(c.step);
    EXPECT_EQ(p.ViewStepX, c.step);
    EXPECT_EQ(p.ViewStepY, c.step);
    EXPECT_EQ(p.ViewXMin, c.xMin);
    EXPECT_EQ(p.ViewXMax, c.xMax);
    EXPECT_EQ(p.ViewYMin, c.yMin);
    EXPECT_EQ(p.ViewYMax, c.yMax);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, NormalWindow,
    ::testing::Values(NormalWindowCase{10, -20, 120, -20, 85},
                      NormalWindowCase{5, -10, 60, -10, 42}, NormalWindowCase{1, -2, 12, -2, 8},
                      NormalWindowCase{7, -14, 84, -14, 59},
                      NormalWindowCase{32767, -65534, 393204, -65534, 278519}));

TEST(ProjectState, StartsWithDefaultHeadingAndStartupWindow)
{
    const Project p = startupProject();
    EXPECT_EQ(p.ProjectName.text(), QStringLiteral("Project01") + QString(31, ' '));
    EXPECT_EQ(p.EngineerName.text(), QStringLiteral("Noname") + QString(34, ' '));
    EXPECT_EQ(p.FileTitle, QStringLiteral("********"));
    EXPECT_EQ(p.ViewXMin, -20);
    EXPECT_EQ(p.ViewYMax, 85);
    EXPECT_EQ(p.RotationAngle, 35);
    EXPECT_EQ(p.DisplayMode, PictureKind::Grid);
    EXPECT_EQ(p.BoldWholeContours, ContourEmphasis::WholeLevels);
    EXPECT_FALSE(p.HasData());
    EXPECT_FALSE(p.HasNodes());
    EXPECT_TRUE(p.Nodes.empty());
    EXPECT_FALSE(p.ChosenColorIndex.has_value());
}

TEST(ProjectState, FixedTextCutsAndPads)
{
    FixedText40 t(QString(50, 'x') + "tail");
    EXPECT_EQ(t.text(), QString(40, 'x'));
    t = QStringLiteral("ถนนสาย 9");
    EXPECT_EQ(t.text().size(), 40);
    EXPECT_EQ(t.text(), QStringLiteral("ถนนสาย 9") + QString(32, ' '));
    t = QString();
    EXPECT_EQ(t.text(), QString(40, ' '));
}

struct HasDataCase
{
    qint16 rows, cols, spacing, nodes;
    float interval;
    bool hasData, hasGrid, hasNodes;
};

class DataTests : public ::testing::TestWithParam<HasDataCase>
{
};

TEST_P(DataTests, EachFieldCounts)
{
    const auto c = GetParam();
    Project p;
    p.GridRows = c.rows;
    p.GridCols = c.cols;
    p.GridSpacing = c.spacing;
    p.NodeCount = c.nodes;
    p.ContourInterval = c.interval;
    EXPECT_EQ(p.HasData(), c.hasData);
    EXPECT_EQ(p.HasGrid(), c.hasGrid);
    EXPECT_EQ(p.HasNodes(), c.hasNodes);
}

INSTANTIATE_TEST_SUITE_P(Fields, DataTests,
                         ::testing::Values(HasDataCase{0, 0, 0, 0, 0, false, false, false},
                                           HasDataCase{0, 0, 0, 0, 0.5f, true, true, false},
                                           HasDataCase{3, 0, 0, 0, 0, true, true, false},
                                           HasDataCase{0, 3, 0, 0, 0, true, true, false},
                                           HasDataCase{0, 0, 10, 0, 0, true, true, false},
                                           HasDataCase{0, 0, 0, 4, 0, true, false, true},
                                           HasDataCase{0, 0, 0, -1, 0, true, false, true}));

struct RangeCase
{
    std::vector<float> zs;
    float min, max;
};

class ElevationRange : public ::testing::TestWithParam<RangeCase>
{
};

TEST_P(ElevationRange, LowestAndHighestOverAllNodes)
{
    const auto& c = GetParam();
    Project p;
    p.NodeCount = qint16(c.zs.size());
    p.Nodes.resize(c.zs.size() + 1);
    p.Nodes[0].Z = -1000; // never read
    for (std::size_t i = 0; i < c.zs.size(); ++i)
        p.Nodes[i + 1].Z = c.zs[i];
    p.ComputeElevationRange();
    EXPECT_EQ(p.ElevMin, c.min);
    EXPECT_EQ(p.ElevMax, c.max);
}

INSTANTIATE_TEST_SUITE_P(Nodes, ElevationRange,
                         ::testing::Values(RangeCase{{42.5f}, 42.5f, 42.5f},
                                           RangeCase{{3, 3, 3}, 3, 3},
                                           RangeCase{{5, -2, 9, 1}, -2, 9},
                                           RangeCase{{100.7f, 103, 100.25f}, 100.25f, 103}));

TEST(ProjectState, ExtentsAreMeasuredFromTheNodeTable)
{
    Project one = withElevations({7});
    one.ComputeNodeExtents();
    EXPECT_EQ(one.NodeXRange, 0);
    EXPECT_EQ(one.NodeYRange, 0);

    Project p = withElevations({1, 2, 3});
    p.Nodes[2] = {-5, 40, 0};
    p.ComputeNodeExtents();
    EXPECT_EQ(p.NodeXMin, -5);
    EXPECT_EQ(p.NodeXMax, 3);
    EXPECT_EQ(p.NodeYMin, 2);
    EXPECT_EQ(p.NodeYMax, 40);
    EXPECT_EQ(p.NodeXRange, 8);
    EXPECT_EQ(p.NodeYRange, 38);
}

TEST(ProjectState, NewKeepsResultsButEmptiesTheGridTheNodesAndTheFileNames)
{
    Project p = withElevations({1, 2, 3, 4});
    p.GridRows = 2;
    p.GridCols = 2;
    p.GridSpacing = 5;
    p.ContourInterval = 1;
    p.ProjectName = QStringLiteral("สะพาน");
    p.ElevMax = 4;
    p.NodeXMax = 5;
    p.AutoCutVolume = 12;
    p.GndFileName = QStringLiteral("/tmp/a.gnd");
    p.ChosenColorIndex = 4;
    p.UseChosenColor = -1;
    p.RotationAngle = 90;
    p.setNormalWindow(5);
    p.ViewXMin = 300; // zoomed and panned away
    p.DisplayMode = PictureKind::Surface;

    resetForNew(p);
    EXPECT_FALSE(p.HasData());
    EXPECT_FALSE(p.HasNodes());
    EXPECT_TRUE(p.Nodes.empty());
    EXPECT_EQ(p.ProjectName.text().trimmed(), QStringLiteral("Project01"));
    EXPECT_EQ(p.FileTitle, QStringLiteral("********"));
    EXPECT_EQ(p.ElevMax, 0);
    EXPECT_EQ(p.NodeXMax, 0);
    EXPECT_EQ(p.AutoCutVolume, 12);
    EXPECT_TRUE(p.GndFileName.isEmpty());
    EXPECT_EQ(p.ChosenColorIndex, 4);
    EXPECT_EQ(p.RotationAngle, 90);
    EXPECT_EQ(p.DisplayMode, PictureKind::Grid);
    // Normal window for the steps in force.
    EXPECT_EQ(p.ViewXMin, -10);
    EXPECT_EQ(p.ViewYMax, 42);
}

// Every field of the file's heading travels with a project's content: a change to any one of
// them is more than a change of heights, and putting the content back undoes it.
struct HeaderFieldRow
{
    const char* field;
    std::function<void(ProjectHeader&)> change;
};

class HeaderField : public ::testing::TestWithParam<HeaderFieldRow>
{
};

TEST_P(HeaderField, IsKeptAndPutBackByTheContent)
{
    Project p = withElevations({1, 2, 3, 4});
    p.ProjectName = QStringLiteral("สะพาน");
    p.EngineerName = QStringLiteral("สมชาย");
    p.GridRows = p.GridCols = 2;
    p.GridSpacing = 5;
    p.ContourInterval = 0.5f;
    const ProjectContent before = contentOf(p);
    GetParam().change(p.header());
    EXPECT_FALSE(p.header() == before.header()) << GetParam().field;
    EXPECT_FALSE(heightChanges(before, contentOf(p)).has_value()) << GetParam().field;
    restoreContent(p, before);
    EXPECT_TRUE(p.header() == before.header()) << GetParam().field;
    EXPECT_TRUE(sameContent(contentOf(p), before)) << GetParam().field;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, HeaderField,
    ::testing::Values(
        HeaderFieldRow{"ProjectName",
                       [](ProjectHeader& h) { h.ProjectName = QStringLiteral("ถนน"); }},
        HeaderFieldRow{"EngineerName",
                       [](ProjectHeader& h) { h.EngineerName = QStringLiteral("Noname"); }},
        HeaderFieldRow{"GridRows", [](ProjectHeader& h) { h.GridRows = 4; }},
        HeaderFieldRow{"GridCols", [](ProjectHeader& h) { h.GridCols = 1; }},
        HeaderFieldRow{"GridSpacing", [](ProjectHeader& h) { h.GridSpacing = 10; }},
        HeaderFieldRow{"NodeCount", [](ProjectHeader& h) { h.NodeCount = 3; }},
        HeaderFieldRow{"ContourInterval", [](ProjectHeader& h) { h.ContourInterval = -0.5f; }}),
    [](const auto& info) { return std::string(info.param.field); });
