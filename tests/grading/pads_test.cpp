#include "grading/pad.h"
#include "grading/pads.h"

#include <QRectF>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

// 31 rows x 41 columns at 5 m over a plane rising east and north.
EarthworkGrid slope()
{
    EarthworkGrid g{31, 41, 5, {}, {}};
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.cols; ++c)
            g.h.push_back(100 + 0.02 * c * g.spacing + 0.01 * r * g.spacing);
    return g;
}

PadShape box(const char* name, QRectF r, std::optional<double> level)
{
    return {name, {r.bottomLeft(), r.bottomRight(), r.topRight(), r.topLeft()}, level};
}

} // namespace

// Pads far apart add up; an L is the two rectangles it is made of.
TEST(Pads, VolumesEqualTheirParts)
{
    const auto design = [](const std::vector<PadShape>& pads) {
        return designPads(slope(), pads, PadBalance::None, 1);
    };
    const PadShape a = box("A", {10, 10, 30, 20}, 100.5), b = box("B", {140, 100, 40, 30}, 103);
    const PadShape l{"L", {{50, 40}, {110, 40}, {110, 70}, {80, 70}, {80, 100}, {50, 100}}, 101.5};
    const std::pair<std::vector<PadShape>, std::vector<std::vector<PadShape>>> cases[] = {
        {{a, b}, {{a}, {b}}}, // each set computed alone and summed
        {{l}, {{box("a", {50, 40, 60, 30}, 101.5), box("b", {50, 70, 30, 30}, 101.5)}}}};
    for (const auto& [together, apart] : cases) {
        SCOPED_TRACE(together[0].name.toStdString());
        const PadsResult r = design(together);
        CutFill parts;
        for (const auto& pads : apart) {
            const CutFill c = design(pads).earthwork.gross;
            parts.cut += c.cut, parts.fill += c.fill;
        }
        EXPECT_NEAR(r.earthwork.gross.cut, parts.cut, 0.01);
        EXPECT_NEAR(r.earthwork.gross.fill, parts.fill, 0.01);
        EXPECT_GT(r.earthwork.gross.cut - r.earthwork.gross.fill, 1) << "moves no earth";
        EXPECT_TRUE(r.conflicts.empty());
    }
}

// A rectangle given as an outline is the pad of node columns and rows.
TEST(Pads, ARectangleIsTheRectangularPad)
{
    const EarthworkGrid g = slope();
    for (const double level : {100.0, 101.7, 104.0}) {
        const PadResult rect = padAt(g, PadRect{3, 4, 12, 10}, level, {1.5, 2.0}, 1);
        const PadsResult outline =
            designPads(g, {box("p", {15, 20, 45, 30}, level)}, PadBalance::None, 1);
        EXPECT_NEAR(outline.earthwork.gross.cut, rect.earthwork.gross.cut, 0.01) << level;
        EXPECT_NEAR(outline.earthwork.gross.fill, rect.earthwork.gross.fill, 0.01) << level;
        for (std::size_t n = 0; n < g.h.size(); ++n)
            ASSERT_NEAR(outline.design.h[n], rect.pad.design.h[n], 1e-9) << level << " node " << n;
    }
}

// A pad falling 2 % to the east: each corner on the plane through the level at its centroid;
// balanced with K, the compacted cut fills it.
TEST(Pads, CrossFallAndBalance)
{
    const EarthworkGrid g = slope();
    PadShape fall = box("fall", {40, 30, 60, 40}, 102);
    fall.fall = 2;
    fall.fallBearing = 90;
    const PadsResult r = designPads(g, {fall}, PadBalance::None, 1);
    for (const QPointF& at : fall.corners) {
        const std::size_t n = std::size_t(at.y() / 5) * g.cols + std::size_t(at.x() / 5);
        EXPECT_NEAR(r.design.h[n], 102 - 0.02 * (at.x() - 70), 0.001) << at.x() << ", " << at.y();
    }
    for (const PadBalance how : {PadBalance::Together, PadBalance::Each}) {
        PadShape open = fall;
        open.level.reset();
        const PadsResult b =
            designPads(g, {open, box("far", {160, 110, 30, 20}, std::nullopt)}, how, 1.25);
        EXPECT_TRUE(b.balanced);
        EXPECT_NEAR(1.25 * b.earthwork.gross.cut, -b.earthwork.gross.fill, 1);
        EXPECT_GT(b.earthwork.gross.cut, 10);
    }
}

// A balance is heard going to the whole; cancelled part way, it gives nothing.
TEST(Pads, BalanceReportsProgressAndStopsWhenCancelled)
{
    const PadShape open = box("open", {40, 30, 60, 40}, std::nullopt);
    for (const int stopAt : {0, 10}) {
        std::vector<double> heard;
        Progress progress([&](double share) { heard.push_back(share); },
                          [&] { return stopAt && int(heard.size()) >= stopAt; });
        const PadsResult r = designPads(slope(), {open}, PadBalance::Together, 1, &progress);
        EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end())) << stopAt;
        if (stopAt) {
            EXPECT_TRUE(r.design.h.empty());
            EXPECT_EQ(int(heard.size()), stopAt);
        } else {
            EXPECT_TRUE(r.balanced);
            EXPECT_EQ(heard.back(), 1.0);
        }
    }
}

// Two pads too close for the step between them: the higher one's fill slope holds and the
// place is listed.
TEST(Pads, FloorAboveCeilingIsReported)
{
    const PadsResult r =
        designPads(slope(), {box("low", {20, 20, 30, 30}, 99), box("high", {55, 20, 30, 30}, 106)},
                   PadBalance::None, 1);
    EXPECT_FALSE(r.conflicts.empty());
    for (const int n : r.conflicts)
        EXPECT_GE(r.design.h[std::size_t(n)], 99);
}

TEST(Pads, BadPadsAreRefusedByName)
{
    const EarthworkGrid g = slope();
    const PadShape steep{"steep", box("", {10, 10, 20, 20}, 100).corners, 100, 0};
    const std::pair<PadShape, const char*> cases[] = {
        {PadShape{"bow", {{10, 10}, {50, 50}, {50, 10}, {10, 50}}, 100}, "ตัดกันเอง"},
        {box("out", {180, 10, 40, 20}, 100), "นอกกริด"},
        {PadShape{"two", {{10, 10}, {50, 50}}, 100}, "3 มุม"},
        {steep, "ลาดดินตัด"},
    };
    for (const auto& [pad, reason] : cases) {
        const QString problem = padShapeProblem(pad, g);
        EXPECT_TRUE(problem.contains(pad.name) && problem.contains(QString::fromUtf8(reason)))
            << problem.toStdString();
    }
    EXPECT_TRUE(padShapeProblem(box("fine", {10, 10, 20, 20}, 100), g).isEmpty());
}
