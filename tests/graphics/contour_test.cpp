#include "common/numbertext.h"
#include "graphics/contourlines.h"
#include "graphics/contourplot.h"
#include "graphics/contourtracer.h"
#include "graphics/palette.h"
#include "graphics/recordingsurface.h"
#include "project/controldata.h"
#include "project/project.h"
#include "support/printto.h"

#include <QLineF>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace tervan;

namespace {

// Everything the tracer reports, one text per item.
struct Recorded final : ContourSink
{
    QStringList items;
    void level(float l, int w) override { items << QStringLiteral("level %1 w%2").arg(l).arg(w); }
    void point(float x, float y) override { items << QStringLiteral("point %1 %2").arg(x).arg(y); }
    void segment(float x1, float y1, float x2, float y2) override
    {
        items << QStringLiteral("line %1 %2 %3 %4").arg(x1).arg(y1).arg(x2).arg(y2);
    }
    void label(Border b, float x, float y, float l) override
    {
        items << QStringLiteral("label %1 %2 %3 %4").arg(int(b)).arg(x).arg(y).arg(l);
    }
    QStringList starting(const QString& prefix) const
    {
        return items.filter(QRegularExpression("^" + prefix));
    }
};

// A grid of `rows` x `cols` nodes at 10 m with the given elevations, bottom row first.
Project terrain(qint16 rows, qint16 cols, std::vector<float> z, float interval = 1)
{
    Project p = startupProject();
    applyControlData(p, {10, rows, cols, interval});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = z[n - 1];
    p.ComputeElevationRange();
    return p;
}

Recorded trace(const Project& p, float interval,
               ContourEmphasis bold = ContourEmphasis::WholeLevels)
{
    Recorded r;
    TraceContours(p, interval, bold, r);
    return r;
}

// The tracing rules written out plainly, every cell at every level: the reference the
// indexed walk must match item for item. A triangle lying at the level draws nothing.
Recorded plainTrace(const Project& p, float interval, ContourEmphasis bold)
{
    Recorded r;
    const double base = std::floor(double(p.ElevMin));
    int step = 1;
    float L = float(base + interval);
    if (L < p.ElevMin)
        L = float(base + ++step * double(interval));
    const float right = float((p.GridCols - 1) * p.GridSpacing);
    const float top = float((p.GridRows - 1) * p.GridSpacing);
    do {
        const bool whole = float(std::floor(L)) == L;
        r.level(L, bold == ContourEmphasis::WholeLevels && whole ? 2 : 1);
        const bool labelled = bold == ContourEmphasis::EveryLevel || whole;
        int last[4] = {-1, -1, -1, -1}; // per border: node last labelled, -1 between nodes
        const auto label = [&](Border b, float x, float y, float L) {
            const float u = b == Border::Bottom || b == Border::Top ? x : y;
            const int at = float(int(u / 10) * 10) == u ? int(u / 10) : -1;
            if (!continuesLevelStretch(p, b, std::exchange(last[int(b)], at), at, L))
                r.label(b, x, y, L);
        };
        for (int i = 1; i < p.GridRows; ++i)
            for (int k = 1; k < p.GridCols; ++k) {
                const int j = (i - 1) * p.GridCols + k;
                const int ll = j, lr = j + 1, ur = j + p.GridCols + 1, ul = j + p.GridCols;
                float cx = 0, cy = 0, px = 0, py = 0;
                bool prev = false;
                const auto at = [&](int n) { return p.Nodes[n].Z == L; };
                const bool flat1 = at(ll) && at(lr) && at(ur), flat2 = at(ll) && at(ur) && at(ul);
                auto edge = [&](int a, int b, int kind, bool draw) { // 0 bottom, 1 side, 2 diag.
                    const NodePoint &A = p.Nodes[a], &B = p.Nodes[b];
                    if (!((A.Z <= L && L <= B.Z) || (A.Z >= L && L >= B.Z))) {
                        if (kind == 2)
                            prev = false, cx = cy = 0;
                        return false;
                    }
                    if (float(double(A.Z) - B.Z) == 0) {
                        cx = A.X, cy = A.Y;
                    } else {
                        const double t = (double(L) - A.Z) / (double(B.Z) - A.Z);
                        cx = float(A.X + t * (double(B.X) - A.X));
                        cy = float(A.Y + t * (double(B.Y) - A.Y));
                    }
                    if (!draw || (kind == 2 && p.Nodes[ll].Z == p.Nodes[ur].Z &&
                                  p.Nodes[lr].Z == p.Nodes[ul].Z)) {
                        prev = false;
                        return true;
                    }
                    if (kind == 0 || !prev)
                        r.point(cx, cy);
                    else
                        r.segment(px, py, cx, cy);
                    px = cx, py = cy, prev = true;
                    return true;
                };
                edge(ll, lr, 0, !flat1);
                if (labelled && cy == 0 && cx != 0)
                    label(Border::Bottom, cx, cy, L);
                edge(lr, ur, 1, !flat1);
                if (labelled && cx == right)
                    label(Border::Right, cx, cy, L);
                edge(ll, ur, 2, !flat1 && !flat2);
                edge(ur, ul, 1, !flat2);
                if (labelled && cy == top)
                    label(Border::Top, cx, cy, L);
                if (edge(ul, ll, 1, !flat2) && labelled && cx == 0)
                    label(Border::Left, cx, cy, L);
            }
        L = float(base + ++step * double(interval));
    } while (L <= p.ElevMax);
    return r;
}

} // namespace

struct LevelCase
{
    std::vector<float> z;
    float interval;
    QStringList levels;
};

class ContourLevelWalk : public ::testing::TestWithParam<LevelCase>
{
};

TEST_P(ContourLevelWalk, StartAboveTheWholeMetreBelowTheLowestNode)
{
    const auto& c = GetParam();
    const Project p = terrain(2, 2, c.z);
    QStringList levels;
    for (const QString& item : trace(p, c.interval).starting("level"))
        levels << item.section(' ', 1, 1);
    EXPECT_EQ(levels, c.levels);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ContourLevelWalk,
    ::testing::Values(LevelCase{{100, 101, 102, 103}, 1, {"101", "102", "103"}},
                      // 100.25 + 0.25 lies below 100.7 and finds nothing; one correction only.
                      LevelCase{{100.7f, 101, 101.2f, 101.1f}, 0.25f, {"100.5", "100.75", "101"}},
                      // The first level is traced even above the highest node.
                      LevelCase{{5, 5, 5, 5}, 1, {"6"}},
                      LevelCase{{-2.5f, -1, -1, -1}, 1, {"-2", "-1"}}));

struct ProblemCase
{
    std::vector<float> z;
    float interval;
    ContourLevels::Problem problem;
    qint64 count;
};

class ContourProblems : public ::testing::TestWithParam<ProblemCase>
{
};

TEST_P(ContourProblems, TraceNothingAndSayWhy)
{
    const auto& c = GetParam();
    const Project p = terrain(2, 2, c.z);
    const ContourLevels levels = contourLevels(p, c.interval);
    EXPECT_EQ(levels.problem, c.problem);
    EXPECT_EQ(levels.count, c.count);
    EXPECT_EQ(trace(p, c.interval).items.isEmpty(), c.problem != ContourLevels::None);
    if (c.problem == ContourLevels::TooMany)
        EXPECT_EQ(contourNotice(levels),
                  QStringLiteral("จำนวนชั้นความสูง %1 ชั้น มากเกินไป กรุณาเพิ่มช่วงชั้นความสูง").arg(c.count));
    else if (c.problem != ContourLevels::None)
        EXPECT_EQ(contourNotice(levels), QStringLiteral("ช่วงชั้นความสูงเล็กเกินไปสำหรับค่าระดับนี้"));
    else
        EXPECT_TRUE(contourNotice(levels).isEmpty());
}

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();
constexpr float Denormal = std::numeric_limits<float>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    Intervals, ContourProblems,
    ::testing::Values(ProblemCase{{0, 1, 2, 3}, 0, ContourLevels::BadInterval, 0},
                      ProblemCase{{0, 1, 2, 3}, -1, ContourLevels::BadInterval, 0},
                      ProblemCase{{0, 1, 2, 3}, NaN, ContourLevels::BadInterval, 0},
                      ProblemCase{{0, 1, 2, 3}, Inf, ContourLevels::BadInterval, 0},
                      ProblemCase{{0, 1, 2, 3}, Denormal, ContourLevels::IntervalTooSmall, 0},
                      // At 1e9 m a step of 1 m no longer changes a 32-bit level.
                      ProblemCase{{1e9f, 1e9f, 2e9f, 2e9f}, 1, ContourLevels::IntervalTooSmall, 0},
                      ProblemCase{{100, 100, 100, 100}, 1e-6f, ContourLevels::IntervalTooSmall, 0},
                      // One height mistyped as 1e6.
                      ProblemCase{{100, 101, 1e6f, 102}, 1, ContourLevels::TooMany, 999900},
                      ProblemCase{{0, 0, 0, 20000}, 1, ContourLevels::None, 20000},
                      ProblemCase{{0, 0, 0, 20001}, 1, ContourLevels::TooMany, 20001},
                      ProblemCase{{0, 0, 0, 2}, 0.0001f, ContourLevels::None, 20000},
                      ProblemCase{{0, 0, 0, 2.1f}, 0.0001f, ContourLevels::TooMany, 21000}));

TEST(ContourTracer, WholeLevelsStayWholeAtDecimalIntervals)
{
    // Summed in 32 bits, 100 + ten steps of 0.1 gives 100.999985 and nothing is ever bold.
    // Labels read as typed: 103.3, not 103.2999.
    for (const auto& [interval, digits] : {std::pair{0.1f, 1}, {0.2f, 1}, {0.01f, 2}, {0.05f, 2}}) {
        const Project p = terrain(2, 2, {100, 101, 103, 102});
        const QStringList levels = trace(p, interval).starting("level");
        for (const char* whole : {"level 101 w2", "level 102 w2", "level 103 w2"})
            EXPECT_TRUE(levels.contains(whole)) << interval << whole;
        struct Labels final : ContourSink
        {
            QStringList texts;
            void level(float, int) override {}
            void point(float, float) override {}
            void segment(float, float, float, float) override {}
            void label(Border, float, float, float l) override { texts << generalForm(l); }
        } labels;
        TraceContours(p, interval, ContourEmphasis::EveryLevel, labels);
        const QRegularExpression typed(QStringLiteral("^10[0-3](\\.\\d{1,%1})?$").arg(digits));
        ASSERT_FALSE(labels.texts.isEmpty());
        for (const QString& text : labels.texts)
            EXPECT_TRUE(typed.match(text).hasMatch()) << interval << " " << text.toStdString();
    }
}

TEST(ContourTracer, WholeLevelsAreBoldAndLabelledAtHalfMetreIntervals)
{
    // A slope rising to the right: every level crosses the bottom and top borders.
    const Project p = terrain(2, 3, {100, 101, 102, 100, 101, 102});
    const Recorded bold = trace(p, 0.5f, ContourEmphasis::WholeLevels);
    EXPECT_EQ(bold.starting("level"),
              (QStringList{"level 100.5 w1", "level 101 w2", "level 101.5 w1", "level 102 w2"}));
    // Level 101 runs through border nodes, so both cells beside it label it.
    EXPECT_EQ(bold.starting("label"),
              (QStringList{"label 0 10 0 101", "label 2 10 10 101", "label 0 10 0 101",
                           "label 2 10 10 101", "label 0 20 0 102", "label 1 20 0 102",
                           "label 2 20 10 102"}));
    const Recorded all = trace(p, 0.5f, ContourEmphasis::EveryLevel);
    EXPECT_EQ(all.starting("level 10[12] w2").size(), 0);
    EXPECT_TRUE(all.starting("label").contains("label 0 5 0 100.5"));
}

TEST(ContourTracer, CellBelowTheLevelDrawsNothing)
{
    // Left cell 0..1 m, right cell reaches 3 m: level 2 and 3 touch only the right cell.
    const Project p = terrain(2, 3, {0, 1, 3, 0, 1, 3});
    const Recorded r = trace(p, 1);
    const int level2 = r.items.indexOf("level 2 w2");
    for (const QString& item : r.items.mid(level2 + 1)) {
        if (!item.startsWith("level") && !item.startsWith("label")) {
            EXPECT_GE(item.section(' ', 1, 1).toFloat(), 10) << item.toStdString();
        }
    }
}

TEST(ContourTracer, FlatEdgeAtTheLevelGivesItsStartNode)
{
    // Bottom edge flat at 1, the level.
    const Project p = terrain(2, 2, {1, 1, 0, 0});
    const Recorded r = trace(p, 1);
    EXPECT_EQ(r.items.mid(0, 3), (QStringList{"level 1 w2", "point 0 0", "line 0 0 10 0"}));
}

TEST(ContourTracer, SaddleDiagonalGivesNoPoint)
{
    // Z(LL) = Z(UR) = 1 = level, Z(LR) = Z(UL) = 0: triangle two starts anew at the top.
    const Project p = terrain(2, 2, {1, 0, 0, 1});
    const Recorded r = trace(p, 1);
    EXPECT_EQ(r.items,
              (QStringList{"level 1 w2", "point 0 0", "line 0 0 10 10", "label 1 10 10 1",
                           "point 10 10", "label 2 10 10 1", "line 10 10 0 0", "label 3 0 0 1"}));
}

TEST(ContourTracer, NoBottomLabelAtTheOrigin)
{
    // Level 1 meets the bottom border only at node 1, which is also on the left border.
    const Project p = terrain(2, 2, {1, 2, 0.5f, 2});
    const QStringList labels = trace(p, 1).starting("label").filter(QRegularExpression(" 1$"));
    EXPECT_EQ(labels, (QStringList{"label 2 3.33333 10 1", "label 3 0 0 1"}));
}

TEST(ContourTracer, IndexedWalkMatchesThePlainRulesOnRandomTerrain)
{
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 20; ++round) {
        const qint16 rows = qint16(2 + rng.bounded(6)), cols = qint16(2 + rng.bounded(6));
        std::vector<float> z;
        for (int n = 0; n < rows * cols; ++n)
            // Whole and half metres make levels land on nodes and flat edges often.
            z.push_back(float(rng.bounded(12)) * 0.5f + (round % 3 == 0 ? 0.25f : 0));
        const Project p = terrain(rows, cols, z);
        for (const auto& [interval, bold] : {std::pair{1.0f, ContourEmphasis::WholeLevels},
                                             {0.5f, ContourEmphasis::EveryLevel},
                                             {0.3f, ContourEmphasis::WholeLevels}})
            ASSERT_EQ(trace(p, interval, bold).items, plainTrace(p, interval, bold).items)
                << "round " << round << " interval " << interval;
    }
}

TEST(ContourPlot, DrawsInTheLineColourWithRedLabelsOutsideTheBorder)
{
    Project p = terrain(2, 3, {100, 101, 102, 100, 101, 102});
    p.UseChosenColor = -1;
    p.ChosenColorIndex = 9;
    RecordingSurface s(1, 2); // text 1 m a character wide, 2 m high
    EXPECT_EQ(PlotContour(s, p), 103);
    for (const auto& op : s.ops(RecordingSurface::Kind::Line))
        EXPECT_EQ(op.value, 9);
    const auto labels = s.ops(RecordingSurface::Kind::Text);
    ASSERT_EQ(labels.size(), 7);
    // "101" hangs below the bottom border, centred on the crossing at x = 10.
    EXPECT_EQ(labels[0].text, " 101");
    EXPECT_EQ(labels[0].value, colour::Red);
    EXPECT_EQ(labels[0].x1, 8.5f);
    EXPECT_EQ(labels[0].y1, 0);
    // Above the top border: y + 1.5 h.
    EXPECT_EQ(labels[1].x1, 8.5f);
    EXPECT_EQ(labels[1].y1, 13);
    // Right of the right border, centred vertically: y + h / 2.
    EXPECT_EQ(labels[5].x1, 20);
    EXPECT_EQ(labels[5].y1, 1);
}

TEST(ContourTracer, FlatGroundAtALevelDrawsItsEdgeAndLabelsEachBorderStretchOnce)
{
    // A third of a 12 x 12 grid is sea at 0 m with one node below it; east of it the ground
    // rises a metre a column. Only the coast (110 m) and the dip (20 m) are drawn.
    //    0 0 0 0 1 2 .. 8
    //   -1 0 0 0 1 2 .. 8
    std::vector<float> sea(144);
    for (int n = 0; n < 144; ++n)
        sea[n] = n == 0 ? -1.0f : float(std::max(n % 12 - 3, 0));
    double drawn = 0;
    QStringList written;
    bool atLevel = false;
    for (const QString& item : trace(terrain(12, 12, sea), 1).items) {
        const QStringList w = item.split(' ');
        atLevel = w[0] == "level" ? w[1] == "0" : atLevel;
        if (atLevel && w[0] == "line")
            drawn +=
                std::hypot(w[3].toDouble() - w[1].toDouble(), w[4].toDouble() - w[2].toDouble());
        if (atLevel && w[0] == "label")
            written << item;
    }
    EXPECT_NEAR(drawn, 130, 1e-3);
    EXPECT_EQ(written, (QStringList{"label 0 10 0 0", "label 3 0 10 0", "label 2 10 110 0"}));
    //  104 104 104 104   one label along the top border, not three
    //  103 103 103 103
    EXPECT_EQ(trace(terrain(2, 4, {103, 103, 103, 103, 104, 104, 104, 104}), 1).starting("label"),
              (QStringList{"label 2 10 10 104", "label 3 0 10 104", "label 1 30 10 104"}));
}

namespace {

// The length of the level set of the two-triangle surface: a straight piece across each
// triangle the level crosses, and each edge at the level unless flat ground at the level lies on
// all its sides.
double levelSetLength(const Project& p, double level)
{
    using Node = std::pair<int, int>; // row, column
    const auto z = [&](Node n) {
        return double(p.Nodes[n.first * p.GridCols + n.second + 1].Z) - level;
    };
    const auto at = [](Node n) { return QPointF(n.second * 10.0, n.first * 10.0); };
    double length = 0;
    std::map<std::pair<Node, Node>, bool> besideSlope; // the edges at the level
    for (int r = 0; r + 1 < p.GridRows; ++r)
        for (int c = 0; c + 1 < p.GridCols; ++c)
            for (const auto& t : {std::array<Node, 3>{{{r, c}, {r, c + 1}, {r + 1, c + 1}}},
                                  std::array<Node, 3>{{{r, c}, {r + 1, c + 1}, {r + 1, c}}}}) {
                std::vector<QPointF> crossing;
                for (int i = 0; i < 3; ++i) {
                    const Node a = t[i], b = t[(i + 1) % 3];
                    if (z(a) == 0)
                        crossing.push_back(at(a));
                    else if (z(a) * z(b) < 0)
                        crossing.push_back(at(a) + (at(b) - at(a)) * (z(a) / (z(a) - z(b))));
                    if (z(a) == 0 && z(b) == 0)
                        besideSlope[std::minmax(a, b)] |= z(t[(i + 2) % 3]) != 0;
                }
                const int zeros = (z(t[0]) == 0) + (z(t[1]) == 0) + (z(t[2]) == 0);
                if (zeros < 2 && crossing.size() == 2)
                    length += QLineF(crossing[0], crossing[1]).length();
            }
    for (const auto& [edge, sloped] : besideSlope)
        length += sloped ? 10 * std::hypot(edge.first.first - edge.second.first,
                                           edge.first.second - edge.second.second)
                         : 0;
    return length;
}

} // namespace

// What the writers get: each piece of each level once, joined end to end, as long as the level
// set; never a segment twice or back again, never a piece of no length. One cell through its
// corner at 100 and across the far side at its middle (11.18 m once at 100); a flat square at a
// level (its 40 m outline); then random whole metres: levels through nodes, flat cells, saddles.
TEST(ExactContourLines, AreTheLevelSetOnce)
{
    QRandomGenerator random(17);
    for (int trial = 0; trial < 22; ++trial) {
        const qint16 rows = trial == 0 ? 2 : trial == 1 ? 4 : 7, cols = trial > 1 ? 8 : rows;
        std::vector<float> z(std::size_t(rows * cols));
        for (float& v : z)
            v = float(random.bounded(4));
        if (trial < 2)
            z = trial == 0 ? std::vector<float>{100, 99, 101, 101}
                           : std::vector<float>{0, 0, 0, 0, 0, 2, 2, 0, 0, 2, 2, 0, 0, 0, 0, 0};
        const Project p = terrain(rows, cols, z, 1);
        std::map<float, double> lengths;
        for (const ContourLine& line : traceContourLines(p, 1).lines) {
            std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> seen;
            for (std::size_t i = 1; i < line.points.size(); ++i) {
                const QPointF a = line.points[i - 1], b = line.points[i];
                EXPECT_NE(a, b) << trial << " level " << line.level;
                lengths[line.level] += QLineF(a, b).length();
                EXPECT_TRUE(
                    seen.insert(std::minmax({std::pair(a.x(), a.y()), std::pair(b.x(), b.y())}))
                        .second)
                    << trial << " level " << line.level << " twice at " << a.x() << ',' << a.y();
            }
        }
        for (float level = p.ElevMin + 1; level <= p.ElevMax; ++level) { // as the tracer starts
            const double want = trial == 0 && level == 100 ? std::hypot(10.0, 5.0)
                                : trial == 1 && level == 2 ? 40
                                                           : levelSetLength(p, level);
            EXPECT_NEAR(lengths[level], want, 1e-9 * std::max(1.0, want))
                << "trial " << trial << " level " << level;
        }
    }
}

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
    bool anyIndex = false;
    for (const ContourLine& line : traceContourLines(p, c.interval).lines) {
        EXPECT_EQ(line.whole, std::fmod(line.level, c.indexEvery) == 0) << line.level;
        anyIndex |= line.whole;
    }
    EXPECT_TRUE(anyIndex);
}

INSTANTIATE_TEST_SUITE_P(Levels, ContourLevelRule,
                         testing::Values(LevelsCase{5, true, 95, 195, 25},
                                         LevelsCase{1, true, 94, 195, 5},
                                         LevelsCase{5, false, 99, 194, 1},
                                         LevelsCase{0.5f, false, 94.5f, 195, 1}));
