#include "grading/grading.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

Project grid(qint16 rows, qint16 cols, qint16 spacing, std::vector<float> z)
{
    Project p = startupProject();
    applyControlData(p, {spacing, rows, cols, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = z[n - 1];
    return p;
}

// Two node rows, three node columns at 10 m: cell means 2 and 3.
Project example()
{
    return grid(2, 3, 10, {0, 0, 0, 4, 4, 8});
}

} // namespace

TEST(BalancedGrade, LevelsTheExampleWhereCutEqualsFill)
{
    Project p = example();
    ASSERT_TRUE(AutoGradeElev(p));
    EXPECT_EQ(p.CellCount, 2);
    EXPECT_EQ(p.TotalArea, 200);
    EXPECT_EQ(p.AutoCellMeanElev, (std::vector<float>{0, 2, 3}));
    EXPECT_EQ(p.AutoGradeElevation, 2.5f);
    EXPECT_EQ(p.AutoCellVolume, (std::vector<float>{0, -50, 50}));
    EXPECT_EQ(p.AutoCutVolume, 50);
    EXPECT_EQ(p.AutoFillVolume, -50);
}

TEST(BalancedGrade, FlatGroundCountsZeroAsFill)
{
    Project p = grid(3, 3, 5, std::vector<float>(9, 5.0f));
    ASSERT_TRUE(AutoGradeElev(p));
    EXPECT_EQ(p.AutoGradeElevation, 5);
    EXPECT_EQ(p.AutoCellVolume, (std::vector<float>{0, 0, 0, 0, 0}));
    EXPECT_EQ(p.AutoCutVolume, 0);
    EXPECT_EQ(p.AutoFillVolume, 0);
}

TEST(BalancedGrade, LastNodeOfARowNeverStartsACell)
{
    // Node 3 ends the first row; cell 3 starts at node 4.
    Project p = grid(3, 3, 10, {0, 0, 100, 0, 0, 0, 0, 0, 0});
    AutoGradeElev(p);
    EXPECT_EQ(p.AutoCellMeanElev, (std::vector<float>{0, 0, 25, 0, 0}));
}

TEST(BalancedGrade, GridWithoutCellsHasNoPlatform)
{
    for (const auto& [rows, cols] : {std::pair<qint16, qint16>{1, 5}, {4, 1}, {1, 1}}) {
        Project p = grid(rows, cols, 10, std::vector<float>(rows * cols, 3.0f));
        p.AutoCutVolume = 99;
        EXPECT_FALSE(AutoGradeElev(p));
        EXPECT_EQ(p.CellCount, 0);
        EXPECT_EQ(p.TotalArea, 0);
        EXPECT_EQ(p.AutoCutVolume, 0);
        EXPECT_EQ(p.AutoFillVolume, 0);
        EXPECT_EQ(p.AutoCellVolume.size(), 1u);
        EXPECT_EQ(p.AutoCellMeanElev.size(), 1u);
    }
}

TEST(BalancedGrade, StoresEveryStepAsAFloat)
{
    // Computing in double throughout, or in float throughout, changes these bits.
    Project p = grid(3, 4, 10,
                     {96.44f, 96.18f, 98.08f, 103.16f, 96.81f, 100.82f, 101.39f, 98.72f, 100.48f,
                      95.63f, 95.60f, 97.06f});
    ASSERT_TRUE(AutoGradeElev(p));
    EXPECT_EQ(std::bit_cast<quint32>(p.AutoGradeElevation), 0x42c555c2u);
    EXPECT_EQ(std::bit_cast<quint32>(p.AutoCutVolume), 0x43540044u);
    EXPECT_EQ(std::bit_cast<quint32>(p.AutoFillVolume), 0xc353ffaeu);
    const quint32 volumes[] = {0xc2dcffc8, 0x42340078, 0x43270026,
                               0xc1b9ffa0, 0xc1f5ff00, 0xc23dffd8};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(std::bit_cast<quint32>(p.AutoCellVolume[n]), volumes[n - 1]) << n;
}

struct FixedCase
{
    float platform;
    std::vector<float> volumes;
    float cut, fill;
};

class FixedGrade : public ::testing::TestWithParam<FixedCase>
{
};

TEST_P(FixedGrade, CutsAndFillsToTheGivenPlatform)
{
    const auto& c = GetParam();
    Project p = example();
    AutoGradeElev(p);
    const auto balanced = p.AutoCellVolume;
    p.FixGradeElevation = c.platform;
    FixGradeElev(p);
    EXPECT_EQ(p.FixCellMeanElev, (std::vector<float>{0, 2, 3}));
    EXPECT_EQ(p.FixCellVolume, c.volumes);
    EXPECT_EQ(p.FixCutVolume, c.cut);
    EXPECT_EQ(p.FixFillVolume, c.fill);
    EXPECT_EQ(p.AutoCellVolume, balanced); // the balanced results stay
}

INSTANTIATE_TEST_SUITE_P(Platforms, FixedGrade,
                         ::testing::Values(FixedCase{0, {0, 200, 300}, 500, 0},
                                           FixedCase{5, {0, -300, -200}, 0, -500},
                                           FixedCase{2.5f, {0, -50, 50}, 50, -50}));

TEST(FixedGrade, GridWithoutCellsGivesEmptyResults)
{
    Project p = grid(1, 4, 10, {1, 2, 3, 4});
    p.FixGradeElevation = 2;
    FixGradeElev(p);
    EXPECT_EQ(p.CellCount, 0);
    EXPECT_EQ(p.FixCellVolume.size(), 1u);
    EXPECT_EQ(p.FixCutVolume, 0);
}

struct UngradeableCase
{
    const char* what;
    qint16 spacing;
    float z;        // every node
    float platform; // of the fixed grade
    bool balanced, fixed;
};

class Ungradeable : public ::testing::TestWithParam<UngradeableCase>
{
};

// Grades that would come out as nan or inf are refused and leave no such number behind.
TEST_P(Ungradeable, RefusedWithoutNonNumbers)
{
    const auto& c = GetParam();
    Project p = grid(3, 3, c.spacing, std::vector<float>(9, c.z));
    p.FixGradeElevation = c.platform;
    EXPECT_EQ(ElevationsGradeable(p), c.balanced) << c.what;
    EXPECT_EQ(PlatformGradeable(p, c.platform), c.fixed) << c.what;
    EXPECT_EQ(AutoGradeElev(p), c.balanced) << c.what;
    EXPECT_EQ(FixGradeElev(p), c.fixed) << c.what;
    for (float v :
         {p.AutoGradeElevation, p.AutoCutVolume, p.AutoFillVolume, p.FixCutVolume, p.FixFillVolume})
        EXPECT_TRUE(std::isfinite(v)) << c.what;
    for (const auto* values : {&p.AutoCellVolume, &p.FixCellVolume})
        for (float v : *values)
            EXPECT_TRUE(std::isfinite(v)) << c.what;
}

// Graded into results of their own, as printing and the checks grade, the figures are those
// the project itself gets, to the bit.
TEST_P(Ungradeable, GradesTheSameIntoResultsOfTheirOwn)
{
    const auto& c = GetParam();
    Project p = grid(3, 3, c.spacing, std::vector<float>(9, c.z));
    p.FixGradeElevation = c.platform;
    GradingResults own;
    own.FixGradeElevation = c.platform;
    EXPECT_EQ(AutoGradeElev(p, own), AutoGradeElev(p)) << c.what;
    EXPECT_EQ(FixGradeElev(p, own), FixGradeElev(p)) << c.what;
    EXPECT_TRUE(own == static_cast<const GradingResults&>(p)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Ungradeable,
    ::testing::Values(UngradeableCase{"ordinary", 10, 5, 2, true, true},
                      UngradeableCase{"spacing 0", 0, 5, 2, false, false},
                      UngradeableCase{"sums overflow", 10, 3e38f, 2, false, false},
                      UngradeableCase{"platform overflows volumes", 10, 5, -3e37f, true, false}));
