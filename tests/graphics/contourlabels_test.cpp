#include "common/numbertext.h"
#include "graphics/contourlabels.h"
#include "graphics/contourplot.h"
#include "graphics/palette.h"
#include "graphics/recordingsurface.h"
#include "support/printto.h"
#include "support/terrain.h"

#include <QPolygonF>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace tervan;

namespace {

ContourLine whole(std::vector<QPointF> points, float level = 5)
{
    ContourLine line;
    line.level = level;
    line.whole = true;
    line.closed = points.size() > 2 && points.front() == points.back();
    line.points = std::move(points);
    return line;
}

std::vector<QPointF> circle(QPointF centre, double radius)
{
    std::vector<QPointF> out;
    for (int k = 0; k <= 96; ++k) {
        const double a = 2 * std::numbers::pi * (k % 96) / 96;
        out.push_back(centre + QPointF(std::cos(a), std::sin(a)) * radius);
    }
    return out;
}

std::vector<QPointF> zigzag(double leg, int legs)
{
    std::vector<QPointF> out{{5, 50}};
    for (int k = 1; k <= legs; ++k)
        out.emplace_back(5 + k * leg, 50 + (k % 2) * leg);
    return out;
}

// Characters one unit wide, lines two high, inside a 200 x 120 frame.
AlongLabelStyle style(double spacing = 30)
{
    AlongLabelStyle s;
    s.spacing = spacing;
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
        sum += std::hypot(points[k].x() - points[k - 1].x(), points[k].y() - points[k - 1].y());
    return sum;
}

struct PlacementCase
{
    const char* name;
    std::vector<ContourLine> lines;
    int fewest, most;
    double angle; // every label's, or NAN when they differ
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
    for (const AlongLabel& label : labels) {
        EXPECT_GT(label.angle, -90);
        EXPECT_LE(label.angle, 90);
        if (!std::isnan(c.angle)) {
            EXPECT_NEAR(label.angle, c.angle, 1e-6);
        }
        EXPECT_EQ(label.text, generalForm(c.lines[label.line].level));
        const auto corners = labelBox(label, s);
        for (const QPointF& p : corners)
            EXPECT_TRUE(s.inside.contains(p)) << p.x() << ' ' << p.y();
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
    {"Straight", {whole({{10, 60}, {190, 60}})}, 6, 6, 0},
    {"RightToLeftReadsLeftToRight", {whole({{190, 60}, {10, 60}})}, 6, 6, 0},
    {"DownwardsReadsUpwards", {whole({{100, 115}, {100, 5}})}, 3, 3, 90},
    {"Circle", {whole(circle({100, 60}, 40))}, 4, 8, NAN},
    {"ZigzagOnItsLegs", {whole(zigzag(20, 8))}, 2, 8, NAN},
    {"ZigzagTooTightForText", {whole(zigzag(1.5, 60))}, 0, 0, NAN},
    {"TooShortPiece", {whole({{50, 50}, {52, 50}})}, 0, 0, NAN},
    {"HugsTheBorder", {whole({{10, 0.5}, {190, 0.5}})}, 0, 0, NAN},
    {"OnlyWholeLevels",
     {[] {
         ContourLine l = whole({{10, 60}, {190, 60}}, 5.5f);
         l.whole = false;
         return l;
     }()},
     0,
     0,
     NAN},
    {"CrowdedParallelsNeverOverlap",
     {whole({{10, 60}, {190, 60}}, 5), whole({{10, 60.5}, {190, 60.5}}, 6),
      whole({{10, 61}, {190, 61}}, 7)},
     3,
     18,
     0},
};

INSTANTIATE_TEST_SUITE_P(AlongLabels, Placement, testing::ValuesIn(PlacementCases),
                         [](const auto& info) { return std::string(info.param.name); });

// On a straight line nothing pulls a label off where it is due: they stand evenly, one
// spacing apart, and each piece of a line that can hold one gets one.
TEST(AlongLabels, EvenSpacingAndOnePerPiece)
{
    const struct
    {
        double spacing;
        int count;
    } table[] = {{30, 6}, {60, 3}, {90, 2}, {500, 1}};
    for (const auto& row : table) {
        const auto labels = placeAlongLabels({whole({{10, 60}, {190, 60}})}, style(row.spacing));
        ASSERT_EQ(int(labels.size()), row.count) << row.spacing;
        std::vector<double> xs;
        for (const AlongLabel& l : labels)
            xs.push_back(l.at.x());
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 1; k < xs.size(); ++k)
            EXPECT_NEAR(xs[k] - xs[k - 1], 180.0 / row.count, 1e-6) << row.spacing;
    }
}

// The axes of a picture may scale differently: the label follows the line as shown.
TEST(AlongLabels, AngleAsShown)
{
    AlongLabelStyle s = style();
    s.scaleY = 2;
    s.inside = QRectF(0, 0, 200, 200);
    const auto labels = placeAlongLabels({whole({{10, 10}, {100, 100}})}, s);
    ASSERT_FALSE(labels.empty());
    EXPECT_NEAR(labels[0].angle, std::atan(2.0) * 180 / std::numbers::pi, 1e-6);
}

TEST(AlongLabels, ContourPictureChangesOnlyWhenAsked)
{
    for (bool along : {false, true}) {
        Project p = terrain(11, 13, 10);
        p.ContourInterval = 0.5f;
        p.ContourLabelsAlong = along;
        RecordingSurface s(0.5f, 1);
        PlotContour(s, p);
        Project plain = terrain(11, 13, 10);
        plain.ContourInterval = 0.5f;
        RecordingSurface reference(0.5f, 1);
        PlotContour(reference, plain);
        const auto turned = s.ops(RecordingSurface::Kind::TurnedText);
        if (!along) {
            EXPECT_EQ(s.ops(), reference.ops());
            continue;
        }
        ASSERT_FALSE(turned.isEmpty());
        for (const auto& op : turned) {
            EXPECT_EQ(std::floor(op.text.toDouble()), op.text.toDouble()) << op.text.toStdString();
            EXPECT_EQ(op.value, colour::Red);
        }
        // Border labels stay; the whole lines lose their gaps under the texts.
        EXPECT_EQ(s.ops(RecordingSurface::Kind::Text), reference.ops(RecordingSurface::Kind::Text));
        const auto total = [](const QList<RecordingSurface::Op>& ops) {
            double sum = 0;
            for (const auto& op : ops)
                sum += std::hypot(op.x2 - op.x1, op.y2 - op.y1);
            return sum;
        };
        EXPECT_LT(total(s.ops(RecordingSurface::Kind::Line)),
                  total(reference.ops(RecordingSurface::Kind::Line)));
    }
}

} // namespace
