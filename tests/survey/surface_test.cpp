#include "support/printto.h"
#include "survey/gridding.h"
#include "survey/surface.h"
#include "surveysites.h"

#include <QTemporaryDir>
#include <cmath>
#include <cpl_conv.h>
#include <gdal_alg.h>
#include <gdalgrid.h>
#include <gtest/gtest.h>

using namespace tervan;
using namespace surveysites;

namespace {

// A ditch running north across a 200 x 150 m site falling north at 1 %: 2 m deep at x = 100,
// 10 m wide at the top. Each side, and the ground each side of it, is a plane.
double ditch(double x, double y)
{
    const double across = std::abs(x - East - 100);
    return 100 - 0.01 * (y - North) - (across < 5 ? 2 * (1 - across / 5) : 0);
}

std::vector<Breakline> ditchLines()
{
    std::vector<Breakline> lines;
    for (const double x : {95.0, 100.0, 105.0}) {
        Breakline b{QStringLiteral("x%1").arg(x), {}};
        for (const double y : {0.0, 60.0, 150.0})
            b.vertices.push_back({East + x, North + y, ditch(East + x, North + y)});
        lines.push_back(b);
    }
    return lines;
}

} // namespace

class Ditch : public testing::TestWithParam<bool>
{
};

TEST_P(Ditch, BreaklinesKeepTheTrianglesOffItsEdges)
{
    const auto shots = scattered(300, 200, 150, ditch);
    const GridFrame f = frameAround(shots, 5);
    GridOptions options;
    if (GetParam())
        options.breaklines = ditchLines();
    const auto made = makeGrid(shots, f, GridMethod::Linear, options);
    ASSERT_TRUE(std::holds_alternative<GridResult>(made)) << std::get<QString>(made).toStdString();
    const GridResult& g = std::get<GridResult>(made);
    EXPECT_EQ(g.estimatedCount, 0);
    double worst = 0;
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.cols; ++c)
            worst = std::max(worst, std::abs(g.z[std::size_t(r) * f.cols + c] -
                                             ditch(f.x0 + c * 5, f.y0 + r * 5)));
    if (GetParam())
        EXPECT_LT(worst, 0.001);
    else
        EXPECT_GT(worst, 0.05) << "triangles across the ditch";
}

INSTANTIATE_TEST_SUITE_P(Survey, Ditch, testing::Bool());

struct LinesCase
{
    const char* what;
    const char* file;
    QByteArray text;
    int lines;          // read and noded, when nothing is refused
    const char* reason; // part of the refusal
};

void PrintTo(const LinesCase& c, std::ostream* os)
{
    *os << c.what;
}

class BreaklineFile : public testing::TestWithParam<LinesCase>
{
};

TEST_P(BreaklineFile, ReadsThreeDLinesOrSaysWhichAndWhere)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QLatin1String(GetParam().file));
    writeFile(name, GetParam().text);
    auto read = readBreaklines(name);
    std::variant<std::vector<Breakline>, QString> lines = QString();
    if (auto* file = std::get_if<BreaklinesFile>(&read))
        lines = noded(file->lines);
    else
        lines = std::get<QString>(read);
    if (GetParam().reason) {
        ASSERT_TRUE(std::holds_alternative<QString>(lines)) << GetParam().what;
        EXPECT_TRUE(std::get<QString>(lines).contains(QString::fromUtf8(GetParam().reason)))
            << std::get<QString>(lines).toStdString();
        return;
    }
    ASSERT_TRUE(std::holds_alternative<std::vector<Breakline>>(lines))
        << GetParam().what << std::get<QString>(lines).toStdString();
    const auto& got = std::get<std::vector<Breakline>>(lines);
    ASSERT_EQ(int(got.size()), GetParam().lines) << GetParam().what;
    EXPECT_EQ(got[0].vertices[0], (BreakVertex{652000, 1524000, 100.5})) << GetParam().what;
}

namespace {

QByteArray geojson(const char* coordinates1, const char* coordinates2 = nullptr)
{
    QByteArray text = R"({"type":"FeatureCollection","features":[)";
    int id = 0;
    for (const char* c : {coordinates1, coordinates2})
        if (c) {
            text += QByteArray(id ? "," : "") + R"({"type":"Feature","properties":{"name":"L)" +
                    QByteArray::number(id + 1) + R"("},"geometry":{"type":"LineString",)" +
                    R"("coordinates":)" + c + "}}";
            ++id;
        }
    return text + "]}";
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Survey, BreaklineFile,
    testing::Values(
        LinesCase{"GeoJSON LineString Z", "b.geojson",
                  geojson("[[652000,1524000,100.5],[652020,1524000,101]]",
                          "[[652000,1524010,100],[652020,1524010,101]]"),
                  2, nullptr},
        LinesCase{"crossing at one height: both pass through the crossing", "b.geojson",
                  geojson("[[652000,1524000,100.5],[652020,1524020,102.5]]",
                          "[[652000,1524020,101],[652020,1524000,102]]"),
                  2, nullptr},
        LinesCase{"crossing at two heights", "b.geojson",
                  geojson("[[652000,1524000,100.5],[652020,1524020,101.5]]",
                          "[[652000,1524020,101],[652020,1524000,103]]"),
                  0, "L1 (#0) และ L2 (#1) ตัดกันที่ E 652010.000 N 1524010.000"},
        LinesCase{"no heights", "b.geojson",
                  geojson("[[652000,1524000,100.5],[652020,1524000,101]]",
                          "[[652000,1524010],[652020,1524010]]"),
                  0, "L2 (#1) ที่ E 652000.000 N 1524010.000 ไม่มีค่าระดับ"},
        LinesCase{"one vertex", "b.geojson", geojson("[[652000,1524000,100.5]]"), 0,
                  "E 652000.000 N 1524000.000 มีจุดยอดน้อยกว่า 2 จุด"},
        LinesCase{"DXF LWPOLYLINE at an elevation, and a point passed over", "b.dxf",
                  "0\nSECTION\n2\nENTITIES\n"
                  "0\nPOINT\n8\n0\n10\n652001\n20\n1524002\n30\n101\n"
                  "0\nLWPOLYLINE\n8\nDITCH\n90\n3\n70\n0\n38\n100.5\n"
                  "10\n652000\n20\n1524000\n10\n652010\n20\n1524000\n10\n652010\n20\n1524010\n"
                  "0\nENDSEC\n0\nEOF\n",
                  1, nullptr},
        LinesCase{"DXF 3D POLYLINE", "b.dxf",
                  "0\nSECTION\n2\nENTITIES\n"
                  "0\nPOLYLINE\n8\n0\n66\n1\n70\n8\n10\n0\n20\n0\n30\n0\n"
                  "0\nVERTEX\n8\n0\n10\n652000\n20\n1524000\n30\n100.5\n70\n32\n"
                  "0\nVERTEX\n8\n0\n10\n652020\n20\n1524010\n30\n102\n70\n32\n"
                  "0\nSEQEND\n0\nENDSEC\n0\nEOF\n",
                  1, nullptr}));

TEST(Breaklines, CrossingLinesShareTheirCrossing)
{
    const std::vector<Breakline> lines = {{"a", {{0, 0, 10}, {20, 20, 12}}},
                                          {"b", {{0, 20, 11.5}, {20, 0, 10.5}}}};
    const auto got = std::get<std::vector<Breakline>>(noded(lines));
    for (const Breakline& b : got) {
        ASSERT_EQ(b.vertices.size(), 3u) << b.name.toStdString();
        EXPECT_EQ(b.vertices[1], (BreakVertex{10, 10, 11}));
    }
}

// Each shot against GDAL's linear gridding of the other shots at its place: n whole
// triangulations by another library against the local one.
TEST(LeaveOneOut, EqualsTheSurfaceOfTheOtherShots)
{
    const auto shots = scattered(120, 200, 150, curved);
    const auto tin = std::get<std::unique_ptr<SurveyTin>>(SurveyTin::make(shots));
    const auto loo = tin->leaveOneOut();
    ASSERT_EQ(loo.size(), shots.size());
    int inside = 0;
    for (std::size_t i = 0; i < shots.size(); ++i) {
        std::vector<double> x, y, z;
        for (std::size_t j = 0; j < shots.size(); ++j)
            if (j != i) {
                x.push_back(shots[j].x - East);
                y.push_back(shots[j].y - North);
                z.push_back(shots[j].z);
            }
        GDALGridAlgorithm kind;
        void* options = nullptr;
        ASSERT_EQ(ParseAlgorithmAndOptions("linear:radius=0:nodata=-9999", &kind, &options),
                  CE_None);
        double there = 0;
        const double sx = shots[i].x - East, sy = shots[i].y - North;
        GDALGridCreate(kind, options, GUInt32(x.size()), x.data(), y.data(), z.data(), sx - 0.5,
                       sx + 0.5, sy - 0.5, sy + 0.5, 1, 1, GDT_Float64, &there, nullptr, nullptr);
        CPLFree(options);
        if (there == -9999) {
            EXPECT_FALSE(loo[i]) << "shot " << i << " is on the hull";
            continue;
        }
        ++inside;
        ASSERT_TRUE(loo[i]) << "shot " << i;
        EXPECT_NEAR(*loo[i], shots[i].z - there, 1e-6) << "shot " << i;
    }
    EXPECT_GT(inside, 100);
}

TEST(LeaveOneOut, TheBlunderIsRankedFirst)
{
    auto shots = scattered(400, 200, 150, curved);
    shots[200].z += 10;
    const auto merged = mergeDuplicates(shots);
    const GridFrame f = frameAround(shots, 5);
    const auto g = std::get<GridResult>(makeGrid(merged.points, f, GridMethod::Linear));
    const GridQuality q = gridQuality(merged.points, f, g, 400, merged);
    ASSERT_FALSE(q.suspects.empty());
    EXPECT_EQ(q.suspects[0].name, shots[200].name);
    EXPECT_GT(q.suspects[0].value, 9.5);
    // Its neighbours are pulled up with it, but by no more than a share of it.
    ASSERT_GT(q.suspects.size(), 1u);
    EXPECT_LT(std::abs(q.suspects[1].value), q.suspects[0].value / 2);
}
