#include "project/projectfile.h"
#include "support/clirun.h"
#include "support/files.h"
#include "survey/padsfile.h"
#include "survey/surveysites.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

using namespace tervan;
using namespace surveysites;

namespace {

// A georeferenced 200 x 150 m site on a plane, gridded at 10 m, and a design 0.8 m below it.
struct Site
{
    QTemporaryDir dir;
    QString existing = dir.filePath("existing"), lowered = dir.filePath("lowered");

    Site()
    {
        auto shots = scattered(300, 200, 150, plane);
        writeFile(dir.filePath("shots.csv"), pnezd(shots));
        for (auto& p : shots)
            p.z -= 0.8;
        writeFile(dir.filePath("below.csv"), pnezd(shots));
        for (const QStringList& words :
             {QStringList{"grid", dir.filePath("shots.csv"), "-o", existing, "--spacing", "10"},
              QStringList{"grid", dir.filePath("below.csv"), "-o", lowered, "--like", existing}})
            EXPECT_EQ(run(words + QStringList{"--from-crs", "EPSG:32647"}).status, 0);
    }
};

// A point in grid metres from the site's corner, as the command line takes it.
QString at(double e, double n)
{
    return QStringLiteral("%1,%2").arg(East + e).arg(North + n);
}

struct Stake
{
    QString name;
    double e, n, ground, design, cutFill;
};

// The stakes of a CSV file, its header line passed over.
std::vector<Stake> readStakes(const QString& file)
{
    std::vector<Stake> out;
    for (const QString& line : readLines(file).mid(1)) {
        const QStringList v = line.split(',');
        out.push_back({v[0], v[1].toDouble(), v[2].toDouble(), v[3].toDouble(), v[4].toDouble(),
                       v[5].toDouble()});
    }
    return out;
}

struct StakeCase
{
    const char* what;
    QStringList design; // after EXISTING
    double level;       // on the pad, NAN when not known beforehand
};

using Stakeout = testing::TestWithParam<StakeCase>;

const QStringList PadOn{"--pad", "4,4,12,10", "--cut-slope", "1.5", "--fill-slope", "2"};

} // namespace

// Each stake stands on the ground where it says, carries the design there and the cut or fill
// between them; read back as survey points onto the same grid, the stakes make the design again.
TEST_P(Stakeout, StakesRebuildTheDesignAndCarryTheGround)
{
    const StakeCase& c = GetParam();
    Site site;
    QStringList design = c.design;
    design.replaceInStrings("LOWERED", site.lowered);
    const QString csv = site.dir.filePath("stakes.csv"), txt = site.dir.filePath("stakes.txt");
    CliRun r = run(QStringList{"stakeout", site.existing, "-o", csv} + design);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(run(QStringList{"stakeout", site.existing, "-o", txt} + design).status, 0);
    const auto stakes = readStakes(csv);
    EXPECT_EQ(readLines(csv).value(0), "name,e,n,ground,design,cutfill");
    ASSERT_GT(stakes.size(), 10u) << c.what;
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("stakes %1 ").arg(stakes.size())));
    for (const Stake& s : stakes) {
        SCOPED_TRACE(s.name.toStdString());
        EXPECT_NEAR(s.ground, plane(s.e, s.n), 0.0011);
        EXPECT_NEAR(s.cutFill, s.ground - s.design, 0.0011);
        if (!std::isnan(c.level) && s.e >= East + 40 && s.e <= East + 120 && s.n >= North + 40 &&
            s.n <= North + 100) {
            EXPECT_NEAR(s.design, c.level, 0.0005);
        }
    }
    // The total-station file: the same stakes, Z the design level.
    const QStringList lines = readLines(txt);
    ASSERT_EQ(lines.size(), qsizetype(stakes.size()));
    for (std::size_t i = 0; i < stakes.size(); ++i) {
        const QStringList v = lines[qsizetype(i)].split(',');
        EXPECT_EQ(v[0], stakes[i].name);
        EXPECT_NEAR(v[1].toDouble(), stakes[i].n, 1e-9);
        EXPECT_NEAR(v[3].toDouble(), stakes[i].design, 1e-9);
    }
    // Gridded back onto the same nodes, each stake's node holds its design level.
    const QString rebuilt = site.dir.filePath("rebuilt");
    r = run({"grid", csv, "-o", rebuilt, "--like", site.existing, "--from-crs", "EPSG:32647",
             "--boundary", "none"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto data = std::get<ProjectFileData>(loadProjectFiles(projectFileNames(rebuilt)));
    for (const Stake& s : stakes)
        EXPECT_NEAR(data.Nodes[std::size_t(s.name.mid(1).toInt())].Z, s.design, 0.001)
            << s.name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Stakeout,
    testing::Values(StakeCase{"pad at a level", PadOn + QStringList{"--level", "101"}, 101},
                    StakeCase{"balanced pad", PadOn + QStringList{"--balance"}, NAN},
                    StakeCase{"every second node",
                              PadOn + QStringList{"--level", "100", "--every", "2"}, 100},
                    StakeCase{"design surface", {"LOWERED"}, NAN}));

// A pad's corners carry its level; its daylight points lie on the ground, beyond the pad.
TEST(StakeoutCorners, CornersAtTheLevelAndDaylightOnTheGround)
{
    Site site;
    const QString csv = site.dir.filePath("corners.csv");
    const CliRun r = run(
        QStringList{"stakeout", site.existing, "-o", csv, "--corners", "--level", "101.5"} + PadOn);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const auto stakes = readStakes(csv);
    ASSERT_GT(stakes.size(), 4u);
    const double corners[4][2] = {{40, 40}, {120, 40}, {120, 100}, {40, 100}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(stakes[std::size_t(i)].name, QStringLiteral("C%1").arg(i + 1));
        EXPECT_NEAR(stakes[std::size_t(i)].e, East + corners[i][0], 1e-9);
        EXPECT_NEAR(stakes[std::size_t(i)].n, North + corners[i][1], 1e-9);
        EXPECT_NEAR(stakes[std::size_t(i)].design, 101.5, 1e-9);
    }
    for (const Stake& s : std::vector(stakes.begin() + 4, stakes.end())) {
        SCOPED_TRACE(s.name.toStdString());
        EXPECT_TRUE(s.name.startsWith('D'));
        EXPECT_NEAR(s.ground, plane(s.e, s.n), 0.0011);
        EXPECT_EQ(s.cutFill, 0);
        EXPECT_FALSE(s.e > East + 40 && s.e < East + 120 && s.n > North + 40 && s.n < North + 100);
    }
}

namespace {

Project openedProject(const QString& base)
{
    Project p = startupProject();
    applyOpenedProject(p, std::get<ProjectFileData>(loadProjectFiles(projectFileNames(base))),
                       projectFileNames(base));
    return p;
}

// The cut, fill and net words of a pad command's second line.
QString volumes(const CliRun& r)
{
    return r.out.section('\n', 1, 1).section("   open-edge", 0, 0);
}

} // namespace

// The pads file keeps every property, Thai names and unlevelled pads included, in world
// coordinates; a rectangle read from it is the pad of node columns and rows, and the design it
// makes, saved as a project, compares to the same figures.
TEST(PadsFile, RoundTripAndTheRectangularPadAgain)
{
    Site site;
    const Project p = openedProject(site.existing);
    ASSERT_TRUE(p.Georef);
    PadShape factory{QStringLiteral("โรงงาน"), {{40, 40}, {120, 40}, {120, 100}, {40, 100}}, 100.5};
    PadShape yard{
        QStringLiteral("ลาน"), {{150, 20}, {190, 20}, {170, 60}}, std::nullopt, 1, 3, 1.5, 200};
    const QString file = padsFileName(site.dir.filePath("site"));
    ASSERT_EQ(writePadsFile({factory, yard}, p, file), QString());
    const auto read = readPadsFile(file, p);
    ASSERT_TRUE(std::holds_alternative<std::vector<PadShape>>(read))
        << std::get<QString>(read).toStdString();
    const auto& pads = std::get<std::vector<PadShape>>(read);
    ASSERT_EQ(pads.size(), 2u);
    const auto fields = [](const PadShape& s) {
        return std::tuple(s.name, s.level, s.corners, s.cutSlope, s.fillSlope, s.fall,
                          s.fallBearing);
    };
    EXPECT_TRUE(fields(pads[0]) == fields(factory));
    EXPECT_TRUE(fields(pads[1]) == fields(yard));
    EXPECT_TRUE(readBytes(file).contains(QByteArray::number(East + 40, 'f', 1)))
        << "world coordinates";

    ASSERT_EQ(writePadsFile({factory}, p, file), QString());
    const QString design = site.dir.filePath("design");
    const CliRun outline =
        run({"pad", site.existing, "--pads", file, "--design", design, "--k", "1.2"});
    ASSERT_EQ(outline.status, 0) << outline.err.toStdString();
    const CliRun rect = run({"pad", site.existing, "--pad", "4,4,12,10", "--level", "100.5",
                             "--cut-slope", "1.5", "--fill-slope", "2", "--k", "1.2"});
    EXPECT_EQ(volumes(outline), volumes(rect));
    EXPECT_TRUE(outline.out.contains(QStringLiteral("pad โรงงาน level 100.500 cut ")));
    EXPECT_TRUE(outline.out.contains(QStringLiteral(" area 4800.00\n")));
    const CliRun compared = run({"compare", site.existing, design, "--k", "1.2"});
    EXPECT_EQ(compared.out.section('\n', 0, 0).section("   four-corner", 0, 0), volumes(rect));
}

// Sections along a line against a pad: the printed table reads back as the CSV, and the
// totals come near the grid's own figures for the strip.
TEST(SectionsCommand, TableAsCsvAndPrinted)
{
    Site site;
    const QString csv = site.dir.filePath("s.csv"), pdf = site.dir.filePath("s.pdf");
    const QString line = at(20, 70) + ',' + at(180, 70);
    QStringList words{"sections", site.existing, "--line", line, "--every", "10", "--width", "40"};
    words += QStringList{"--level", "100.3"} + PadOn;
    CliRun r = run(words + QStringList{"-o", csv});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    ASSERT_EQ(run(words + QStringList{"-o", pdf}).status, 0);
    QStringList rows = readLines(csv);
    EXPECT_EQ(rows.takeFirst(),
              "chainage,cut_area,fill_area,cut_aea,fill_aea,cut_prism,fill_prism");
    ASSERT_EQ(rows.size(), 17);
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForFinished())
        GTEST_SKIP() << "pdftotext is not installed";
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (const QString& row : rows)
        EXPECT_TRUE(printed.contains(QStringList(row.split(',', Qt::SkipEmptyParts)).join(' ')))
            << row.toStdString();
    // The DXF as ezdxf reads it: clean, a ground and a design line a section and for the
    // long profile, each section named by its chainage.
    const QString dxf = site.dir.filePath("s.dxf");
    ASSERT_EQ(run(words + QStringList{"-o", dxf}).status, 0);
    if (QFile::exists("/usr/bin/python3")) {
        QProcess check;
        check.start("/usr/bin/python3", {"-c", R"(import sys, ezdxf
d = ezdxf.readfile(sys.argv[1]); a = d.audit(); m = d.modelspace()
lines = lambda layer: len(m.query('LWPOLYLINE[layer=="%s"]' % layer))
print(len(a.errors) + len(a.fixes), lines("SECTION-GROUND"), lines("SECTION-DESIGN"),
      sum(t.dxf.text.startswith('\u0e23\u0e30\u0e22\u0e30') for t in m.query('TEXT'))))",
                                         dxf});
        ASSERT_TRUE(check.waitForFinished(60000));
        if (check.exitCode() == 0) {
            EXPECT_EQ(QString::fromUtf8(check.readAllStandardOutput()).trimmed(), "0 18 18 17");
        }
    }
    // The fill against the grid's figure for the strip, within half a percent.
    const QStringList total = r.out.section('\n', -2, -2).split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(total.value(0), "total");
    const double fill = total.value(4).toDouble(), gridFill = total.value(13).toDouble();
    EXPECT_GT(gridFill, 100);
    EXPECT_NEAR(fill, gridFill, 0.005 * gridFill) << r.out.toStdString();
}

// Bad pads, lines and words are refused saying which, and nothing is written.
TEST(DesignCommands, RefusalsSayWhich)
{
    Site site;
    const Project p = openedProject(site.existing);
    const QString bow = site.dir.filePath("bow.geojson"), open = site.dir.filePath("open.geojson");
    ASSERT_EQ(writePadsFile({{"bow", {{10, 10}, {50, 50}, {50, 10}, {10, 50}}, 100}}, p, bow), "");
    ASSERT_EQ(writePadsFile({{"open", {{10, 10}, {50, 10}, {50, 50}}, std::nullopt}}, p, open), "");
    const QString &e = site.existing, &lo = site.lowered, out = site.dir.filePath("s.csv");
    const QStringList onPad = QStringList{"--level", "1"} + PadOn;
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{"pad", e, "--pads", bow}, 1, "bow"},
        {{"pad", e, "--pads", open}, 1, "--balance"},
        {{"pad", e, "--pads", open, "--balance", "sideways"}, 2, "together or each"},
        {{"pad", e, "--pads", open, "--balance", "each", "--k", "1e9"}, 2, "at most 10"},
        {{"pad", e, "--pads", site.dir.filePath("none.geojson")}, 1, "none.geojson"},
        {QStringList{"stakeout", e, "-o", site.dir.filePath("s.doc")} + onPad, 2, ".txt"},
        {{"stakeout", e, "-o", out, "--corners", lo}, 2, "--corners"},
        {QStringList{"stakeout", e, "-o", out, "--every", "0"} + onPad, 2, "--every"},
        {{"sections", e, lo, "--line", at(20, 70), "-o", out}, 1, "2 จุด"},
        {{"sections", e, lo, "--line", at(20, 70) + ',' + at(900, 70), "-o", out}, 1, "นอกกริด"},
        {{"sections", e, lo, "--line", "1,2,3", "-o", out}, 2, "--line"},
    };
    for (const auto& [args, status, says] : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliRun r = run(args);
        EXPECT_EQ(r.status, status);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(says))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}
