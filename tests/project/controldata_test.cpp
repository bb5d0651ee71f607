#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tervan;

namespace {

ControlValues valuesOf(const ControlDataTexts& texts)
{
    const auto read = readControlData(texts, QLocale::c());
    EXPECT_TRUE(std::holds_alternative<ControlValues>(read));
    return std::get<ControlValues>(read);
}

Project defined(qint16 spacing, qint16 rows, qint16 cols, float interval = 1)
{
    Project p = startupProject();
    applyControlData(p, {spacing, rows, cols, interval});
    return p;
}

} // namespace

struct AcceptedCase
{
    ControlDataTexts texts;
    qint16 spacing, rows, cols;
    float interval;
};

class ControlAccepted : public ::testing::TestWithParam<AcceptedCase>
{
};

TEST_P(ControlAccepted, StoresRoundedValues)
{
    const auto& c = GetParam();
    const ControlValues v = valuesOf(c.texts);
    EXPECT_EQ(v.spacing, c.spacing);
    EXPECT_EQ(v.rows, c.rows);
    EXPECT_EQ(v.cols, c.cols);
    EXPECT_EQ(v.interval, c.interval);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ControlAccepted,
    ::testing::Values(AcceptedCase{{"10", "4", "5", "1"}, 10, 4, 5, 1},
                      AcceptedCase{{"8", "2.5", "3.5", "0.25"}, 8, 2, 4, 0.25f},
                      AcceptedCase{{" 6.0 ", " 4 ", "5", "0.1"}, 6, 4, 5, 0.1f},
                      AcceptedCase{{"0", "0", "0", "0"}, 0, 0, 0, 0},
                      AcceptedCase{{"32767", "1", "32767", "100"}, 32767, 1, 32767, 100},
                      AcceptedCase{{"1", "181", "181", "1e3"}, 1, 181, 181, 1000}));

struct RefusedCase
{
    ControlDataTexts texts;
    ControlField field;
};

class ControlRefused : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(ControlRefused, NamesTheFirstBadBox)
{
    const auto& c = GetParam();
    const auto read = readControlData(c.texts, QLocale::c());
    ASSERT_TRUE(std::holds_alternative<ControlField>(read));
    EXPECT_EQ(std::get<ControlField>(read), c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ControlRefused,
    ::testing::Values(RefusedCase{{"abc", "4", "5", "1"}, ControlField::Spacing},
                      RefusedCase{{"12.5", "4", "5", "1"}, ControlField::Spacing},
                      RefusedCase{{"7.0001", "4", "5", "1"}, ControlField::Spacing},
                      RefusedCase{{"", "4", "5", "1"}, ControlField::Spacing},
                      RefusedCase{{"-10", "4", "5", "1"}, ControlField::Spacing},
                      RefusedCase{{"40000", "4", "5", "1"}, ControlField::Spacing},
                      RefusedCase{{"10", "x4", "5", "1"}, ControlField::Rows},
                      RefusedCase{{"10", "-1", "5", "1"}, ControlField::Rows},
                      RefusedCase{{"10", "4", "32768", "1"}, ControlField::Cols},
                      RefusedCase{{"10", "4", "-0.6", "1"}, ControlField::Cols},
                      RefusedCase{{"10", "4", "5", "-1"}, ControlField::Interval},
                      RefusedCase{{"10", "4", "5", "inf"}, ControlField::Interval},
                      RefusedCase{{"10", "4", "5", "nan"}, ControlField::Interval},
                      RefusedCase{{"10", "4", "5", "1e39"}, ControlField::Interval},
                      RefusedCase{{"10", "4", "5", ""}, ControlField::Interval},
                      // 182 x 181 = 32942 nodes do not fit the node count.
                      RefusedCase{{"10", "182", "181", "1"}, ControlField::Cols}));

TEST(ControlData, NumbersNodesRowByRowFromTheBottomLeft)
{
    const Project p = defined(10, 4, 5);
    EXPECT_EQ(p.NodeCount, 20);
    ASSERT_EQ(p.Nodes.size(), 21u);
    EXPECT_EQ(p.Nodes[6], (NodePoint{0, 10, 0}));
    EXPECT_EQ(p.Nodes[20], (NodePoint{40, 30, 0}));
    EXPECT_EQ(p.ViewXMin, -20);
    EXPECT_EQ(p.ViewXMax, 120);
    EXPECT_EQ(p.ViewYMin, -20);
    EXPECT_EQ(p.ViewYMax, 85);
    EXPECT_EQ(p.ViewStepX, 10);

    const Project q = defined(5, 2, 3);
    EXPECT_EQ(q.Nodes[4], (NodePoint{0, 5, 0}));
    EXPECT_EQ(q.Nodes[6], (NodePoint{10, 5, 0}));
    EXPECT_EQ(q.ViewYMax, 42);
}

TEST(ControlData, ElevationsStayWithTheirNodeNumbers)
{
    Project p = defined(10, 3, 4);
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = float(100 + n);

    applyControlData(p, {10, 3, 4, 0.5f}); // interval only
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(p.Nodes[n].Z, float(100 + n));

    applyControlData(p, {10, 4, 3, 1}); // reshaped: node 5 moves to (10, 10)
    EXPECT_EQ(p.Nodes[5], (NodePoint{10, 10, 105}));

    applyControlData(p, {10, 2, 2, 1}); // shrunk
    ASSERT_EQ(p.Nodes.size(), 5u);
    EXPECT_EQ(p.Nodes[4], (NodePoint{10, 10, 104}));

    applyControlData(p, {10, 3, 3, 1}); // grown again: new nodes start at zero
    EXPECT_EQ(p.Nodes[4].Z, 104);
    EXPECT_EQ(p.Nodes[9].Z, 0);
}

TEST(ControlData, ZeroSpacingFallsBackToTheWindowForTen)
{
    Project p = startupProject();
    p.setNormalWindow(1);
    applyControlData(p, {0, 2, 2, 1});
    EXPECT_EQ(p.GridSpacing, 0);
    EXPECT_EQ(p.ViewStepX, 10);
    EXPECT_EQ(p.ViewYMax, 85);
    for (int n = 1; n <= 4; ++n)
        EXPECT_EQ(p.Nodes[n], (NodePoint{0, 0, 0}));
}

TEST(ControlData, LeavesExtentsAndRangeAlone)
{
    Project p = startupProject();
    p.ElevMin = 3;
    p.NodeXMax = 77;
    applyControlData(p, {10, 4, 5, 1});
    EXPECT_EQ(p.ElevMin, 3);
    EXPECT_EQ(p.NodeXMax, 77);
}

TEST(ControlData, LargestGridKeepsExactCoordinates)
{
    // Running float sums stay exact below 2^24 m.
    const Project p = defined(500, 1, 32767);
    EXPECT_EQ(p.NodeCount, 32767);
    EXPECT_EQ(p.Nodes[32767].X, 32766.0f * 500.0f);
}
