#include "common/messages.h"
#include "grading/cutfillmap.h"
#include "grading/designsurface.h"
#include "grading/pad.h"
#include "graphics/recordingsurface.h"
#include "project/controldata.h"
#include "project/project.h"
#include "project/projectfile.h"
#include "support/files.h"
#include "support/printto.h"

#include "graphics/palette.h"
#include <QColor>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cmath>

#include <gtest/gtest.h>
#include <random>

using namespace tervan;

namespace {

struct P3
{
    double x, y, f;
};

// The integral of max(f, 0) over a triangle on which f is linear: the part where f >= 0,
// clipped as a polygon, cut into a fan, each piece its area times its mean.
double positiveIntegral(const std::array<P3, 3>& t)
{
    std::vector<P3> poly;
    for (int a = 0; a < 3; ++a) {
        const P3 &p = t[a], &q = t[(a + 1) % 3];
        if (p.f >= 0)
            poly.push_back(p);
        if ((p.f >= 0) != (q.f >= 0)) {
            const double s = p.f / (p.f - q.f);
            poly.push_back({p.x + s * (q.x - p.x), p.y + s * (q.y - p.y), 0});
        }
    }
    double sum = 0;
    for (std::size_t i = 1; i + 1 < poly.size(); ++i) {
        const P3 &a = poly[0], &b = poly[i], &c = poly[i + 1];
        const double area = std::abs((b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y)) / 2;
        sum += area * (a.f + b.f + c.f) / 3;
    }
    return sum;
}

// Cut and fill of a depth function given at the nodes, each cell cut into four triangles at
// its centre, integrated triangle by triangle.
CutFill independentCutFill(int rows, int cols, double s, const std::vector<double>& d)
{
    CutFill total;
    for (int i = 0; i + 1 < rows; ++i)
        for (int j = 0; j + 1 < cols; ++j) {
            const int n[4] = {i * cols + j, i * cols + j + 1, (i + 1) * cols + j + 1,
                              (i + 1) * cols + j};
            const double cx = (j + 0.5) * s, cy = (i + 0.5) * s;
            const double cf = (d[n[0]] + d[n[1]] + d[n[2]] + d[n[3]]) / 4;
            for (int e = 0; e < 4; ++e) {
                const int a = n[e], b = n[(e + 1) % 4];
                for (const double sign : {1.0, -1.0}) {
                    const std::array<P3, 3> t{P3{(a % cols) * s, (a / cols) * s, sign * d[a]},
                                              P3{(b % cols) * s, (b / cols) * s, sign * d[b]},
                                              P3{cx, cy, sign * cf}};
                    (sign > 0 ? total.cut : total.fill) += sign * positiveIntegral(t);
                }
            }
        }
    return total;
}

EarthworkGrid randomGround(std::mt19937& random)
{
    std::uniform_int_distribution<int> size(3, 16), spacing(1, 20);
    std::uniform_real_distribution<double> height(95, 105);
    EarthworkGrid g;
    g.rows = size(random);
    g.cols = size(random);
    g.spacing = spacing(random);
    g.h.resize(std::size_t(g.rows * g.cols));
    for (double& z : g.h)
        z = height(random);
    return g;
}

// The pad rule as the engineer states it, node by node.
std::vector<double> ruleDesign(const EarthworkGrid& g, const PadRect& r, double zp, double hc,
                               double hf)
{
    std::vector<double> out;
    for (int n = 0; n < g.rows * g.cols; ++n) {
        const double x = (n % g.cols) * g.spacing, y = (n / g.cols) * g.spacing;
        const double nx = std::clamp(x, r.c0 * g.spacing, r.c1 * g.spacing);
        const double ny = std::clamp(y, r.r0 * g.spacing, r.r1 * g.spacing);
        const double d = std::sqrt((x - nx) * (x - nx) + (y - ny) * (y - ny));
        const double z = g.h[std::size_t(n)];
        out.push_back(z > zp ? std::min(z, zp + d / hc) : std::max(z, zp - d / hf));
    }
    return out;
}

std::vector<double> minus(const std::vector<double>& a, const std::vector<double>& b)
{
    std::vector<double> out;
    for (std::size_t i = 0; i < a.size(); ++i)
        out.push_back(a[i] - b[i]);
    return out;
}

struct RandomPad
{
    PadRect rect;
    double hc, hf, k, zp;
};

RandomPad randomPad(std::mt19937& random, const EarthworkGrid& g)
{
    std::uniform_int_distribution<int> col(0, g.cols - 2), row(0, g.rows - 2);
    std::uniform_real_distribution<double> run(0.5, 3), k(0.8, 1.3), level(95, 105);
    RandomPad p;
    p.rect.c0 = col(random);
    p.rect.r0 = row(random);
    p.rect.c1 = std::uniform_int_distribution<int>(p.rect.c0 + 1, g.cols - 1)(random);
    p.rect.r1 = std::uniform_int_distribution<int>(p.rect.r0 + 1, g.rows - 1)(random);
    p.hc = run(random);
    p.hf = run(random);
    p.k = k(random);
    p.zp = level(random);
    return p;
}

class RandomSite : public testing::TestWithParam<unsigned>
{
};

} // namespace

TEST_P(RandomSite, ComparisonMatchesTriangleByTriangleIntegration)
{
    std::mt19937 random(GetParam());
    const EarthworkGrid ground = randomGround(random);
    EarthworkGrid design = ground;
    std::uniform_real_distribution<double> noise(-3, 3);
    for (double& z : design.h)
        z = 100 + 0.02 * z + noise(random);
    const Earthwork e = depthEarthwork(depthGrid(ground, design));
    const CutFill expected =
        independentCutFill(ground.rows, ground.cols, ground.spacing, minus(ground.h, design.h));
    EXPECT_NEAR(e.gross.cut, expected.cut, 0.01);
    EXPECT_NEAR(e.gross.fill, expected.fill, 0.01);
    ASSERT_EQ(int(e.cells.size()), ground.cellCount());
    EXPECT_GE(e.gross.cut, e.fourCorner.cut - 1e-9);
}

TEST_P(RandomSite, PadMatchesTheDesignRule)
{
    std::mt19937 random(GetParam());
    const EarthworkGrid ground = randomGround(random);
    const RandomPad p = randomPad(random, ground);
    const PadResult r = padAt(ground, p.rect, p.zp, {p.hc, p.hf}, p.k);
    const std::vector<double> rule = ruleDesign(ground, p.rect, p.zp, p.hc, p.hf);
    const CutFill expected =
        independentCutFill(ground.rows, ground.cols, ground.spacing, minus(ground.h, rule));
    EXPECT_NEAR(r.earthwork.gross.cut, expected.cut, 0.01);
    EXPECT_NEAR(r.earthwork.gross.fill, expected.fill, 0.01);
    EXPECT_NEAR(r.net, p.k * expected.cut + expected.fill, 0.01);
    int open = 0;
    for (int n = 0; n < ground.rows * ground.cols; ++n) {
        const int i = n / ground.cols, j = n % ground.cols;
        const bool border = i == 0 || j == 0 || i == ground.rows - 1 || j == ground.cols - 1;
        const bool onPad = j >= p.rect.c0 && j <= p.rect.c1 && i >= p.rect.r0 && i <= p.rect.r1;
        open += border && !onPad && rule[std::size_t(n)] != ground.h[std::size_t(n)];
    }
    EXPECT_EQ(int(r.pad.openEdge.size()), open);
}

TEST_P(RandomSite, BalancedPadMatchesBisectionOnTheRule)
{
    std::mt19937 random(GetParam());
    const EarthworkGrid ground = randomGround(random);
    const RandomPad p = randomPad(random, ground);
    const auto net = [&](double zp) {
        const CutFill c =
            independentCutFill(ground.rows, ground.cols, ground.spacing,
                               minus(ground.h, ruleDesign(ground, p.rect, zp, p.hc, p.hf)));
        return p.k * c.cut + c.fill;
    };
    double lo = 90, hi = 110;
    while (hi - lo > 1e-5)
        (net((lo + hi) / 2) > 0 ? lo : hi) = (lo + hi) / 2;
    const PadResult r = balancedPad(ground, p.rect, {p.hc, p.hf}, p.k);
    EXPECT_NEAR(r.zp, lo, 0.001);
    EXPECT_TRUE(r.balanced);
    EXPECT_LE(r.evaluations, 60);
    // One centimetre moves the net by about the per-centimetre figure.
    EXPECT_NEAR(net(r.zp - 0.005) - net(r.zp + 0.005), r.perCentimetre, 0.01);
}

INSTANTIATE_TEST_SUITE_P(TenSites, RandomSite, testing::Range(1u, 11u));

struct MismatchCase
{
    int rows, cols;
    double spacing;
    const char* word; // nullptr: the grids match
};

class GridMismatch : public testing::TestWithParam<MismatchCase>
{
};

TEST_P(GridMismatch, SaysWhichPartDiffers)
{
    const MismatchCase c = GetParam();
    EarthworkGrid a{4, 5, 10, std::vector<double>(20, 1)};
    EarthworkGrid b{c.rows, c.cols, c.spacing,
                    std::vector<double>(std::size_t(c.rows * c.cols), 1)};
    const QString why = gridMismatch(a, b);
    if (c.word)
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.word))) << why.toStdString();
    else
        EXPECT_TRUE(why.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Grids, GridMismatch,
                         testing::Values(MismatchCase{4, 5, 10, nullptr},
                                         MismatchCase{5, 5, 10, "จำนวนแถว"},
                                         MismatchCase{4, 6, 10, "จำนวนคอลัมน์"},
                                         MismatchCase{4, 5, 5, "ระยะห่างกริด"}));

namespace {

// A 3 x 3 ground at 10 m, five metres everywhere.
Project flatSite()
{
    Project p = startupProject();
    applyControlData(p, {10, 3, 3, 1});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 5;
    return p;
}

} // namespace

struct DesignFileCase
{
    const char* name;
    // The file's text for the flat site, or empty for a project pair at 4.5 m.
    std::function<QByteArray(const Project&)> text;
};

class DesignFile : public testing::TestWithParam<DesignFileCase>
{
};

TEST_P(DesignFile, EveryLayoutGivesTheSameHalfMetreOfCut)
{
    const Project site = flatSite();
    QTemporaryDir dir;
    QString name = dir.filePath(QStringLiteral("design"));
    if (const QByteArray text = GetParam().text(site); text.isEmpty()) {
        Project design = site;
        for (int n = 1; n <= design.NodeCount; ++n)
            design.Nodes[n].Z = 4.5f;
        ASSERT_FALSE(saveProjectFiles(design, projectFileNames(name)));
        name += QStringLiteral(".gnd");
    } else {
        name += QStringLiteral(".csv");
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const auto loaded = loadDesignSurface(site, name);
    ASSERT_TRUE(std::holds_alternative<EarthworkGrid>(loaded));
    const Earthwork e =
        depthEarthwork(depthGrid(earthworkGrid(site), std::get<EarthworkGrid>(loaded)));
    EXPECT_NEAR(e.gross.cut, 0.5 * 400, 1e-9);
    EXPECT_EQ(e.gross.fill, 0);
}

// A design pair whose nodes are off the header's grid (two saves mixed) is refused, not used.
TEST(DesignFile, MixedPairIsRefused)
{
    const Project site = flatSite();
    Project design = site;
    design.Nodes[5].X += 10;
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("design"));
    ASSERT_FALSE(saveProjectFiles(design, projectFileNames(name)));
    const auto loaded = loadDesignSurface(site, name + QStringLiteral(".gnd"));
    ASSERT_TRUE(std::holds_alternative<QStringList>(loaded));
    EXPECT_TRUE(std::get<QStringList>(loaded).join(' ').contains(QStringLiteral("5")));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DesignFile,
    testing::Values(DesignFileCase{"Project", [](const Project&) { return QByteArray(); }},
                    DesignFileCase{"OnePerLine",
                                   [](const Project&) { return QByteArray("4.5\n").repeated(9); }},
                    DesignFileCase{"NodeAndHeight",
                                   [](const Project& p) {
                                       QByteArray out;
                                       for (int n = 1; n <= p.NodeCount; ++n)
                                           out += QByteArray::number(n) + ";4.5\n";
                                       return out;
                                   }},
                    DesignFileCase{"XYZ",
                                   [](const Project& p) {
                                       QByteArray out("x,y,z\n");
                                       for (int n = 1; n <= p.NodeCount; ++n)
                                           out += QByteArray::number(p.Nodes[n].X) + ',' +
                                                  QByteArray::number(p.Nodes[n].Y) + ",4.5\n";
                                       return out;
                                   }}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

// Depth 1 - 0.08 x on a 3 x 3 grid at 10 m: the zero line runs up x = 12.5.
CutFillMap leftCutRightFill()
{
    CutFillMap m;
    m.depth = {3, 3, 10, {1, 0.2, -0.6, 1, 0.2, -0.6, 1, 0.2, -0.6}};
    return m;
}

} // namespace

TEST(CutFillMap, FillsCutsAndFillsInTheirHuesWithTheZeroLineBold)
{
    RecordingSurface s;
    DrawCutFillMap(s, leftCutRightFill(), 1.6, 9);
    // Every piece lies wholly on one side of the zero line, in that side's hue.
    int cuts = 0, fills = 0;
    const auto ops = s.ops();
    for (const auto& op : ops) {
        if (op.kind != RecordingSurface::Kind::Fill || op.x1 < 0 || op.x1 > 20)
            continue;
        const QColor c = QColor::fromRgb(QRgb(op.value));
        if (op.x1 < 12.5) {
            EXPECT_GT(c.red(), c.blue()) << op.x1;
            ++cuts;
        } else {
            EXPECT_GT(c.blue(), c.red()) << op.x1;
            ++fills;
        }
    }
    EXPECT_GT(cuts, 0);
    EXPECT_GT(fills, 0);
    // Every line drawn at width 3 lies on x = 12.5.
    int width = 1, bold = 0;
    for (const auto& op : ops) {
        if (op.kind == RecordingSurface::Kind::LineWidth)
            width = op.value;
        else if (op.kind == RecordingSurface::Kind::Line && width == 3 && op.x1 <= 20) {
            ++bold;
            EXPECT_FLOAT_EQ(op.x1, 12.5);
            EXPECT_FLOAT_EQ(op.x2, 12.5);
        }
    }
    EXPECT_EQ(bold, 6);
}

// Outside a site's outline the map colours nothing and draws the outline: here the outline is
// the left column of cells, so nothing right of x = 10 is filled.
TEST(CutFillMap, LeavesTheGroundOutsideTheSiteUncoloured)
{
    CutFillMap m = leftCutRightFill();
    m.depth.mask = OutlineMask::build(3, 3, 10, {{0, 0}, {10, 0}, {10, 20}, {0, 20}});
    ASSERT_TRUE(m.depth.mask);
    RecordingSurface s;
    DrawCutFillMap(s, m, 1.6, 9);
    int filled = 0, outline = 0;
    for (const auto& op : s.ops()) {
        if (op.kind == RecordingSurface::Kind::Fill && op.x1 >= 0 && op.x1 <= 20 && op.y1 >= 0 &&
            op.y1 <= 20) {
            ++filled;
            EXPECT_LE(op.x1, 10) << op.x1 << ',' << op.y1; // the triangle's centroid
        }
        outline += op.kind == RecordingSurface::Kind::Line && op.value == colour::BrightBlue &&
                   op.x1 <= 20;
    }
    EXPECT_GT(filled, 0);
    EXPECT_EQ(outline, 4);
}

TEST(PadMap, MarksTheOpenEdgeAndDrawsTheDaylightLine)
{
    // Flat ground at 0 on 5 x 5 nodes 1 m apart; a pad 3 m up on the middle node's cell with
    // 1:1 fill slopes reaches the ground 3 m out, past the border on every border node.
    EarthworkGrid g{5, 5, 1, std::vector<double>(25, 0)};
    const PadResult r = padAt(g, {1, 1, 2, 2}, 3, {1, 1}, 1);
    EXPECT_EQ(r.pad.openEdge.size(), 16u);
    const PadResult low = padAt(g, {1, 1, 2, 2}, 0.5, {1, 1}, 1);
    EXPECT_TRUE(low.pad.openEdge.empty());
    RecordingSurface s;
    DrawCutFillMap(s, padMap(g, low, 0), 1, 9);
    bool daylight = false;
    for (const auto& op : s.ops(RecordingSurface::Kind::Line))
        daylight = daylight || op.value == 2;
    EXPECT_TRUE(daylight);
}

// A design file naming some nodes only is refused with how many it leaves out and the first;
// asked to, the others keep the ground.
TEST(DesignFile, NodesLeftOutAreNamedOrKeepTheGround)
{
    const Project site = flatSite();
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("part.csv"));
    ASSERT_TRUE(writeBytes(name, "node,z\n1,4\n2,4\n4,4\n"));
    int missing = -1;
    const auto refused = loadDesignSurface(site, name, false, &missing);
    ASSERT_TRUE(std::holds_alternative<QStringList>(refused));
    EXPECT_EQ(missing, 6);
    EXPECT_TRUE(
        std::get<QStringList>(refused).join(' ').contains(QStringLiteral("6 จุด จุดแรกคือจุดที่ 3")))
        << std::get<QStringList>(refused).join(' ').toStdString();
    const auto taken = loadDesignSurface(site, name, true, &missing);
    ASSERT_TRUE(std::holds_alternative<EarthworkGrid>(taken));
    EXPECT_EQ(missing, 0);
    const auto& h = std::get<EarthworkGrid>(taken).h;
    EXPECT_EQ(std::count(h.begin(), h.end(), 4.0), 3);
    EXPECT_EQ(std::count(h.begin(), h.end(), 5.0), 6);
}
