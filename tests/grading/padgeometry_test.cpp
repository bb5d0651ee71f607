#include "grading/padgeometry.h"
#include "support/printto.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

EarthworkGrid flatGround()
{
    EarthworkGrid g;
    g.rows = 11, g.cols = 11, g.spacing = 10;
    g.h.assign(121, 100.0);
    return g;
}

double designAt(const PadsResult& r, QPointF node)
{
    return r.design.h[std::size_t(std::lround(node.y() / 10) * 11 + std::lround(node.x() / 10))];
}

struct EdgeFall
{
    std::vector<QPointF> corners; // on nodes, so the design there is the pad's own surface
    int edge;
    double fall;
    double bearing; // what the edge's direction is, worked out by hand
};

class FallAlongEdge : public ::testing::TestWithParam<EdgeFall>
{
};

} // namespace

// A fall given along an edge drops by fall x length from the edge's first corner to its second,
// and the other edges of a rectangle along it stay level across.
TEST_P(FallAlongEdge, DropsAlongTheEdgeInTheDesign)
{
    const EdgeFall& c = GetParam();
    PadShape pad;
    pad.name = QStringLiteral("ก");
    pad.corners = c.corners;
    pad.level = 100;
    pad.fall = c.fall;
    const auto bearing = edgeFallBearing(pad, c.edge);
    ASSERT_TRUE(bearing);
    EXPECT_NEAR(*bearing, c.bearing, 1e-9);
    EXPECT_EQ(edgeOfFallBearing(pad, *bearing), c.edge);
    pad.fallBearing = *bearing;
    ASSERT_EQ(padShapeProblem(pad, flatGround()), QString());
    const PadsResult r = designPads(flatGround(), {pad}, PadBalance::None, 1);
    const QPointF from = c.corners[std::size_t(c.edge)];
    const QPointF to = c.corners[std::size_t(c.edge + 1) % c.corners.size()];
    const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
    EXPECT_NEAR(designAt(r, to) - designAt(r, from), -c.fall / 100 * length, 0.001);
}

INSTANTIATE_TEST_SUITE_P(
    Pads, FallAlongEdge,
    ::testing::Values(
        // A rectangle 40 x 30 m, its edges east, north, west and south in turn.
        EdgeFall{{{20, 20}, {60, 20}, {60, 50}, {20, 50}}, 0, 2, 90},
        EdgeFall{{{20, 20}, {60, 20}, {60, 50}, {20, 50}}, 1, 2, 0},
        EdgeFall{{{20, 20}, {60, 20}, {60, 50}, {20, 50}}, 2, 3, 270},
        EdgeFall{{{20, 20}, {60, 20}, {60, 50}, {20, 50}}, 3, 1.5, 180},
        // A triangle with a diagonal edge 3-4-5 (south-west) and its closing edge.
        EdgeFall{{{20, 20}, {80, 20}, {50, 60}}, 1, 2, 360 - std::atan2(30.0, 40.0) * 180 / M_PI},
        EdgeFall{
            {{20, 20}, {80, 20}, {50, 60}}, 2, 2.5, 180 + std::atan2(30.0, 40.0) * 180 / M_PI}));

TEST(PadGeometry, EdgesThatAreNoneAndBearingsAroundTheCircle)
{
    PadShape pad;
    pad.corners = {{0, 0}, {10, 0}, {10, 0}, {0, 10}};
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
