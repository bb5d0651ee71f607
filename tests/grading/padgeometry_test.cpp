#include "grading/padgeometry.h"
#include "support/printto.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

// A fall given along an edge drops by fall x length from the edge's first corner to its second,
// and the other edges of a rectangle along it stay level across.
TEST(PadGeometry, FallAlongAnEdgeDropsAlongItInTheDesign)
{
    const EarthworkGrid flat{11, 11, 10, std::vector<double>(121, 100.0)};
    // On nodes, so the design there is the pad's own surface: a rectangle 40 x 30 m, its edges
    // east, north, west and south in turn, and a triangle with diagonal edges 3-4-5.
    const std::vector<QPointF> rectangle{{20, 20}, {60, 20}, {60, 50}, {20, 50}},
        triangle{{20, 20}, {80, 20}, {50, 60}};
    const double diagonal = std::atan2(30.0, 40.0) * 180 / M_PI;
    const struct
    {
        const std::vector<QPointF>& corners;
        int edge;
        double fall, bearing; // the edge's direction worked out by hand
    } cases[] = {{rectangle, 0, 2, 90},
                 {rectangle, 1, 2, 0},
                 {rectangle, 2, 3, 270},
                 {rectangle, 3, 1.5, 180},
                 {triangle, 1, 2, 360 - diagonal},
                 {triangle, 2, 2.5, 180 + diagonal}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.corners.size() << " corners, edge " << c.edge);
        PadShape pad{QStringLiteral("ก"), c.corners, 100, 1.5, 2, c.fall};
        const auto bearing = edgeFallBearing(pad, c.edge);
        ASSERT_TRUE(bearing);
        EXPECT_NEAR(*bearing, c.bearing, 1e-9);
        EXPECT_EQ(edgeOfFallBearing(pad, *bearing), c.edge);
        pad.fallBearing = *bearing;
        ASSERT_EQ(padShapeProblem(pad, flat), QString());
        const EarthworkGrid design = designPads(flat, {pad}, PadBalance::None, 1).design;
        const auto at = [&](QPointF node) {
            return design
                .h[std::size_t(std::lround(node.y() / 10) * 11 + std::lround(node.x() / 10))];
        };
        const QPointF from = c.corners[std::size_t(c.edge)];
        const QPointF to = c.corners[std::size_t(c.edge + 1) % c.corners.size()];
        const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
        EXPECT_NEAR(at(to) - at(from), -c.fall / 100 * length, 0.001);
    }
}

TEST(PadGeometry, EdgesThatAreNoneAndBearingsAroundTheCircle)
{
    const PadShape pad{{}, {{0, 0}, {10, 0}, {10, 0}, {0, 10}}, {}};
    EXPECT_FALSE(edgeFallBearing(pad, 1)); // two corners in one place
    EXPECT_FALSE(edgeFallBearing(pad, 4));
    EXPECT_FALSE(edgeFallBearing(pad, -1));
    EXPECT_EQ(edgeOfFallBearing(pad, 45), -1);
    // The edge from (10,0) to (0,10) runs north-west, however the bearing is written.
    for (double bearing : {315.0, -45.0, 675.0, 314.9999999})
        EXPECT_EQ(edgeOfFallBearing(pad, bearing), 2) << bearing;
    EXPECT_EQ(edgeOfFallBearing(pad, 0.0), -1);
    EXPECT_EQ(edgeOfFallBearing(pad, 180.0), 3);
}

TEST(PadGeometry, NearestNodeStaysOnTheGrid)
{
    const struct
    {
        QPointF at, node;
    } cases[] = {{{44.9, 45.1}, {40, 50}},
                 {{-3, 104}, {0, 100}},
                 {{1000, -1000}, {100, 0}},
                 {{5.01, 0}, {10, 0}}};
    for (const auto& c : cases)
        EXPECT_EQ(nearestNode(c.at, 11, 11, 10), c.node) << c.at.x() << ' ' << c.at.y();
}
