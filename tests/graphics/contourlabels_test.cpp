#include "common/numbertext.h"
#include "graphics/contourlabels.h"
#include "graphics/contourplot.h"
#include "graphics/gridplot.h"
#include "graphics/palette.h"
#include "graphics/recordingsurface.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <QLineF>
#include <QPolygonF>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <set>

using namespace tervan;

namespace {

ContourLine whole(std::vector<QPointF> points, float level = 5)
{
    return {level, std::floor(level) == level, points.front() == points.back(), points};
}

// n + 1 points: a circle of radius 40 or a zigzag of legs 20 m across and up or down.
std::vector<QPointF> path(int n, bool round)
{
    std::vector<QPointF> out;
    for (double k = 0, a = 0; k <= n; ++k, a = 2 * std::numbers::pi * (int(k) % n) / n)
        out.push_back(round ? QPointF(100 + 40 * std::cos(a), 60 + 40 * std::sin(a))
                            : QPointF(5 + 20 * k, 50 + 20 * (int(k) % 2)));
    return out;
}

// Characters one unit wide, lines two high, inside a 200 x 120 frame.
AlongLabelStyle style()
{
    AlongLabelStyle s;
    s.spacing = 30;
    s.textHeight = 2;
    s.textWidth = [](const QString& t) { return double(t.size()); };
    s.text = [](float level) { return generalForm(level); };
    s.inside = QRectF(0, 0, 200, 120);
    return s;
}

double length(const std::vector<QPointF>& points)
{
    double sum = 0;
    for (std::size_t k = 1; k < points.size(); ++k)
        sum += QLineF(points[k - 1], points[k]).length();
    return sum;
}

struct PlacementCase
{
    const char* name;
    std::vector<ContourLine> lines;
    int fewest, most;
    double angle;     // every label's, or NAN when they differ
    double apart = 0; // between neighbours along a straight line
};

class Placement : public testing::TestWithParam<PlacementCase>
{
};

TEST_P(Placement, LabelsStandUprightApartAndInside)
{
    const PlacementCase& c = GetParam();
    const AlongLabelStyle s = style();
    const auto labels = placeAlongLabels(c.lines, s);
    EXPECT_GE(int(labels.size()), c.fewest);
    EXPECT_LE(int(labels.size()), c.most);
    std::vector<QPolygonF> boxes;
    std::set<double> along; // position on an axis-parallel line
    for (const AlongLabel& label : labels)
        along.insert(label.at.x() + label.at.y());
    for (auto k = along.begin(); c.apart > 0 && std::next(k) != along.end(); ++k)
        EXPECT_NEAR(*std::next(k) - *k, c.apart, 1e-6);
    for (const AlongLabel& label : labels) {
        EXPECT_GT(label.angle, -90);
        EXPECT_LE(label.angle, 90);
        EXPECT_TRUE(std::isnan(c.angle) || std::abs(label.angle - c.angle) < 1e-6);
        EXPECT_EQ(label.text, generalForm(c.lines[label.line].level));
        const auto corners = labelBox(label, s);
        for (const QPointF& p : corners)
            EXPECT_TRUE(s.inside.contains(p));
        const QPolygonF box(QList<QPointF>(corners.begin(), corners.end()));
        for (const QPolygonF& other : boxes)
            EXPECT_FALSE(box.intersects(other));
        boxes.push_back(box);
    }
    // The gaps under the texts are all that goes missing from the lines.
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
        double drawn = 0, gaps = 0;
        for (const auto& piece : linePieces(c.lines[i], i, labels))
            drawn += length(piece);
        for (const AlongLabel& label : labels)
            if (label.line == i)
                gaps += label.to - label.from;
        EXPECT_NEAR(drawn + gaps, length(c.lines[i].points), 1e-6);
    }
}

const PlacementCase PlacementCases[] = {
    {"Straight", {whole({{10, 60}, {190, 60}})}, 6, 6, 0, 30},
    {"RightToLeftReadsLeftToRight", {whole({{190, 60}, {10, 60}})}, 6, 6, 0, 30},
    {"DownwardsReadsUpwards", {whole({{100, 115}, {100, 5}})}, 3, 3, 90, 110.0 / 3},
    {"Circle", {whole(path(96, true))}, 4, 8, NAN},
    {"ZigzagOnItsLegs", {whole(path(8, false))}, 2, 8, NAN},
    {"TooShortPiece", {whole({{50, 50}, {52, 50}})}, 0, 0, NAN},
    {"HugsTheBorder", {whole({{10, 0.5}, {190, 0.5}})}, 0, 0, NAN},
    {"OnlyWholeLevels", {whole({{10, 60}, {190, 60}}, 5.5f)}, 0, 0, NAN},
    {"CrowdedParallelsNeverOverlap",
     {whole({{10, 60}, {190, 60}}, 5), whole({{10, 60.5}, {190, 60.5}}, 6),
      whole({{10, 61}, {190, 61}}, 7)},
     3,
     18,
     0},
};

INSTANTIATE_TEST_SUITE_P(AlongLabels, Placement, testing::ValuesIn(PlacementCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Only when asked, the whole levels carry upright red labels along them.
TEST(AlongLabels, ContourPictureChangesOnlyWhenAsked)
{
    // With node labels written, no label along a line sits on one of them.
    const NodeLabels nodes{true, true, true};
    for (const auto& [along, written] : {std::pair{false, false}, {true, false}, {true, true}}) {
        Project p = terrain(11, 13, 10);
        p.ContourLabelsAlong = along;
        RecordingSurface s(0.5f, 1);
        PlotContour(s, p, nullptr, written ? &nodes : nullptr);
        const auto turned = s.ops(RecordingSurface::Kind::TurnedText);
        EXPECT_EQ(turned.isEmpty(), !along);
        for (const auto& op : turned) {
            EXPECT_TRUE(op.value == colour::Red && op.text == generalForm(op.text.toInt()));
            for (int j = 1; written && j <= p.NodeCount; ++j) {
                const QRectF box(QPointF(p.Nodes[j].X, p.Nodes[j].Y - 1),
                                 QSizeF(s.textWidth(nodeLabelText(p, nodes, j)), 1));
                EXPECT_FALSE(box.contains(op.x1, op.y1)) << "node " << j;
            }
        }
    }
}

} // namespace
