#include "support/printto.h"
#include "survey/gridding.h"
#include "surveysites.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gdal.h>
#include <gtest/gtest.h>

using namespace tervan;
using namespace surveysites;

namespace {

GridResult grid(const std::vector<SurveyPoint>& points, const GridFrame& f,
                GridMethod method = GridMethod::Linear, const GridOptions& options = {})
{
    auto made = makeGrid(points, f, method, options);
    EXPECT_TRUE(std::holds_alternative<GridResult>(made));
    return std::get<GridResult>(std::move(made));
}

// gdal_grid on the same points and node positions; empty when the tool is absent.
std::vector<double> gdalGridTool(const std::vector<SurveyPoint>& points, const GridFrame& f,
                                 const QString& algorithm = QStringLiteral("linear"))
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("gdal_grid"));
    QTemporaryDir dir;
    if (tool.isEmpty())
        return {};
    QStringList features;
    for (const auto& p : points)
        features << QStringLiteral(R"({"type":"Feature","properties":{},"geometry":)"
                                   R"({"type":"Point","coordinates":[%1,%2,%3]}})")
                        .arg(p.x, 0, 'f', 6)
                        .arg(p.y, 0, 'f', 6)
                        .arg(p.z, 0, 'f', 6);
    writeFile(dir.filePath("p.geojson"),
              (R"({"type":"FeatureCollection","features":[)" + features.join(',') + "]}").toUtf8());
    const double h = f.spacing / 2.0;
    const auto n = [](double v) { return QString::number(v, 'f', 6); };
    QProcess::execute(tool,
                      {"-q", "-a", algorithm, "-txe", n(f.x0 - h), n(f.x0 + f.cols * f.spacing - h),
                       "-tye", n(f.y0 - h), n(f.y0 + f.rows * f.spacing - h), "-outsize",
                       QString::number(f.cols), QString::number(f.rows), "-ot", "Float64",
                       dir.filePath("p.geojson"), dir.filePath("g.tif")});
    GDALAllRegister();
    GDALDatasetH data = GDALOpen(dir.filePath("g.tif").toUtf8().constData(), GA_ReadOnly);
    if (!data)
        return {};
    std::vector<double> z(std::size_t(f.rows) * f.cols);
    const CPLErr e = GDALRasterIO(GDALGetRasterBand(data, 1), GF_Read, 0, 0, f.cols, f.rows,
                                  z.data(), f.cols, f.rows, GDT_Float64, 0, 0);
    GDALClose(data);
    return e == CE_None ? z : std::vector<double>{};
}

} // namespace

struct SurfaceCase
{
    const char* what;
    int shots;
    double (*ground)(double, double);
    bool againstGdalGrid; // else against the ground itself
};

class GriddedSurface : public testing::TestWithParam<SurfaceCase>
{
};

TEST_P(GriddedSurface, EveryNodeWithinTwoMillimetres)
{
    const auto points = scattered(GetParam().shots, 200, 150, GetParam().ground);
    const GridFrame f = frameAround(points, 5);
    EXPECT_EQ(f, (GridFrame{East, North, 5, 31, 41}));
    const GridResult g = grid(points, f);
    EXPECT_EQ(g.estimatedCount, 0);
    std::vector<double> expected =
        GetParam().againstGdalGrid ? gdalGridTool(points, f) : std::vector<double>{};
    if (GetParam().againstGdalGrid && expected.empty())
        GTEST_SKIP() << "gdal_grid is not installed";
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.cols; ++c) {
            const std::size_t i = std::size_t(r) * f.cols + c;
            // gdal_grid's raster runs north to south.
            const double want = GetParam().againstGdalGrid
                                    ? expected[std::size_t(f.rows - 1 - r) * f.cols + c]
                                    : GetParam().ground(f.x0 + c * f.spacing, f.y0 + r * f.spacing);
            ASSERT_NEAR(g.z[i], want, 0.002) << GetParam().what << " row " << r << " col " << c;
        }
}

INSTANTIATE_TEST_SUITE_P(Survey, GriddedSurface,
                         testing::Values(SurfaceCase{"plane", 300, plane, false},
                                         SurfaceCase{"curved", 250, curved, true}));

TEST(Gridding, ShotsAtOnePlaceBecomeTheirMeanAndAreReported)
{
    std::vector<SurveyPoint> points = {
        {"a", 0, 0, 10},   {"b", 10, 0, 10},        {"c", 0, 10, 10},    {"a2", 0.0005, 0, 11},
        {"d", 10, 10, 12}, {"d2", 10, 10.0009, 12}, {"e", 5, 5.002, 10}, {"e2", 5, 5, 10}};
    const MergedPoints m = mergeDuplicates(points);
    EXPECT_EQ(m.points.size(), 6u) << "e and e2 lie 2 mm apart";
    EXPECT_EQ(m.merged, 2);
    EXPECT_EQ(m.differing, QStringList{QStringLiteral("a, a2: 10.000 / 11.000")});
    EXPECT_DOUBLE_EQ(m.points[0].z, 10.5) << "a and a2, first from the west";
}

struct LimitCase
{
    GridFrame frame;
    std::optional<int> needed;
};

class NodeLimit : public testing::TestWithParam<LimitCase>
{
};

TEST_P(NodeLimit, SaysTheSmallestSpacingThatFits)
{
    EXPECT_EQ(spacingNeeded(GetParam().frame), GetParam().needed);
}

INSTANTIATE_TEST_SUITE_P(Survey, NodeLimit,
                         testing::Values(LimitCase{{0, 0, 1, 181, 181}, std::nullopt},
                                         LimitCase{{0, 0, 1, 182, 181}, 2},
                                         LimitCase{{0, 0, 2, 401, 401}, 5},
                                         LimitCase{{0, 0, 10, 1, 32767}, std::nullopt}));

// The grid running 60 m past the shots on every side, where a search radius would run dry.
GridFrame beyondTheShots(const std::vector<SurveyPoint>& points)
{
    GridFrame f = frameAround(points, 5);
    f.x0 -= 60, f.y0 -= 60, f.rows += 24, f.cols += 24;
    return f;
}

struct ToolCase
{
    GridMethod method;
    const char* algorithm;
};

class AgainstGdalGrid : public testing::TestWithParam<ToolCase>
{
};

TEST_P(AgainstGdalGrid, EveryNodeWithinAMillimetre)
{
    const auto points = scattered(250, 200, 150, curved);
    const GridFrame f = beyondTheShots(points);
    const GridResult g = grid(points, f, GetParam().method);
    const auto expected = gdalGridTool(points, f, QString::fromLatin1(GetParam().algorithm));
    if (expected.empty())
        GTEST_SKIP() << "gdal_grid is not installed";
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.cols; ++c)
            ASSERT_NEAR(g.z[std::size_t(r) * f.cols + c],
                        expected[std::size_t(f.rows - 1 - r) * f.cols + c], 0.001)
                << GetParam().algorithm << " row " << r << " col " << c;
}

INSTANTIATE_TEST_SUITE_P(
    Survey, AgainstGdalGrid,
    testing::Values(ToolCase{GridMethod::InverseDistance,
                             "invdistnn:power=2:smoothing=0:max_points=12:min_points=12:"
                             "radius=1000000"},
                    ToolCase{GridMethod::Nearest, "nearest"}));

// Nodes outside the site, for a site drawn as a rectangle less its north-east quarter.
struct OutlineCase
{
    GridMethod method;
    bool lShaped; // else the shots' hull, the whole 200 x 150 m
};

class OutsideTheSite : public testing::TestWithParam<OutlineCase>
{
};

TEST_P(OutsideTheSite, EveryMethodMarksAndCountsThem)
{
    const auto points = scattered(300, 200, 150, plane);
    const GridFrame f = beyondTheShots(points);
    GridOptions options;
    if (GetParam().lShaped)
        for (const auto& [x, y] :
             {std::pair{0, 0}, {200, 0}, {200, 75}, {100, 75}, {100, 150}, {0, 150}})
            options.outline.emplace_back(East + x, North + y);
    const GridResult g = grid(points, f, GetParam().method, options);
    int outside = 0;
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.cols; ++c) {
            const double x = f.x0 + c * 5 - East, y = f.y0 + r * 5 - North;
            const bool out =
                x < 0 || x > 200 || y < 0 || y > 150 || (GetParam().lShaped && x > 100 && y > 75);
            outside += out;
            ASSERT_EQ(g.estimated[std::size_t(r) * f.cols + c], out) << x << ", " << y;
        }
    EXPECT_EQ(g.estimatedCount, outside);
}

INSTANTIATE_TEST_SUITE_P(Survey, OutsideTheSite,
                         testing::Values(OutlineCase{GridMethod::Linear, false},
                                         OutlineCase{GridMethod::InverseDistance, false},
                                         OutlineCase{GridMethod::Nearest, false},
                                         OutlineCase{GridMethod::Linear, true},
                                         OutlineCase{GridMethod::InverseDistance, true},
                                         OutlineCase{GridMethod::Nearest, true}));

// One cell, its corners shot and one shot at its centre at 100: the centre's residual on the
// two triangles split from south-west to north-east, as the contours are drawn.
struct CellCase
{
    double sw, se, nw, ne;
    double residual;
};

class ResidualOnTheDrawnSurface : public testing::TestWithParam<CellCase>
{
};

TEST_P(ResidualOnTheDrawnSurface, CentreShot)
{
    const CellCase& c = GetParam();
    const std::vector<SurveyPoint> points = {{"sw", East, North, c.sw},
                                             {"se", East + 10, North, c.se},
                                             {"nw", East, North + 10, c.nw},
                                             {"ne", East + 10, North + 10, c.ne},
                                             {"centre", East + 5, North + 5, 100}};
    const GridFrame f{East, North, 10, 2, 2};
    const GridQuality q = gridQuality(points, f, grid(points, f), 5, mergeDuplicates(points));
    ASSERT_FALSE(q.largest.empty());
    EXPECT_NEAR(std::abs(q.largest[0].value), std::abs(c.residual), 1e-9);
    if (c.residual != 0) {
        EXPECT_EQ(q.largest[0].name, QStringLiteral("centre"));
    }
}

INSTANTIATE_TEST_SUITE_P(Survey, ResidualOnTheDrawnSurface,
                         testing::Values(CellCase{100, 101, 100, 100, 0},
                                         CellCase{100, 100, 101, 100, 0},
                                         CellCase{100, 100, 100, 101, -0.5},
                                         CellCase{101, 100, 100, 100, -0.5}));

TEST(Gridding, ShotsAlongOneSurveyLineMergeInPairs)
{
    // Every tenth shot taken twice, 0.8 mm apart and a centimetre higher.
    std::vector<SurveyPoint> points;
    for (int i = 0; i < 4000; ++i) {
        points.push_back({QString::number(i), East, North + 0.5 * i, 100});
        if (i % 10 == 0)
            points.push_back(
                {QStringLiteral("%1b").arg(i), East, North + 0.5 * i + 0.0008, 100.01});
    }
    const MergedPoints m = mergeDuplicates(points);
    EXPECT_EQ(m.points.size(), 4000u);
    EXPECT_EQ(m.merged, 400);
    ASSERT_EQ(m.differing.size(), 400);
    EXPECT_EQ(m.differing[1], QStringLiteral("10, 10b: 100.000 / 100.010"));
}
