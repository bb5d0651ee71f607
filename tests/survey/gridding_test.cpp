#include "common/gdaldrivers.h"
#include "support/printto.h"
#include "survey/gridding.h"
#include "surveysites.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gdal_priv.h>
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
    registerGdalDrivers();
    const GDALDatasetUniquePtr data(
        GDALDataset::Open(dir.filePath("g.tif").toUtf8().constData(), GDAL_OF_RASTER));
    if (!data)
        return {};
    std::vector<double> z(std::size_t(f.rows) * f.cols);
    const CPLErr e = data->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, f.cols, f.rows, z.data(),
                                                      f.cols, f.rows, GDT_Float64, 0, 0);
    return e == CE_None ? z : std::vector<double>{};
}

} // namespace

struct SurfaceCase
{
    const char* what;
    int shots;
    double (*ground)(double, double);
    GridMethod method;
    const char* gdalGrid; // gdal_grid's algorithm to compare with, else the ground itself
    bool beyond;          // the grid running 60 m past the shots, where a search radius runs dry
    bool lShaped;         // a site outline without the north-east quarter, else the shots' hull
};

class GriddedSurface : public testing::TestWithParam<SurfaceCase>
{
};

// Every node as gdal_grid puts it, or within 2 mm of the ground, and marked estimated exactly
// when off the site (the ground's value is not asked of those).
TEST_P(GriddedSurface, EveryNodeAsExpectedAndMarkedOffTheSite)
{
    const SurfaceCase& c = GetParam();
    const auto points = scattered(c.shots, 200, 150, c.ground);
    GridFrame f = frameAround(points, 5);
    EXPECT_EQ(f, (GridFrame{East, North, 5, 31, 41}));
    if (c.beyond)
        f.x0 -= 60, f.y0 -= 60, f.rows += 24, f.cols += 24;
    GridOptions options;
    if (c.lShaped)
        for (const auto& [x, y] :
             {std::pair{0, 0}, {200, 0}, {200, 75}, {100, 75}, {100, 150}, {0, 150}})
            options.outline.emplace_back(East + x, North + y);
    const GridResult g = grid(points, f, c.method, options);
    const auto expected = c.gdalGrid ? gdalGridTool(points, f, c.gdalGrid) : std::vector<double>{};
    if (c.gdalGrid && expected.empty())
        GTEST_SKIP() << "gdal_grid is not installed";
    int outside = 0;
    for (int r = 0; r < f.rows; ++r)
        for (int k = 0; k < f.cols; ++k) {
            const std::size_t i = std::size_t(r) * f.cols + k;
            const double x = f.x0 + k * 5, y = f.y0 + r * 5;
            const bool out = x < East || x > East + 200 || y < North || y > North + 150 ||
                             (c.lShaped && x > East + 100 && y > North + 75);
            outside += out;
            ASSERT_EQ(g.estimated[i], out) << c.what << ' ' << x << ", " << y;
            // gdal_grid's raster runs north to south; the ground is not asked off the site.
            const double want = c.gdalGrid ? expected[std::size_t(f.rows - 1 - r) * f.cols + k]
                                : out      ? g.z[i]
                                           : c.ground(x, y);
            ASSERT_NEAR(g.z[i], want, c.gdalGrid ? 0.001 : 0.002)
                << c.what << " row " << r << " col " << k;
        }
    EXPECT_EQ(g.estimatedCount, outside);
}

INSTANTIATE_TEST_SUITE_P(
    Survey, GriddedSurface,
    testing::Values(
        SurfaceCase{"plane", 300, plane, GridMethod::Linear, nullptr, false, false},
        SurfaceCase{"curved", 250, curved, GridMethod::Linear, "linear", false, false},
        SurfaceCase{"plane beyond", 300, plane, GridMethod::Linear, nullptr, true, false},
        SurfaceCase{"plane, L", 300, plane, GridMethod::Linear, nullptr, true, true},
        SurfaceCase{"inverse distance", 250, curved, GridMethod::InverseDistance,
                    "invdistnn:power=2:smoothing=0:max_points=12:min_points=12:radius=1000000",
                    true, false},
        SurfaceCase{"inverse distance, L", 300, plane, GridMethod::InverseDistance,
                    "invdistnn:power=2:smoothing=0:max_points=12:min_points=12:radius=1000000",
                    true, true},
        SurfaceCase{"nearest, L", 250, curved, GridMethod::Nearest, "nearest", true, true}));

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

// One cell, its corners shot and one shot at its centre at 100: the centre's residual on the
// two triangles split from south-west to north-east, as the contours are drawn.
TEST(Gridding, ResidualOnTheDrawnSurface)
{
    for (const auto& [sw, se, nw, ne, residual] : {std::array{100.0, 101.0, 100.0, 100.0, 0.0},
                                                   {100.0, 100.0, 101.0, 100.0, 0.0},
                                                   {100.0, 100.0, 100.0, 101.0, -0.5},
                                                   {101.0, 100.0, 100.0, 100.0, -0.5}}) {
        const std::vector<SurveyPoint> points = {{"sw", East, North, sw},
                                                 {"se", East + 10, North, se},
                                                 {"nw", East, North + 10, nw},
                                                 {"ne", East + 10, North + 10, ne},
                                                 {"centre", East + 5, North + 5, 100}};
        const GridFrame f{East, North, 10, 2, 2};
        const GridQuality q = gridQuality(points, f, grid(points, f), 5, mergeDuplicates(points));
        ASSERT_FALSE(q.largest.empty());
        EXPECT_NEAR(std::abs(q.largest[0].value), std::abs(residual), 1e-9) << sw << se << nw << ne;
        EXPECT_TRUE(residual == 0 || q.largest[0].name == QStringLiteral("centre"));
    }
}

// Every tenth shot along one line taken twice, 0.8 mm apart and a centimetre higher.
TEST(Gridding, ShotsAlongOneSurveyLineMergeInPairs)
{
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
