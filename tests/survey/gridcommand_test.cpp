#include "support/clirun.h"
#include "support/printto.h"
#include "surveysites.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ogr_geometry.h>

using namespace surveysites;

namespace {

CliRun grid(const QString& points, const QString& made, const QStringList& more = {})
{
    return run(QStringList{"grid", points, "-o", made, "--spacing", "5"} + more);
}

QByteArray bytes(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The first figure after `name` at the start of a line.
double figure(const QString& out, const QString& name)
{
    const auto m =
        QRegularExpression("^" + name + " (\\S+)", QRegularExpression::MultilineOption).match(out);
    return m.hasMatch() ? m.captured(1).toDouble() : std::nan("");
}

} // namespace

// The survey with one shot 10 m high, and again with that shot left out by name: the second
// project is the one the clean shots make, byte for byte. An unknown name writes nothing.
TEST(GridCommand, ABlunderIsSuspectedAndLeftOutByName)
{
    QTemporaryDir dir, clean;
    auto shots = scattered(400, 200, 150, curved);
    const tervan::SurveyPoint blunder = shots[200];
    shots.erase(shots.begin() + 200);
    writeFile(clean.filePath("site.csv"), pnezd(shots));
    shots.insert(shots.begin() + 200, blunder)->z += 10;
    writeFile(dir.filePath("site.csv"), pnezd(shots));

    const CliRun all = grid(dir.filePath("site.csv"), dir.filePath("all"));
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    // Ranked first; its neighbours are pulled up with it, but by no more than a share of it.
    auto suspects =
        QRegularExpression("^suspect (\\S+) (\\S+)$", QRegularExpression::MultilineOption)
            .globalMatch(all.out);
    const auto first = suspects.next(), second = suspects.next();
    EXPECT_EQ(first.captured(1), blunder.name) << all.out.toStdString();
    EXPECT_GT(first.captured(2).toDouble(), 9.5);
    EXPECT_TRUE(second.hasMatch() &&
                std::abs(second.captured(2).toDouble()) < first.captured(2).toDouble() / 2);
    const CliRun left =
        grid(dir.filePath("site.csv"), dir.filePath("left"), {"--exclude", blunder.name});
    ASSERT_EQ(grid(clean.filePath("site.csv"), clean.filePath("want")).status, 0);
    ASSERT_EQ(left.status, 0) << left.err.toStdString();
    EXPECT_FALSE(left.out.contains("suspect " + blunder.name + ' '));
    for (const char* suffix : {".gnd", ".nod"})
        EXPECT_EQ(bytes(dir.filePath("left") + suffix), bytes(clean.filePath("want") + suffix));
    const CliRun unknown =
        grid(dir.filePath("site.csv"), dir.filePath("none"), {"--exclude", "x9"});
    EXPECT_TRUE(unknown.status == 1 && unknown.err.contains("x9"));
    EXPECT_FALSE(QFile::exists(dir.filePath("none.gnd")));
}

namespace {

// Shots every 5 m on the plane z = 100 + 0.01 x + 0.02 y (x, y from the site's south-west
// corner) over a 100 m square, or an L without its north-east quarter.
QByteArray planeShots(bool ell)
{
    QByteArray text = "x,y,z\n";
    for (int i = 0; i <= 20; ++i)
        for (int j = 0; j <= 20; ++j)
            if (!ell || i <= 10 || j <= 10)
                text += QStringLiteral("%1,%2,%3\n")
                            .arg(East + 5 * i, 0, 'f', 3)
                            .arg(North + 5 * j, 0, 'f', 3)
                            .arg(100 + 0.05 * i + 0.1 * j, 0, 'f', 4)
                            .toUtf8();
    return text;
}

// One feature of GeoJSON.
QByteArray feature(const QByteArray& geometry)
{
    return R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":)"
           R"({"name":"toe"},"geometry":)" +
           geometry + "}]}";
}

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

} // namespace

struct OutlineCase
{
    const char* what;
    bool ell;
    QStringList boundary; // "file": the square drawn in a GeoJSON file
    double area; // m2 the volumes cover, to 2 %: a concave outline keeps slivers of a notch
};

class SiteOutlineVolumes : public testing::TestWithParam<OutlineCase>
{
};

// Shots over a site, gridded at 5 m on a grid running 10 m past it on every side: the volumes
// count the site's ground only, which on a plane is its height at the centroid times the area.
TEST_P(SiteOutlineVolumes, CountOnlyTheSurveyedGround)
{
    const OutlineCase& c = GetParam();
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), planeShots(c.ell));
    writeFile(dir.filePath("file"),
              feature(R"({"type":"Polygon","coordinates":[[[652000,1524000],[652100,1524000],)"
                      R"([652100,1524100],[652000,1524100],[652000,1524000]]]})"));
    QStringList boundary = c.boundary;
    boundary.replaceInStrings(QRegularExpression("^file$"), dir.filePath("file"));
    const CliRun made =
        grid(dir.filePath("site.csv"), dir.filePath("made"),
             QStringList{"--origin", "651990,1523990", "--size", "25x25", "--crs", "EPSG:32647"} +
                 boundary);
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    const CliRun e = run({"earthwork", dir.filePath("made"), "--platform", "90"});
    ASSERT_EQ(e.status, 0) << e.err.toStdString();
    const double area = figure(e.out, "area");
    EXPECT_NEAR(area, c.area, 0.02 * c.area) << c.what;
    EXPECT_EQ(figure(made.out, "area"), area) << c.what;
    if (c.boundary.contains("none"))
        return; // the estimated corner has no analytic volume
    const auto [ogrArea, x, y] = outlineFigures(dir.filePath("made.geo"));
    EXPECT_NEAR(area, ogrArea, 0.01) << c.what;
    const double cut = ogrArea * (100 + 0.01 * x + 0.02 * y - 90);
    EXPECT_NEAR(figure(e.out, "gross-cut"), cut, 0.001 * cut) << c.what;
    EXPECT_EQ(figure(e.out, "gross-fill"), 0) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Site, SiteOutlineVolumes,
    testing::Values(OutlineCase{"square, concave outline", false, {"--boundary", "concave"}, 10000},
                    OutlineCase{"square drawn in a file", false, {"--boundary", "file"}, 10000},
                    OutlineCase{"L, the outline by default: concave", true, {}, 7500},
                    OutlineCase{
                        "L, no outline: the whole grid", true, {"--boundary", "none"}, 120 * 120}));

struct BadFileCase
{
    const char* option;
    QByteArray geometry; // GeoJSON
    const char* says;
};

class BadSiteFile : public testing::TestWithParam<BadFileCase>
{
};

// A boundary or breaklines the grid cannot use is refused, saying which and where, and nothing
// is written.
TEST_P(BadSiteFile, IsRefusedSayingWhichAndWhere)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), planeShots(false));
    writeFile(dir.filePath("b.geojson"), feature(GetParam().geometry));
    const CliRun r = grid(dir.filePath("site.csv"), dir.filePath("made"),
                          {GetParam().option, dir.filePath("b.geojson")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(GetParam().says))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("made.gnd")));
}

INSTANTIATE_TEST_SUITE_P(
    Site, BadSiteFile,
    testing::Values(
        BadFileCase{"--boundary",
                    R"({"type":"LineString","coordinates":[[652000,1524000],[652100,1524000],)"
                    R"([652100,1524100]]})",
                    "ไม่ปิด: ปลายอยู่ที่ E 652100.000 N 1524100.000"},
        BadFileCase{"--boundary",
                    R"({"type":"Polygon","coordinates":[[[652000,1524000],[652100,1524100],)"
                    R"([652100,1524000],[652000,1524100],[652000,1524000]]]})",
                    "ตัดกันเอง"},
        BadFileCase{"--boundary", R"({"type":"Point","coordinates":[652000,1524000]})", "ไม่พบรูปปิด"},
        BadFileCase{"--breaklines",
                    R"({"type":"LineString","coordinates":[[652010,1524020],[652090,1524020]]})",
                    "toe (#0) ที่ E 652010.000 N 1524020.000 ไม่มีค่าระดับ"}));
