#include "support/clirun.h"
#include "support/printto.h"
#include "surveysites.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
// project is the one the clean shots make, byte for byte.
TEST(GridCommand, ABlunderIsSuspectedAndLeftOutByName)
{
    QTemporaryDir dir, clean; // the same file name in each: a project names its source
    auto shots = scattered(400, 200, 150, curved);
    auto cleanShots = shots;
    cleanShots.erase(cleanShots.begin() + 200);
    shots[200].z += 10;
    writeFile(clean.filePath("site.csv"), pnezd(cleanShots));
    writeFile(dir.filePath("site.csv"), pnezd(shots));
    const QString blunder = shots[200].name;

    const CliRun all = grid(dir.filePath("site.csv"), dir.filePath("all"));
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    // Ranked first; its neighbours are pulled up with it, but by no more than a share of it.
    auto suspects =
        QRegularExpression("^suspect (\\S+) (\\S+)$", QRegularExpression::MultilineOption)
            .globalMatch(all.out);
    const auto first = suspects.next(), second = suspects.next();
    EXPECT_EQ(first.captured(1), blunder) << all.out.toStdString();
    EXPECT_GT(first.captured(2).toDouble(), 9.5);
    EXPECT_TRUE(second.hasMatch() &&
                std::abs(second.captured(2).toDouble()) < first.captured(2).toDouble() / 2);
    const CliRun left =
        grid(dir.filePath("site.csv"), dir.filePath("left"), {"--exclude", blunder});
    ASSERT_EQ(left.status, 0) << left.err.toStdString();
    EXPECT_FALSE(left.out.contains("suspect " + blunder + ' '));
    ASSERT_EQ(grid(clean.filePath("site.csv"), clean.filePath("left")).status, 0);
    for (const char* suffix : {"left.gnd", "left.nod"})
        EXPECT_EQ(bytes(dir.filePath(suffix)), bytes(clean.filePath(suffix)));
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
                text += QString::asprintf("%.3f,%.3f,%.4f\n", East + 5 * i, North + 5 * j,
                                          100 + 0.05 * i + 0.1 * j)
                            .toUtf8();
    return text;
}

// The site's 100 m square.
const QByteArray Square = R"({"type":"Polygon","coordinates":[[[652000,1524000],[652100,1524000],)"
                          R"([652100,1524100],[652000,1524100],[652000,1524000]]]})";

} // namespace

struct SiteCase
{
    bool ell;
    const char* options; // "file": a GeoJSON file of one feature, toe, of `geometry`
    QByteArray geometry;
    double area;      // m2 the volumes cover, to 2 %: a concave outline keeps slivers of a notch
    const char* says; // refused: what the refusal says, and nothing is written
};

class SiteOutline : public testing::TestWithParam<SiteCase>
{
};

// Shots over a site, gridded at 5 m on a grid running 10 m past it on every side: the volumes
// count the site's ground only, which on a plane is its mean height over the area times the
// area. A boundary, breaklines or a name to leave out that the grid cannot use is refused.
TEST_P(SiteOutline, VolumesCountOnlyTheSurveyedGround)
{
    const SiteCase& c = GetParam();
    QTemporaryDir dir;
    writeFile(dir.filePath("site.csv"), planeShots(c.ell));
    writeFile(dir.filePath("file"),
              R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":)"
              R"({"name":"toe"},"geometry":)" +
                  c.geometry + "}]}");
    QStringList options = QString(c.options).split(' ', Qt::SkipEmptyParts);
    options.replaceInStrings(QRegularExpression("^file$"), dir.filePath("file"));
    const CliRun made =
        grid(dir.filePath("site.csv"), dir.filePath("made"),
             QStringList{"--origin", "651990,1523990", "--size", "25x25", "--crs", "EPSG:32647"} +
                 options);
    if (c.says) {
        EXPECT_EQ(made.status, 1) << c.options;
        EXPECT_TRUE(made.err.contains(QString::fromUtf8(c.says))) << made.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("made.gnd")));
        return;
    }
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    const CliRun e = run({"earthwork", dir.filePath("made"), "--platform", "90"});
    ASSERT_EQ(e.status, 0) << e.err.toStdString();
    const double area = figure(e.out, "area");
    EXPECT_NEAR(area, c.area, 0.02 * c.area) << c.options;
    EXPECT_EQ(figure(made.out, "area"), area) << c.options;
    EXPECT_EQ(figure(e.out, "gross-fill"), 0) << c.options;
    if (options.contains("none"))
        return; // the estimated corner has no analytic volume
    // The square's centroid is at (50, 50), the L's at (41.67, 41.67).
    EXPECT_NEAR(figure(e.out, "gross-cut") / area, c.ell ? 11.25 : 11.5, 0.01) << c.options;
}

// Concave by default; none: the whole grid.
INSTANTIATE_TEST_SUITE_P(
    Site, SiteOutline,
    testing::Values(
        SiteCase{false, "--boundary concave", {}, 10000, nullptr},
        SiteCase{false, "--boundary file", Square, 10000, nullptr},
        SiteCase{true, "", {}, 7500, nullptr},
        SiteCase{true, "--boundary none", {}, 120 * 120, nullptr},
        SiteCase{false, "--exclude x9", {}, 0, "x9"},
        SiteCase{false, "--boundary file",
                 R"({"type":"LineString","coordinates":[[652000,1524000],[652100,1524000],)"
                 R"([652100,1524100]]})",
                 0, "ไม่ปิด: ปลายอยู่ที่ E 652100.000 N 1524100.000"},
        SiteCase{false, "--boundary file",
                 R"({"type":"Polygon","coordinates":[[[652000,1524000],[652100,1524100],)"
                 R"([652100,1524000],[652000,1524100],[652000,1524000]]]})",
                 0, "ตัดกันเอง"},
        SiteCase{false, "--boundary file", R"({"type":"Point","coordinates":[652000,1524000]})", 0,
                 "ไม่พบรูปปิด"},
        SiteCase{false, "--breaklines file",
                 R"({"type":"LineString","coordinates":[[652010,1524020],[652090,1524020]]})", 0,
                 "toe (#0) ที่ E 652010.000 N 1524020.000 ไม่มีค่าระดับ"}));
