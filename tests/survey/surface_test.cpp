#include "support/printto.h"
#include "survey/gridding.h"
#include "survey/surface.h"
#include "surveysites.h"

#include <QTemporaryDir>
#include <cmath>
#include <cpl_conv.h>
#include <gdal_alg.h>
#include <gdalgrid.h>
#include <algorithm>
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

} // namespace

// Breaklines along its edges and bottom keep the triangles off them (without, they span the
// ditch and miss its sides by centimetres).
TEST(Ditch, BreaklinesKeepTheTrianglesOffItsEdges)
{
    const auto shots = scattered(300, 200, 150, ditch);
    const GridFrame f = frameAround(shots, 5);
    GridOptions options;
    for (const double x : {95.0, 100.0, 105.0}) {
        options.breaklines.push_back({QStringLiteral("x%1").arg(x), {}});
        for (const double y : {0.0, 60.0, 150.0})
            options.breaklines.back().vertices.push_back(
                {East + x, North + y, ditch(East + x, North + y)});
    }
    const auto made = makeGrid(shots, f, GridMethod::Linear, options);
    ASSERT_TRUE(std::holds_alternative<GridResult>(made)) << std::get<QString>(made).toStdString();
    const GridResult& g = std::get<GridResult>(made);
    EXPECT_EQ(g.estimatedCount, 0);
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.cols; ++c)
            ASSERT_NEAR(g.z[std::size_t(r) * f.cols + c], ditch(f.x0 + c * 5, f.y0 + r * 5), 0.001)
                << r << ' ' << c;
}

// A GeoJSON collection of the lines (coordinates) named L1, L2, ...
static QByteArray geojson(std::initializer_list<const char*> lines)
{
    QByteArrayList features;
    for (const char* c : lines)
        features << R"({"type":"Feature","properties":{"name":"L)" +
                        QByteArray::number(features.size() + 1) +
                        R"("},"geometry":{"type":"LineString","coordinates":)" + c + "}}";
    return R"({"type":"FeatureCollection","features":[)" + features.join(',') + "]}";
}

// What a file of lines reads as: the refusal, or the count of vertices of all lines, read and
// noded, then the first line's first two vertices.
QString readNoded(const QByteArray& text)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(text.startsWith('{') ? "b.geojson" : "b.dxf");
    writeFile(name, text);
    const auto read = readBreaklines(name);
    if (const auto* refused = std::get_if<QString>(&read))
        return *refused;
    const auto lines = noded(std::get<BreaklinesFile>(read).lines);
    if (const auto* refused = std::get_if<QString>(&lines))
        return *refused;
    const auto& got = std::get<std::vector<Breakline>>(lines);
    int n = 0;
    for (const Breakline& b : got)
        n += int(b.vertices.size());
    const auto& v = got.at(0).vertices;
    return QString::asprintf("%d: %.10g %.10g %.10g, %.10g %.10g %.10g", n, v.at(0).x, v.at(0).y,
                             v.at(0).z, v.at(1).x, v.at(1).y, v.at(1).z);
}

class BreaklineFile : public testing::TestWithParam<std::pair<QByteArray, const char*>>
{
};

// Lines crossing at one height both pass through the crossing; at two, they are refused.
TEST_P(BreaklineFile, ReadsThreeDLinesOrSaysWhichAndWhere)
{
    const QString got = readNoded(GetParam().first);
    EXPECT_TRUE(got.contains(QString::fromUtf8(GetParam().second))) << got.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Survey, BreaklineFile,
    testing::Values(
        std::pair{geojson({"[[652000,1524000,100.5],[652020,1524000,101]]",
                           "[[652000,1524010,100],[652020,1524010,101]]"}),
                  "4: 652000 1524000 100.5, 652020 1524000 101"},
        std::pair{geojson({"[[652000,1524000,100.5],[652020,1524020,102.5]]",
                           "[[652000,1524020,101],[652020,1524000,102]]"}),
                  "6: 652000 1524000 100.5, 652010 1524010 101.5"},
        std::pair{geojson({"[[652000,1524000,100.5],[652020,1524020,101.5]]",
                           "[[652000,1524020,101],[652020,1524000,103]]"}),
                  "L1 (#0) และ L2 (#1) ตัดกันที่ E 652010.000 N 1524010.000"},
        std::pair{geojson({"[[652000,1524000,100.5]]"}),
                  "E 652000.000 N 1524000.000 มีจุดยอดน้อยกว่า 2 จุด"},
        // An LWPOLYLINE at an elevation, a point passed over; a 3D POLYLINE.
        std::pair{QByteArray("0\nSECTION\n2\nENTITIES\n"
                             "0\nPOINT\n8\n0\n10\n652001\n20\n1524002\n30\n101\n"
                             "0\nLWPOLYLINE\n8\nDITCH\n90\n3\n70\n0\n38\n100.5\n"
                             "10\n652000\n20\n1524000\n10\n652010\n20\n1524000\n10\n652010\n"
                             "20\n1524010\n0\nENDSEC\n0\nEOF\n"),
                  "3: 652000 1524000 100.5, 652010 1524000 100.5"},
        std::pair{QByteArray("0\nSECTION\n2\nENTITIES\n"
                             "0\nPOLYLINE\n8\n0\n66\n1\n70\n8\n10\n0\n20\n0\n30\n0\n"
                             "0\nVERTEX\n8\n0\n10\n652000\n20\n1524000\n30\n100.5\n70\n32\n"
                             "0\nVERTEX\n8\n0\n10\n652020\n20\n1524010\n30\n102\n70\n32\n"
                             "0\nSEQEND\n0\nENDSEC\n0\nEOF\n"),
                  "2: 652000 1524000 100.5, 652020 1524010 102"},
        // A coordinate beyond a double reads as infinite.
        std::pair{
            QByteArray("0\nSECTION\n2\nENTITIES\n"
                       "0\nLWPOLYLINE\n8\nDITCH\n90\n2\n70\n0\n38\n100.5\n"
                       "10\n652000\n20\n1524000\n10\n6e2010\n20\n1524000\n0\nENDSEC\n0\nEOF\n"),
            "จุดยอดที่ 2 มีพิกัดหรือค่าระดับที่ไม่ใช่ตัวเลข"}));

// Cancelled before it starts, the leave-one-out measures no shot.
TEST(LeaveOneOut, StopsWhenCancelled)
{
    const auto shots = scattered(120, 200, 150, curved);
    Progress cancelled;
    cancelled.cancel();
    const auto loo =
        std::get<std::unique_ptr<SurveyTin>>(SurveyTin::make(shots))->leaveOneOut(&cancelled);
    EXPECT_TRUE(std::none_of(loo.begin(), loo.end(), [](const auto& r) { return r.has_value(); }));
}

// Each shot against GDAL's linear gridding of the other shots at its place: n whole
// triangulations by another library against the local one.
TEST(LeaveOneOut, EqualsTheSurfaceOfTheOtherShots)
{
    const auto shots = scattered(120, 200, 150, curved);
    const auto loo = std::get<std::unique_ptr<SurveyTin>>(SurveyTin::make(shots))->leaveOneOut();
    ASSERT_EQ(loo.size(), shots.size());
    GDALGridAlgorithm kind;
    void* options = nullptr;
    ASSERT_EQ(ParseAlgorithmAndOptions("linear:radius=0:nodata=-9999", &kind, &options), CE_None);
    int inside = 0;
    for (std::size_t i = 0; i < shots.size(); ++i) {
        std::vector<double> x, y, z; // the other shots
        for (const SurveyPoint& s : shots)
            if (&s != &shots[i])
                x.push_back(s.x - East), y.push_back(s.y - North), z.push_back(s.z);
        const double sx = shots[i].x - East, sy = shots[i].y - North;
        double there = 0;
        GDALGridCreate(kind, options, GUInt32(x.size()), x.data(), y.data(), z.data(), sx - 0.5,
                       sx + 0.5, sy - 0.5, sy + 0.5, 1, 1, GDT_Float64, &there, nullptr, nullptr);
        inside += there != -9999;
        EXPECT_EQ(bool(loo[i]), there != -9999) << "shot " << i << " on the hull or not";
        EXPECT_NEAR(loo[i].value_or(0), there != -9999 ? shots[i].z - there : 0, 1e-6) << i;
    }
    CPLFree(options);
    EXPECT_GT(inside, 100);
}
