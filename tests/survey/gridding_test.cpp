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
                GridMethod method = GridMethod::Linear)
{
    auto made = makeGrid(points, f, method);
    EXPECT_TRUE(std::holds_alternative<GridResult>(made));
    return std::get<GridResult>(std::move(made));
}

// gdal_grid on the same points and node positions; empty when the tool is absent.
std::vector<double> gdalGridTool(const std::vector<SurveyPoint>& points, const GridFrame& f)
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
                      {"-q", "-a", "linear", "-txe", n(f.x0 - h), n(f.x0 + f.cols * f.spacing - h),
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
