#include "cli/cli.h"
#include "support/printto.h"
#include "surveysites.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <ogr_geometry.h>

using namespace surveysites;

namespace {

struct CliRun
{
    int status;
    QString out, err;
};

CliRun grid(const QString& points, const QString& made, const QStringList& more = {})
{
    CliRun r{0, {}, {}};
    QTextStream out(&r.out), err(&r.err);
    r.status =
        tervan::runCli(QStringList{"grid", points, "-o", made, "--spacing", "5"} + more, out, err);
    out.flush();
    err.flush();
    return r;
}

QByteArray bytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The survey with one shot 10 m high, and again with that shot left out by name: the second
// project is the one the clean shots make, byte for byte.
TEST(GridCommand, ABlunderIsSuspectedAndLeftOutByName)
{
    QTemporaryDir dir, clean;
    auto shots = scattered(400, 200, 150, curved);
    const tervan::SurveyPoint blunder = shots[200];
    writeFile(clean.filePath("site.csv"), pnezd([&] {
                  auto rest = shots;
                  rest.erase(rest.begin() + 200);
                  return rest;
              }()));
    shots[200].z += 10;
    writeFile(dir.filePath("site.csv"), pnezd(shots));

    const CliRun all = grid(dir.filePath("site.csv"), dir.filePath("all"));
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    const auto first =
        QRegularExpression("^suspect (\\S+) (\\S+)$", QRegularExpression::MultilineOption)
            .match(all.out);
    ASSERT_TRUE(first.hasMatch()) << all.out.toStdString();
    EXPECT_EQ(first.captured(1), blunder.name);
    EXPECT_GT(first.captured(2).toDouble(), 9.5);

    const CliRun left =
        grid(dir.filePath("site.csv"), dir.filePath("left"), {"--exclude", blunder.name});
    const CliRun want = grid(clean.filePath("site.csv"), clean.filePath("want"));
    ASSERT_EQ(left.status, 0) << left.err.toStdString();
    EXPECT_FALSE(left.out.contains("suspect " + blunder.name + ' '));
    for (const char* suffix : {".gnd", ".nod"})
        EXPECT_EQ(bytes(dir.filePath("left") + suffix), bytes(clean.filePath("want") + suffix))
            << suffix;

    const CliRun unknown =
        grid(dir.filePath("site.csv"), dir.filePath("none"), {"--exclude", "x9"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.contains("x9"));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.gnd")));
}

TEST(GridCommand, BreaklinesWithoutHeightsWriteNothing)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), pnezd(scattered(50, 200, 150, plane)));
    writeFile(dir.filePath("lines.geojson"),
              R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
              R"("properties":{"name":"toe"},"geometry":{"type":"LineString",)"
              R"("coordinates":[[652010,1524020],[652090,1524020]]}}]})");
    const CliRun r = grid(dir.filePath("site.csv"), dir.filePath("made"),
                          {"--breaklines", dir.filePath("lines.geojson")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("toe (#0) ที่ E 652010.000 N 1524020.000 ไม่มีค่าระดับ")))
        << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("made.gnd")));
}

namespace {

// Shots every 5 m on the plane z = 100 + 0.01 x + 0.02 y (x, y from the site's south-west
// corner) over the cells `inside` keeps: a 100 m square, or an L without its north-east
// quarter.
QByteArray planeShots(bool (*inside)(double, double))
{
    QByteArray text = "x,y,z\n";
    for (int i = 0; i <= 20; ++i)
        for (int j = 0; j <= 20; ++j)
            if (inside(5.0 * i, 5.0 * j))
                text += QStringLiteral("%1,%2,%3\n")
                            .arg(East + 5 * i, 0, 'f', 3)
                            .arg(North + 5 * j, 0, 'f', 3)
                            .arg(100 + 0.05 * i + 0.1 * j, 0, 'f', 4)
                            .toUtf8();
    return text;
}

bool square(double, double)
{
    return true;
}
bool ell(double x, double y)
{
    return x <= 50 || y <= 50;
}

CliRun runWords(const QStringList& words)
{
    CliRun r{0, {}, {}};
    QTextStream out(&r.out), err(&r.err);
    r.status = tervan::runCli(words, out, err);
    out.flush();
    err.flush();
    return r;
}

double figure(const QString& out, const QString& name)
{
    const auto m =
        QRegularExpression("^" + name + " (\\S+)", QRegularExpression::MultilineOption).match(out);
    return m.hasMatch() ? m.captured(1).toDouble() : std::nan("");
}

const QByteArray SquareBoundary =
    R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},"geometry":)"
    R"({"type":"Polygon","coordinates":[[[652000,1524000],[652100,1524000],[652100,1524100],)"
    R"([652000,1524100],[652000,1524000]]]}}]})";

} // namespace

struct OutlineCase
{
    const char* what;
    bool (*site)(double, double);
    QString boundary; // --boundary; "file" for the square drawn in a GeoJSON file
    double area;      // m2 the volumes cover, to 2 %: a concave outline keeps slivers of a notch
};

class SiteOutlineVolumes : public testing::TestWithParam<OutlineCase>
{
};

// The outline the project keeps, as OGR reads it: its area and centroid, in metres from the
// site's south-west corner.
std::tuple<double, double, double> outlineFigures(const QString& geoFile)
{
    const auto m = QRegularExpression("^outline = (.*)$", QRegularExpression::MultilineOption)
                       .match(QString::fromUtf8(bytes(geoFile)));
    OGRLinearRing ring;
    for (const QString& corner : m.captured(1).split(", "))
        ring.addPoint(corner.section(' ', 0, 0).toDouble() - East,
                      corner.section(' ', 1, 1).toDouble() - North);
    ring.closeRings();
    OGRPolygon polygon;
    polygon.addRing(&ring);
    OGRPoint centroid;
    polygon.Centroid(&centroid);
    return {polygon.get_Area(), centroid.getX(), centroid.getY()};
}

// Shots over a site, gridded at 5 m on a grid running 10 m past it on every side: the volumes
// count the site's ground only, which on a plane is its height at the centroid times the area.
TEST_P(SiteOutlineVolumes, CountOnlyTheSurveyedGround)
{
    const OutlineCase& c = GetParam();
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), planeShots(c.site));
    writeFile(dir.filePath("square.geojson"), SquareBoundary);
    const QString boundary = c.boundary == "file" ? dir.filePath("square.geojson") : c.boundary;
    const CliRun made = grid(dir.filePath("site.csv"), dir.filePath("made"),
                             {"--origin", "651990,1523990", "--size", "25x25", "--boundary",
                              boundary, "--crs", "EPSG:32647"});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    const CliRun e = runWords({"earthwork", dir.filePath("made"), "--platform", "90"});
    ASSERT_EQ(e.status, 0) << e.err.toStdString();
    const double area = figure(e.out, "area");
    EXPECT_NEAR(area, c.area, 0.02 * c.area) << c.what;
    EXPECT_EQ(figure(made.out, "area"), area) << c.what;
    if (c.boundary == "none")
        return; // the estimated corner has no analytic volume
    const auto [ogrArea, x, y] = outlineFigures(dir.filePath("made.geo"));
    EXPECT_NEAR(area, ogrArea, 0.01) << c.what;
    const double cut = ogrArea * (100 + 0.01 * x + 0.02 * y - 90);
    EXPECT_NEAR(figure(e.out, "gross-cut"), cut, 0.001 * cut) << c.what;
    EXPECT_EQ(figure(e.out, "gross-fill"), 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Site, SiteOutlineVolumes,
    testing::Values(OutlineCase{"square, concave outline", square, "concave", 10000},
                    OutlineCase{"square drawn in a file", square, "file", 10000},
                    OutlineCase{"L, concave outline", ell, "concave", 7500},
                    OutlineCase{"L, no outline: the whole grid", ell, "none", 120 * 120}));

// The square's area in rai-ngan-wa, and the missing corner of the L outside the site.
TEST(SiteOutline, TheSquareIsSixRaiOneNganAndTheLLeavesItsCornerOut)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("square.csv"), planeShots(square));
    const CliRun sq = grid(dir.filePath("square.csv"), dir.filePath("square"),
                           {"--origin", "651990,1523990", "--size", "25x25"});
    EXPECT_TRUE(sq.out.contains("\narea 10000.00 6-1-0.0   outside 184\n")) << sq.out.toStdString();
    writeFile(dir.filePath("ell.csv"), planeShots(ell));
    const CliRun l = grid(dir.filePath("ell.csv"), dir.filePath("ell"));
    ASSERT_EQ(l.status, 0);
    // The notch's inner nodes (x and y from 60 to 100 m) are all outside and estimated.
    for (int i = 12; i <= 20; ++i)
        for (int j = 12; j <= 20; ++j)
            EXPECT_TRUE(l.out.contains(QStringLiteral("\nestimated-node %1\n").arg(j * 21 + i + 1)))
                << i << ' ' << j;
}

struct BadBoundaryCase
{
    const char* what;
    QByteArray geometry; // GeoJSON
    const char* says;
};

class BadBoundary : public testing::TestWithParam<BadBoundaryCase>
{
};

TEST_P(BadBoundary, IsRefusedSayingWhichAndWhere)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), planeShots(square));
    writeFile(dir.filePath("b.geojson"),
              R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},)"
              R"("geometry":)" +
                  GetParam().geometry + "}]}");
    const CliRun r = grid(dir.filePath("site.csv"), dir.filePath("made"),
                          {"--boundary", dir.filePath("b.geojson")});
    EXPECT_EQ(r.status, 1) << GetParam().what;
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(GetParam().says))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("made.gnd")));
}

INSTANTIATE_TEST_SUITE_P(
    Site, BadBoundary,
    testing::Values(
        BadBoundaryCase{"an open line",
                        R"({"type":"LineString","coordinates":[[652000,1524000],[652100,1524000],)"
                        R"([652100,1524100]]})",
                        "ไม่ปิด: ปลายอยู่ที่ E 652100.000 N 1524100.000"},
        BadBoundaryCase{"a polygon crossing itself",
                        R"({"type":"Polygon","coordinates":[[[652000,1524000],[652100,1524100],)"
                        R"([652100,1524000],[652000,1524100],[652000,1524000]]]})",
                        "ตัดกันเอง"},
        BadBoundaryCase{"only points", R"({"type":"Point","coordinates":[652000,1524000]})",
                        "ไม่พบรูปปิด"}));
