#include "printing/mapfurniture.h"
#include "support/printto.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

struct ScaleCase
{
    double metres, centimetres;
    long scale;
};

using MapScale = ::testing::TestWithParam<ScaleCase>;

// The largest scale of the series whose picture fits; the next larger one would not.
TEST_P(MapScale, LargestOfTheSeriesThatFits)
{
    const auto& c = GetParam();
    EXPECT_EQ(mapScale(c.metres, c.centimetres), c.scale);
}

INSTANTIATE_TEST_SUITE_P(Series, MapScale,
                         ::testing::Values(ScaleCase{110, 17, 1000}, // 1:500 would take 22 cm
                                           ScaleCase{100, 20, 500},  // exactly 20 cm
                                           ScaleCase{100.01, 20, 1000}, ScaleCase{40, 17, 250},
                                           ScaleCase{36, 17, 250}, // 1:200 would take 18 cm
                                           ScaleCase{30, 17, 200}, ScaleCase{5, 17, 100},
                                           ScaleCase{0, 17, 100},    // a picture without extent
                                           ScaleCase{420, 17, 2500}, // 1:2000 would take 21 cm
                                           ScaleCase{1800, 17, 20000}, ScaleCase{1800, 18, 10000},
                                           ScaleCase{100, 0, 0}, // no room
                                           ScaleCase{1e300, 17, 0}));

struct TickCase
{
    double from, to;
    double step;
    std::vector<double> first; // the first ticks
};

using TickSteps = ::testing::TestWithParam<TickCase>;

// Round steps, four to eight ticks a side, each on a whole multiple of the step.
TEST_P(TickSteps, RoundStepsFourToEightTicks)
{
    const auto& c = GetParam();
    const double step = tickStep(c.from, c.to);
    EXPECT_DOUBLE_EQ(step, c.step);
    const std::vector<double> ticks = tickValues(c.from, c.to, step);
    EXPECT_GE(ticks.size(), 4u);
    EXPECT_LE(ticks.size(), 8u);
    for (std::size_t i = 0; i < c.first.size(); ++i)
        EXPECT_DOUBLE_EQ(ticks.at(i), c.first[i]) << i;
    EXPECT_GE(ticks.front(), std::min(c.from, c.to));
    EXPECT_LE(ticks.back(), std::max(c.from, c.to));
}

INSTANTIATE_TEST_SUITE_P(Spans, TickSteps,
                         ::testing::Values(TickCase{658899.3, 662705.1, 500, {659000, 659500}},
                                           TickCase{1519123.4, 1522733.0, 500, {1519500, 1520000}},
                                           TickCase{654321.37, 654431.9, 20, {654340, 654360}},
                                           TickCase{100, 117.3, 2.5, {100, 102.5}},
                                           TickCase{0, 7, 1, {0, 1, 2}},
                                           TickCase{-3.2, 3.2, 1, {-3, -2}},
                                           TickCase{10.01, 10.06, 0.01, {10.01, 10.02}},
                                           TickCase{2000, 0, 500, {0, 500}})); // either way round

struct BarCase
{
    long scale;
    double maxCm;
    double segment;
    QStringList labels;
};

using ScaleBars = ::testing::TestWithParam<BarCase>;

// Four round segments, as long a bar as the room takes; the labels are metres along it.
TEST_P(ScaleBars, RoundSegmentsWithinTheRoom)
{
    const auto& c = GetParam();
    const ScaleBar bar = scaleBar(c.scale, c.maxCm);
    EXPECT_DOUBLE_EQ(bar.segmentMetres, c.segment);
    if (c.segment == 0) {
        EXPECT_EQ(bar.segments, 0);
        return;
    }
    ASSERT_EQ(bar.segments, 4);
    const double length = ScaleBar::centimetres(bar.metres(), c.scale);
    EXPECT_LE(length, c.maxCm + 1e-9);
    // Twice the segment would not fit: the bar is no shorter than it must be.
    EXPECT_GT(length * 2.5, c.maxCm);
    QStringList labels;
    for (int k = 0; k <= bar.segments; ++k)
        labels << bar.label(k);
    EXPECT_EQ(labels, c.labels);
}

INSTANTIATE_TEST_SUITE_P(Scales, ScaleBars,
                         ::testing::Values(BarCase{1000, 6.5, 10, {"0", "10", "20", "30", "40"}},
                                           BarCase{500, 6.5, 5, {"0", "5", "10", "15", "20"}},
                                           BarCase{
                                               20000, 6.5, 200, {"0", "200", "400", "600", "800"}},
                                           BarCase{100, 6.5, 1, {"0", "1", "2", "3", "4"}},
                                           BarCase{100, 3, 0.5, {"0", "0.50", "1", "1.50", "2"}},
                                           BarCase{1000, 0.5, 0, {}}));

} // namespace
