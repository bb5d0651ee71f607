#include "cli/cli.h"
#include "common/messages.h"
#include "common/version.h"
#include "project/controldata.h"
#include "project/projectfile.h"
#include "support/clirun.h"
#include "support/printto.h"
#include "survey/surveysites.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tervan;

namespace {

// Writes a rows x cols grid at `spacing` with the given elevations (zero when omitted) as the
// project `name` in `dir`, and returns the project's path.
QString writeGrid(const QTemporaryDir& dir, const char* name, qint16 spacing, qint16 rows,
                  qint16 cols, std::vector<float> z = {})
{
    Project p = startupProject();
    applyControlData(p, {spacing, rows, cols, 1});
    for (std::size_t n = 0; n < z.size(); ++n)
        p.Nodes[n + 1].Z = z[n];
    const QString path = dir.filePath(QLatin1String(name));
    EXPECT_FALSE(saveProjectFiles(p, projectFileNames(path)));
    return path;
}

} // namespace

TEST(Cli, InfoPrintsTheHeaderAndEveryNode)
{
    QTemporaryDir dir;
    Project p = startupProject();
    applyControlData(p, {5, 2, 2, 0.5f});
    p.ProjectName = QStringLiteral("  ถนน สาย 9");
    p.Nodes[2].Z = 101.375f; // a tie on the second decimal rounds away from zero
    p.Nodes[3].Z = -0.004f;
    ASSERT_FALSE(saveProjectFiles(p, projectFileNames(dir.filePath("site"))));

    const QString expected = QStringLiteral("project:   ถนน สาย 9\n"
                                            "engineer: Noname\n"
                                            "rows: 2\n"
                                            "cols: 2\n"
                                            "spacing: 5\n"
                                            "nodes: 4\n"
                                            "interval: 0.5\n"
                                            "node 1 0 0 0.00\n"
                                            "node 2 5 0 101.38\n"
                                            "node 3 0 5 0.00\n"
                                            "node 4 5 5 0.00\n");
    for (const char* name : {"site", "site.gnd"}) {
        const CliRun r = run({"info", dir.filePath(name)});
        EXPECT_EQ(r.status, 0) << name;
        EXPECT_EQ(r.out, expected) << name;
        EXPECT_TRUE(r.err.isEmpty());
    }
}

TEST(Cli, RefusedProjectGivesTheWindowsReason)
{
    QTemporaryDir dir;
    QFile gnd(dir.filePath("bad.gnd"));
    ASSERT_TRUE(gnd.open(QIODevice::WriteOnly));
    gnd.write(QByteArray(40, 'x'));
    gnd.close();
    QFile nod(dir.filePath("bad.nod"));
    ASSERT_TRUE(nod.open(QIODevice::WriteOnly));
    nod.close();

    CliRun r = run({"info", dir.filePath("bad")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tervan-cli: " +
                         msg::fileMalformed(QDir::toNativeSeparators(dir.filePath("bad.gnd"))) +
                         "\n");
    EXPECT_TRUE(r.out.isEmpty());

    r = run({"info", dir.filePath("none")});
    EXPECT_EQ(r.status, 1);
    // The system's reason follows the window's.
    EXPECT_EQ(r.err, "tervan-cli: " +
                         msg::cannotOpenFile(QDir::toNativeSeparators(dir.filePath("none.gnd"))) +
                         ": No such file or directory\n");

    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"info"}).status, 2);
    EXPECT_EQ(run({"frobnicate", "x"}).status, 2);
}

TEST(Cli, RendersTheGridPictureAtTheAskedSize)
{
    QTemporaryDir dir;
    writeGrid(dir, "site", 10, 4, 5);
    const QString png = dir.filePath("grid.png");

    EXPECT_EQ(run({"render", "grid", dir.filePath("site"), "-o", png, "--size", "700x500"}).status,
              0);
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(700, 500));
    // Normal window for 10 m: world (0, 0) is 20/140 of the width in, 20/105 up from the bottom.
    const int x0 = 700 * 20 / 140, y0 = 500 * 85 / 105;
    const bool lineAtOrigin = image.pixelColor(x0 + 20, y0) == QColor(Qt::black) ||
                              image.pixelColor(x0 + 20, y0 + 1) == QColor(Qt::black);
    EXPECT_TRUE(lineAtOrigin) << "bottom grid line";

    EXPECT_EQ(run({"render", "grid", dir.filePath("site"), "-o", png, "--fit"}).status, 0);
    EXPECT_EQ(QImage(png).size(), QSize(1600, 1000));

    for (const QStringList& bad :
         {QStringList{"render", "grid", dir.filePath("site")},
          QStringList{"render", "grid", dir.filePath("site"), "-o", png, "--size", "big"},
          QStringList{"render", "mesh", dir.filePath("site"), "-o", png}})
        EXPECT_EQ(run(bad).status, 2) << bad.join(' ').toStdString();
    EXPECT_EQ(run({"render", "grid", dir.filePath("none"), "-o", png}).status, 1);
}

TEST(Cli, ContoursPrintsWhatTheTracerDraws)
{
    QTemporaryDir dir;
    writeGrid(dir, "s", 10, 2, 2, {1, 0, 0, 1}); // a saddle: the diagonal gives no point

    EXPECT_EQ(run({"contours", dir.filePath("s")}).out,
              "level 1\npoint 0 0\nline 0 0 10 10\nlabel right 10 10\npoint 10 10\n"
              "label top 10 10\nline 10 10 0 0\nlabel left 0 0\n");
    // Half-metre levels: 0.5 is not whole, so it is labelled only with --all-labels.
    EXPECT_EQ(run({"contours", dir.filePath("s"), "--interval", "0.5", "--summary"}).out,
              "levels 2 points 4 lines 4 labels 3\n");
    EXPECT_EQ(
        run({"contours", dir.filePath("s"), "--interval", "0.5", "--summary", "--all-labels"}).out,
        "levels 2 points 4 lines 4 labels 7\n");
    EXPECT_EQ(run({"contours", dir.filePath("s"), "--interval"}).status, 2);
    EXPECT_EQ(run({"contours", dir.filePath("s"), "--interval", "x"}).status, 2);

    for (const char* picture : {"contour", "surface"})
        EXPECT_EQ(run({"render", picture, dir.filePath("s"), "-o", dir.filePath("p.png"), "--angle",
                       "90"})
                      .status,
                  0)
            << picture;
    EXPECT_EQ(
        run({"render", "surface", dir.filePath("s"), "-o", dir.filePath("p.png"), "--angle", "181"})
            .status,
        2);
}

TEST(Cli, GradePrintsTheResultDialogsFigures)
{
    QTemporaryDir dir;
    const QString ex = writeGrid(dir, "ex", 10, 2, 3, {0, 0, 0, 4, 4, 8});

    EXPECT_EQ(run({"grade", ex}).out, "area 200\nplatform 2.500\ncut 50.00\nfill -50.00\n"
                                      "cell 1 2.000 -50.00\ncell 2 3.000 50.00\n");
    // --platform is the program's own option, not the toolkit's.
    EXPECT_EQ(run({"grade", ex, "--platform", "5", "--csv"}).out,
              "cell,mean_elevation_m,volume_m3\n1,2.000,-300.00\n2,3.000,-200.00\n");
    EXPECT_EQ(run({"grade", ex, "--platform", "abc"}).status, 2);

    writeGrid(dir, "row", 10, 1, 3);
    const CliRun refused = run({"grade", dir.filePath("row")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "tervan-cli: " + msg::DataIncomplete + "\n");
    EXPECT_EQ(run({"grade", dir.filePath("row"), "--platform", "1"}).out,
              "area 0\nplatform 1.000\ncut 0.00\nfill 0.00\n");
}

TEST(Cli, PrintsEveryPageOfACommandIntoOnePdf)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 5, 5);
    // One PDF page per printed document: 1 + 2 for the input data, 2 for the graphics.
    const struct
    {
        const char* report;
        int pages;
    } cases[] = {{"data", 3}, {"graphics", 2}, {"grade-fixed", 1}};
    for (const auto& c : cases) {
        const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(c.report));
        ASSERT_EQ(run({"print", c.report, site, "-o", pdf, "--platform", "2"}).status, 0);
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
        EXPECT_EQ(QString::fromLatin1(bytes).count(page), c.pages) << c.report;
    }
    EXPECT_EQ(run({"print", "everything", site, "-o", dir.filePath("x.pdf")}).status, 2);
    writeGrid(dir, "row", 10, 1, 3);
    EXPECT_EQ(run({"print", "grades", dir.filePath("row"), "-o", dir.filePath("r.pdf")}).status, 1);
}

TEST(Cli, HeightsExportAndImportRoundTrip)
{
    QTemporaryDir dir;
    const QString site =
        writeGrid(dir, "site", 10, 2, 3, {100.125f, 99.5f, 101, 102.75f, 1e-3f, 7});
    const CliRun exported = run({"export", site});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.startsWith("node,x,y,elevation\n1,0,0,100.125\n2,10,0,99.5\n"));
    ASSERT_EQ(run({"export", site, "-o", dir.filePath("h.csv")}).status, 0);

    const QString blank = writeGrid(dir, "blank", 10, 2, 3);
    const CliRun imported =
        run({"import", blank, dir.filePath("h.csv"), "-o", dir.filePath("copy")});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, "imported 6\n");
    EXPECT_EQ(run({"export", dir.filePath("copy")}).out, exported.out);

    QFile bad(dir.filePath("bad.csv"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("1,5\n9,5\n1,6\n");
    bad.close();
    const CliRun refused = run({"import", blank, dir.filePath("bad.csv"), "-o", dir.filePath("x")});
    EXPECT_EQ(refused.status, 1);
    const QString csv = QDir::toNativeSeparators(dir.filePath("bad.csv"));
    EXPECT_EQ(refused.err, "tervan-cli: " + csv + ":2: ไม่มีจุดที่ 9 ในกริด (จุดที่ 1 ถึง 6)\n" +
                               "tervan-cli: " + csv + ":3: จุดที่ 1 ซ้ำกับบรรทัดที่ 1\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("x.gnd")));
    EXPECT_EQ(run({"import", blank, dir.filePath("h.csv")}).status, 2);

    // Fitting the 2 x 3 grid either way round, the order must be given.
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("0,10,1\n10,0,2\n");
    bad.close();
    const QStringList line{"import", blank, dir.filePath("bad.csv"), "-o", dir.filePath("x")};
    EXPECT_TRUE(run(line).err.contains("--columns xyz|nez"));
    EXPECT_EQ(run(line + QStringList{"--columns", "zyx"}).status, 2);
    EXPECT_EQ(run(line + QStringList{"--columns", "nez"}).out,
              "imported 2\nnot in the file, left as they were: 4 nodes: จุดที่ 1, จุดที่ 3, จุดที่ 5–6\n");
    EXPECT_TRUE(
        run({"export", dir.filePath("x")}).out.contains("\n2,10,0,1\n3,20,0,0\n4,0,10,2\n"));
}

TEST(Cli, AFifoInPlaceOfAProjectFileIsRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 2, 2);
    QFile::remove(site + ".nod");
    ASSERT_EQ(::mkfifo(QFile::encodeName(site + ".nod").constData(), 0600), 0);
    const CliRun r = run({"info", site});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tervan-cli: " + msg::cannotOpenFile(QDir::toNativeSeparators(site + ".nod")) +
                         ": not a regular file\n");
}

TEST(Cli, EarthworkCommandsPrintTheDialogsLines)
{
    // One 10 m cell from 0 at the left to 4 at the right: balanced at 2, where the four-corner
    // prism nets to nothing and 50 m3 is cut and filled.
    QTemporaryDir dir;
    const QString ramp = writeGrid(dir, "ramp", 10, 2, 2, {0, 4, 0, 4});
    std::vector<float> z(25, 101.0f);
    z[12] = 1001.92f;
    const QString typo = writeGrid(dir, "typo", 10, 5, 5, z);
    const struct
    {
        QStringList args;
        QString out;
    } cases[] = {
        {{"earthwork", ramp},
         "platform 2.000\nfour-corner-cut 0.00\nfour-corner-fill 0.00\ngross-cut 50.00\n"
         "gross-fill -50.00\ncompacted-cut 50.00\nnet 0.00\narea 100.00 0-0-25\ncell 1 50.00 "
         "-50.00 0.00\n"},
        // K moves the balance and, at a given platform, what is left over.
        {{"earthwork", ramp, "--k", "1.2", "--platform", "1"},
         "platform 1.000\nfour-corner-cut 100.00\nfour-corner-fill 0.00\ngross-cut 112.50\n"
         "gross-fill -12.50\ncompacted-cut 135.00\nnet 122.50\narea 100.00 0-0-25\ncell 1 112.50 "
         "-12.50 100.00\n"},
        {{"earthwork", ramp, "--platform", "1", "--csv"},
         "cell,gross_cut_m3,gross_fill_m3,net_m3\n1,112.50,-12.50,100.00\n"},
        // The plane rises 20 % towards +X, as the ground does: nothing to move at its centre.
        {{"earthwork", ramp, "--platform", "2", "--slope-x", "40"},
         "platform 2.000\nfour-corner-cut 0.00\nfour-corner-fill 0.00\ngross-cut 0.00\n"
         "gross-fill 0.00\ncompacted-cut 0.00\nnet 0.00\narea 100.00 0-0-25\ncell 1 0.00 0.00 "
         "0.00\n"},
        {{"balance", ramp, "--curve", "3"},
         "balanced 2.000\nper-cm 1.00\narea 100.00 0-0-25\ncurve 0.000 200.00 0.00 200.00\n"
         "curve 2.000 50.00 -50.00 0.00\ncurve 4.000 0.00 -200.00 -200.00\n"},
        {{"balance", ramp, "--k", "4"}, "balanced 2.667\nper-cm 2.00\narea 100.00 0-0-25\n"},
        {{"check", typo}, "suspect 13 1001.920 101.000\nsuspects 1\n"},
        {{"check", typo, "--floor", "1000"}, "suspects 0\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 0) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out) << c.args.join(' ').toStdString();
    }
}

TEST(Cli, EarthworkCommandsRefuseAsGradeDoes)
{
    QTemporaryDir dir;
    const QString ramp = writeGrid(dir, "ramp", 10, 2, 2, {0, 4, 0, 4});
    const QString row = writeGrid(dir, "row", 10, 1, 3);
    const QString out = dir.filePath("chart.png");
    const struct
    {
        QStringList args;
        int status;
    } cases[] = {
        {{"earthwork", ramp, "--k", "0"}, 2},
        {{"earthwork", ramp, "--platform", "high"}, 2},
        {{"earthwork", ramp, "--platform", "1e39"}, 2},
        // A float, but the four-corner volumes overflow: refused as grade refuses it.
        {{"earthwork", ramp, "--platform", "3e38"}, 1},
        {{"grade", ramp, "--platform", "3e38"}, 1},
        {{"earthwork", ramp, "--slope-y", "-101"}, 2},
        {{"balance", ramp, "--curve", "1"}, 2},
        {{"check", ramp, "--factor", "x"}, 2},
        {{"render", "balance", ramp, "--k", "-1", "-o", out}, 2},
        {{"earthwork", row}, 1},
        {{"balance", row}, 1},
        {{"render", "balance", row, "-o", out}, 1},
        {{"check", dir.filePath("missing")}, 1},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(run({"earthwork", row}).err, "tervan-cli: " + msg::DataIncomplete + '\n');
    // The window's own words for a platform whose volumes overflow.
    EXPECT_EQ(run({"grade", ramp, "--platform", "3e38"}).err,
              "tervan-cli: " + msg::InputError + '\n');

    const CliRun r = run({"render", "balance", ramp, "-o", out, "--size", "640x400"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(QImage(out).size(), QSize(640, 400));
}

TEST(Cli, HelpAndVersionGoToStandardOutput)
{
    for (const QStringList& args : {QStringList{"--help"}, QStringList{"-h"},
                                    QStringList{"grade", "--help"}, QStringList{"help"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.isEmpty());
        // Each command says what it prints; the options give their units and defaults.
        for (const char* text :
             {"info PROJECT", "render grid|contour|surface", "contours PROJECT", "grade PROJECT",
              "print REPORT", "import PROJECT", "export PROJECT", "earthwork PROJECT",
              "balance PROJECT", "check PROJECT", "render balance", "whole degrees, 0 to 180",
              "(default 35)", "platform elevation in metres"})
            EXPECT_TRUE(r.out.contains(QLatin1String(text))) << text;
    }
    for (const char* option : {"--version", "-v"}) {
        const CliRun r = run({option});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "tervan-cli " TERVAN_VERSION "\n");
    }
}

TEST(Cli, BadUsageNamesTheBadWord)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 3, 3);
    const QString png = dir.filePath("p.png");
    const struct
    {
        QStringList args;
        const char* firstLine;
    } cases[] = {
        {{"render", "grid", site, "-o", png, "--angle", "abc"}, "--angle: 'abc' is not a number"},
        {{"render", "grid", site, "-o", png, "--angle", "200"},
         "--angle: '200' is not a whole number of degrees from 0 to 180"},
        {{"render", "grid", site, "-o", png, "--size", "0x5"}, "--size: '0x5' is not WIDTHxHEIGHT"},
        {{"grade", site, "--platform", "1e99"}, "--platform: '1e99' is not an elevation"},
        {{"grade", site, "--frob"}, "Unknown option 'frob'"},
        {{"contours", site, "--interval"}, "Missing value after '--interval'"},
        {{"print", "everything", site, "-o", "x.pdf"}, "'everything' is not a report"},
        {{"earthwork", site, "--k", "0"}, "--k: '0' is not a compaction factor"},
        {{"balance", site, "--curve", "1"}, "--curve: '1' is not a whole number of points"},
        {{"check", site, "--floor", "-1"}, "--floor: '-1' is not a number of metres"},
        {{"frobnicate", "x"}, "'frobnicate' is not a command"},
        {{"render", "grid", site, "-o", png, "--size", "9000x9000"}, "--size: '9000x9000' is not"},
        {{"balance", site, "--curve", "10001"}, "--curve: '10001' is not a whole number of points"},
        {{"render", "balance", site, "-o", png, "--platform", "nan"}, "--platform: 'nan' is not a"},
        {{"grade", site, "--platform", "1", "--platform", "2"}, "--platform is given more than"},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 2) << c.firstLine;
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("tervan-cli: ") + c.firstLine))
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

// Outputs that are no regular file are refused before anything opens them and left as they were.
TEST(Cli, OutputsThatAreNoRegularFilesAreLeftAsTheyWere)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 2, 2), out = dir.filePath("out.gnd");
    // export takes its format from the suffix, so it writes to a name of its own.
    const QStringList outs{out, dir.filePath("out.csv")};
    for (const char* kind : {"fifo", "device", "folder"}) {
        if (kind[0] == 'd' && ::geteuid() != 0) // only root makes a device (as /dev/full)
            continue;
        for (const QString& name : outs) {
            const QByteArray path = QFile::encodeName(name);
            ASSERT_EQ(kind[0] == 'f'   ? ::mkfifo(path.constData(), 0600)
                      : kind[0] == 'd' ? ::mknod(path.constData(), S_IFCHR | 0600, makedev(1, 7))
                                       : ::mkdir(path.constData(), 0700),
                      0);
        }
        for (const char* command : {"export", "print control", "render grid", "render balance"})
            for (QStringList args :
                 {QString(command).split(' ') << site << "-o" << outs[command[0] == 'e'],
                  QStringList{"import", site, site, "-o", out.chopped(4)}}) {
                const CliRun r = run(args);
                EXPECT_EQ(r.status, 1) << args.join(' ').toStdString();
                EXPECT_TRUE(r.err.endsWith(": not a regular file\n")) << r.err.toStdString();
                for (const QString& name : outs)
                    EXPECT_TRUE(QFileInfo::exists(name) && !QFileInfo(name).isFile());
            }
        for (const QString& name : outs)
            ASSERT_TRUE(QFile::remove(name) || QDir().rmdir(name));
    }
}

TEST(Cli, UnwritableOutputGivesTheSystemsReason)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 2, 2);
    const QString out = dir.filePath("missing/x");
    for (const QStringList& args : {QStringList{"render", "grid", site, "-o", out + ".png"},
                                    QStringList{"print", "grid", site, "-o", out + ".pdf"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.startsWith("tervan-cli: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith(": No such file or directory\n")) << r.err.toStdString();
    }
}

// One height mistyped as 1e6 at interval 1: 999,900 levels are refused in every command that
// draws contours, and the other pictures are unaffected.
TEST(Cli, TooManyContourLevelsAreRefusedWithTheirCount)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 2, 2, {100, 101, 1e6f, 102});
    const QString tooMany =
        QStringLiteral("tervan-cli: จำนวนชั้นความสูง 999900 ชั้น มากเกินไป กรุณาเพิ่มช่วงชั้นความสูง\n");
    const QString tooSmall = QStringLiteral("tervan-cli: ช่วงชั้นความสูงเล็กเกินไปสำหรับค่าระดับนี้\n");
    const struct
    {
        QStringList args;
        int status;
        QString err;
    } cases[] = {
        {{"contours", site, "--summary"}, 1, tooMany},
        {{"contours", site, "--interval", "-1"}, 1, tooSmall},
        {{"contours", site, "--interval", "1e6"}, 0, {}},
        {{"render", "contour", site, "-o", dir.filePath("c.png")}, 1, tooMany},
        {{"render", "grid", site, "-o", dir.filePath("g.png")}, 0, {}},
        {{"print", "contour", site, "-o", dir.filePath("c.pdf")}, 1, tooMany},
        {{"print", "grid", site, "-o", dir.filePath("g.pdf")}, 0, {}},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err) << c.args.join(' ').toStdString();
    }
    EXPECT_GT(QFileInfo(dir.filePath("c.pdf")).size(), 0);
    EXPECT_FALSE(QImage(dir.filePath("c.png")).isNull());
}

TEST(Cli, CompareAndPadPrintTheirFigures)
{
    QTemporaryDir dir;
    const QString before = writeGrid(dir, "before", 10, 3, 3);
    const QString after = writeGrid(dir, "after", 10, 3, 3, std::vector<float>(9, 0.5f));
    const QString wide = writeGrid(dir, "wide", 10, 3, 4);
    CliRun r = run({"compare", before, after, "--k", "2"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(
        "cut 0.00   fill -200.00   net -200.00   four-corner-cut 0.00"
        "   four-corner-fill -200.00\narea 400.00 0-1-0\ncell 1 0.00 -50.00 -50.00\n"));
    r = run({"compare", before, wide});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("จำนวนคอลัมน์"))) << r.err.toStdString();

    const QStringList pad{"pad",         after, "--pad",        "0,0,2,2",
                          "--cut-slope", "1.5", "--fill-slope", "2"};
    r = run(pad + QStringList{"--level", "1"});
    EXPECT_EQ(r.out.section('\n', 0, 3),
              "level 1.000   per-cm 4.00\ncut 0.00   fill -200.00   "
              "net -200.00   open-edge 0\narea 400.00 0-1-0\ncell 1 0.00 -50.00 -50.00");
    r = run(pad + QStringList{"--balance", "--csv"});
    EXPECT_EQ(r.out.section('\n', 0, 1), "cell,cut_m3,fill_m3,net_m3\n1,0.00,0.00,0.00");
    r = run(
        {"render", "cutfill", before, after, "-o", dir.filePath("map.png"), "--size", "300x200"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(dir.filePath("map.png")).size(), QSize(300, 200));
    r = run(QStringList{"print", "cutfill", after, "-o", dir.filePath("pad.pdf"), "--balance"} +
            pad.mid(2));
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFile(dir.filePath("pad.pdf")).size() > 1000);
}

TEST(Cli, PadRefusesWhatItsDialogRefuses)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 3, 3);
    const QStringList base{"pad", site, "--level", "1", "--cut-slope", "1", "--fill-slope", "1"};
    for (const QStringList& extra :
         {QStringList{"--pad", "0,0,1"}, QStringList{"--pad", "1,0,1,2"},
          QStringList{"--pad", "0,0,3,2"}, QStringList{"--pad", "0,0,1,1", "--k", "0"},
          QStringList{"--pad", "0,0,1,1", "--balance"}, QStringList{}}) {
        const CliRun r = run(base + extra);
        EXPECT_EQ(r.status, 2) << extra.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("tervan-cli: ")) << r.err.toStdString();
    }
    const CliRun r = run(
        {"pad", site, "--balance", "--pad", "0,0,1,1", "--cut-slope", "0", "--fill-slope", "1"});
    EXPECT_TRUE(r.err.contains("--cut-slope")) << r.err.toStdString();
}

struct GridCase
{
    const char* what;
    QByteArray points; // written as site.csv unless `file` says otherwise
    const char* file;
    const char* options; // separated by spaces
    int status;
    const char* out; // a pattern of the output, or of the error when refused
};

class GridCommand : public testing::TestWithParam<GridCase>
{
};

TEST_P(GridCommand, MakesAGeoreferencedProjectOrWritesNothing)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QLatin1String(GetParam().file));
    surveysites::writeFile(source, GetParam().points);
    const QString made = dir.filePath("made");
    const CliRun r = run(QStringList{"grid", source, "-o", made} +
                         QString(GetParam().options).split(' ', Qt::SkipEmptyParts));
    EXPECT_EQ(r.status, GetParam().status) << GetParam().what << r.err.toStdString();
    EXPECT_TRUE(QRegularExpression(QString::fromUtf8(GetParam().out))
                    .match(r.status == 0 ? r.out : r.err)
                    .hasMatch())
        << GetParam().what << (r.out + r.err).toStdString();
    EXPECT_EQ(QFile::exists(made + ".gnd"), r.status == 0);
    if (r.status == 0) {
        // Node 1 in world coordinates: the points' extent rounded down to the spacing.
        EXPECT_TRUE(QRegularExpression("^node,x,y,elevation\n1,\\d{6}\\.000,\\d{7}\\.000,")
                        .match(run({"export", made}).out)
                        .hasMatch());
    }
}

const QByteArray Cad = "0\nSECTION\n2\nENTITIES\n"
                       "0\nPOINT\n8\n0\n10\n652001.5\n20\n1524002.5\n30\n101.25\n"
                       "0\nPOINT\n8\n0\n10\n652010\n20\n1524000\n30\n99\n"
                       "0\nTEXT\n8\n0\n10\n652005\n20\n1524005\n30\n0\n40\n1\n1\nA\n"
                       "0\nPOLYLINE\n8\n0\n66\n1\n70\n8\n10\n0\n20\n0\n30\n0\n"
                       "0\nVERTEX\n8\n0\n10\n652000\n20\n1524010\n30\n100\n70\n32\n"
                       "0\nVERTEX\n8\n0\n10\n652020\n20\n1524010\n30\n102\n70\n32\n"
                       "0\nSEQEND\n0\nENDSEC\n0\nEOF\n";

const QByteArray Gps = R"(<?xml version="1.0"?>
<gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1">
<wpt lat="13.75" lon="100.5"><ele>2</ele><name>a</name></wpt>
<wpt lat="13.7505" lon="100.5004"><ele>3</ele><name>b</name></wpt>
<wpt lat="13.7509" lon="100.5001"><ele>2.5</ele><name>c</name></wpt></gpx>)";

// Shots around (lon, lat) in degrees, under a header that names them.
QByteArray latLonShots(double lon, double lat)
{
    QByteArray text = "Latitude,Longitude,Height\n";
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            text += QStringLiteral("%1,%2,%3\n")
                        .arg(lat + 0.0002 * j + 0.00001 * i, 0, 'f', 7)
                        .arg(lon + 0.0002 * i, 0, 'f', 7)
                        .arg(10 + i + 0.5 * j)
                        .toUtf8();
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Survey, GridCommand,
    testing::Values(
        GridCase{"plane",
                 surveysites::pnezd(surveysites::scattered(300, 200, 150, surveysites::plane)),
                 "site.csv", "--spacing 10 --crs EPSG:32647 --boundary hull", 0,
                 "^points 300   used 300   duplicates 0   rows 16   cols 21   estimated 0\n"
                 "residual-rms 0\\.000   residual-max 0\\.00\\d \\d+\n"
                 "crs EPSG:32647   datum-shift none\n"
                 "area 30000\\.00 18-3-0   outside 0\n$"},
        GridCase{"a corner left out",
                 "x,y,z\n652000,1524000,1\n652020,1524000,2\n652000,1524020,3\n", "site.csv",
                 "--spacing 10 --method linear", 0,
                 "estimated 3\n.*\ncrs none   datum-shift none\n"
                 "area 200\\.00 0-0-50   outside 3\n"
                 "estimated-node 6\nestimated-node 8\nestimated-node 9\n$"},
        GridCase{"GPS waypoints land in their UTM zone", Gps, "walk.gpx", "--spacing 5", 0,
                 "^points 3   used 3 .*\n.*\ncrs EPSG:32647   datum-shift none\n"},
        GridCase{"latitude/longitude named by the header, no system given",
                 latLonShots(100.5, 13.75), "site.csv", "--spacing 5", 1, "--from-crs EPSG:4326"},
        GridCase{"latitude/longitude east of 102 degrees", latLonShots(103.5, 15.2), "site.csv",
                 "--spacing 5 --from-crs EPSG:4326", 0, "\ncrs EPSG:32648   datum-shift none\n"},
        GridCase{"values that can only be degrees",
                 QByteArray(latLonShots(100.5, 13.75)).replace("Latitude,Longitude,Height\n", ""),
                 "site.csv", "--spacing 5 --columns nez", 1, "--from-crs EPSG:4326"},
        GridCase{"onto Indian 1975 through the RTSD shift", latLonShots(100.5, 13.75), "site.csv",
                 "--spacing 5 --from-crs EPSG:4326 --crs EPSG:24047", 0,
                 "\ncrs EPSG:24047   datum-shift rtsd\n"},
        GridCase{"onto Indian 1975 through an EPSG transformation", latLonShots(100.5, 13.75),
                 "site.csv",
                 "--spacing 5 --from-crs EPSG:4326 --crs EPSG:24047 --datum-shift EPSG:1812", 0,
                 "\ncrs EPSG:24047   datum-shift EPSG:1812\n"},
        GridCase{"a shift that is none", latLonShots(100.5, 13.75), "site.csv",
                 "--spacing 5 --datum-shift molodensky", 2, "--datum-shift"},
        GridCase{"a CAD drawing: points and 3D polyline vertices, never its text", Cad, "site.dxf",
                 "--spacing 5 --crs EPSG:32647", 0, "^points 4   used 4 "},
        GridCase{"a binary DXF", QByteArray("AutoCAD Binary DXF\r\n\x1a\0", 22) + "rest",
                 "site.dxf", "--spacing 5", 1, "ไบนารี"},
        GridCase{"a height no ground has", "x,y,z\n0,0,1\n10,0,3.5e38\n0,10,2\n", "site.csv",
                 "--spacing 1", 1, "จุด 3 .*100,000"},
        GridCase{"shots on one line", "x,y,z\n0,0,1\n1,1,2\n2,2,3\n3,3,4\n", "site.csv",
                 "--spacing 1", 1, "^tervan-cli: .*แนวเส้นตรง[^\n]*\n$"},
        GridCase{"a grid far from every shot",
                 "x,y,z\n652000,1524000,1\n652020,1524000,2\n652000,1524020,3\n", "site.csv",
                 "--spacing 10 --origin 0,0 --size 5x5", 1, "ไม่มีจุดสำรวจอยู่ในกริด"},
        GridCase{"a height that is not a number", "p,n,e,z\n1,2,3,4\n2,5,6,x\n3,1,1,1\n",
                 "site.csv", "--spacing 1", 1, "site\\.csv:3: \"x\""},
        GridCase{"two points", "1,2,3\n4,5,6\n", "site.csv", "--spacing 1", 1, "อย่างน้อย 3 จุด"},
        GridCase{"unknown column order", "1,2,3\n", "site.csv", "--spacing 1 --columns zen", 2,
                 "--columns"},
        GridCase{"more nodes than a project holds", "0,0,1\n1000,0,1\n0,1000,1\n", "site.csv",
                 "--spacing 1", 1, "6 เมตร"}));

// One site surveyed twice must land on one grid: the same shots as UTM and as WGS 84
// latitude/longitude (projected back by cs2cs), the program's own DXF of the project, and a
// second survey, of part of the site, laid on the first one's grid with --like.
TEST(GridCommand, OneSiteGivesOneGridWhateverItsCoordinates)
{
    QTemporaryDir dir;
    auto shots = surveysites::scattered(300, 150, 200, surveysites::curved);
    shots[0].x = surveysites::East, shots[0].y = surveysites::North; // on a multiple of 10
    surveysites::writeFile(dir.filePath("utm.csv"), surveysites::pnezd(shots));
    surveysites::writeFile(dir.filePath("part.csv"),
                           surveysites::pnezd({shots.begin(), shots.begin() + 100}));
    QProcess cs2cs;
    cs2cs.start("cs2cs", {"-f", "%.10f", "+proj=utm", "+zone=47", "+datum=WGS84", "+to",
                          "+proj=longlat", "+datum=WGS84"});
    for (const auto& p : shots)
        cs2cs.write(QString::asprintf("%.4f %.4f %.4f\n", p.x, p.y, p.z).toUtf8());
    cs2cs.closeWriteChannel();
    if (!cs2cs.waitForFinished() || cs2cs.exitCode() != 0)
        GTEST_SKIP() << "cs2cs is not installed";
    surveysites::writeFile(dir.filePath("ll.csv"),
                           "lon,lat,h\n" + QString::fromUtf8(cs2cs.readAllStandardOutput())
                                               .replace(QRegularExpression("[ \\t]+"), ",")
                                               .toUtf8());

    const QString utm = dir.filePath("utm"), ll = dir.filePath("ll"), dxf = dir.filePath("c.dxf");
    const QString fromDxf = dir.filePath("dxf"), like = dir.filePath("like");
    for (const QStringList& args :
         {QStringList{"grid", dir.filePath("utm.csv"), "-o", utm, "--spacing", "10", "--crs",
                      "EPSG:32647"},
          {"grid", dir.filePath("ll.csv"), "-o", ll, "--spacing", "10", "--from-crs", "EPSG:4326"},
          {"contours", utm, "-o", dxf, "--interval", "0.5", "--along-labels"},
          {"grid", dxf, "-o", fromDxf, "--spacing", "10", "--crs", "EPSG:32647"},
          {"grid", dir.filePath("part.csv"), "-o", like, "--like", utm}})
        ASSERT_EQ(run(args).status, 0) << args.join(' ').toStdString();
    const auto nodes = [](const QString& project) {
        return std::get<ProjectFileData>(loadProjectFiles(projectFileNames(project)));
    };
    const ProjectFileData first = nodes(utm);
    for (const QString& other : {ll, fromDxf, like}) {
        const ProjectFileData second = nodes(other);
        ASSERT_TRUE(second.Georef) << other.toStdString();
        const auto frame = [](const ProjectFileData& d) {
            return std::tuple(d.Georef->easting, d.Georef->northing, d.Georef->epsg, d.GridRows,
                              d.GridCols);
        };
        ASSERT_EQ(frame(second), frame(first)) << other.toStdString();
        for (int n = 1; other != like && n <= first.NodeCount; ++n) // like: its own heights
            ASSERT_NEAR(second.Nodes[n].Z, first.Nodes[n].Z, 0.001)
                << other.toStdString() << " node " << n;
    }
}

// -o names the format by its suffix; what the command cannot write is refused and not written.
TEST(Cli, ExportsFollowTheSuffix)
{
    QTemporaryDir dir;
    const QString site = writeGrid(
        dir, "site", 10, 3, 3, {100, 100.4f, 101.2f, 100.2f, 101, 101.6f, 100.8f, 101.4f, 102.1f});
    const struct
    {
        const char* command;
        const char* file;
        int status;
        const char* says; // in the refusal
    } cases[] = {{"contours", "c.dxf", 0, ""},
                 {"contours", "c.gpkg", 0, ""},
                 {"contours", "c.geojson", 1, "GeoPackage"},
                 {"contours", "c.asc", 2, "dxf, gpkg, shp, geojson"},
                 {"export", "s.xml", 0, ""},
                 {"export", "s.tif", 0, ""},
                 {"export", "s.txt", 2, "csv, xml, asc, tif"}};
    for (const auto& c : cases) {
        QStringList args{c.command, site, "-o", dir.filePath(c.file)};
        if (QLatin1String(c.command) == QLatin1String("contours"))
            args << "--interval"
                 << "0.5";
        const CliRun done = run(args);
        EXPECT_EQ(done.status, c.status) << c.file << done.err.toStdString();
        EXPECT_TRUE(done.err.contains(QLatin1String(c.says))) << done.err.toStdString();
        EXPECT_EQ(QFile::exists(dir.filePath(c.file)), c.status == 0) << c.file;
    }
}

// A georeference that cannot place the site is said by every command; the ones that write
// world coordinates refuse rather than write grid metres as if they were eastings.
TEST(GridCommand, ADamagedOrUnknownGeoreferenceIsSaidAndStopsWorldOutputs)
{
    QTemporaryDir dir;
    const QString site = writeGrid(dir, "site", 10, 3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    for (const QByteArray& geo :
         {QByteArray("easting = 652000\nnorthing = 1524000\ncrs = EPSG:999999\n"),
          QByteArray("easting = east\nnorthing = 1524000\n")}) {
        surveysites::writeFile(site + ".geo", geo);
        const CliRun info = run({"info", site});
        EXPECT_EQ(info.status, 0) << geo.constData();
        EXPECT_TRUE(info.err.contains("warning: ")) << info.err.toStdString();
        for (const QStringList& world :
             {QStringList{"export", site}, QStringList{"export", site, "-o", site + ".tif"},
              QStringList{"contours", site, "-o", site + ".gpkg"}}) {
            const CliRun r = run(world);
            EXPECT_EQ(r.status, 1) << world.join(' ').toStdString() << geo.constData();
            EXPECT_TRUE(r.err.contains(QStringLiteral("แฟ้มพิกัดอ้างอิง"))) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty());
        }
        EXPECT_FALSE(QFile::exists(site + ".tif"));
        EXPECT_FALSE(QFile::exists(site + ".gpkg"));
    }
}

// A grid made onto a project another program holds is refused, naming the holder.
TEST(GridCommand, ATargetHeldElsewhereIsNamed)
{
    QTemporaryDir dir;
    const QString held = writeGrid(dir, "held", 10, 2, 2);
    QLockFile other(QFileInfo(held + ".gnd").dir().filePath(".held.gnd.lock"));
    ASSERT_TRUE(other.tryLock(0));
    surveysites::writeFile(dir.filePath("p.csv"), "x,y,z\n0,0,1\n10,0,2\n0,10,3\n");
    const CliRun r = run({"grid", dir.filePath("p.csv"), "-o", held, "--spacing", "10"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("กำลังถูกใช้งานโดย"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::number(QCoreApplication::applicationPid())))
        << r.err.toStdString();
}

// The heading a project made from points carries: the project file's own name unless another
// is given (never the points file's), and the engineer named, or none.
TEST(GridCommand, NameAndEngineerGoIntoTheHeading)
{
    QTemporaryDir dir;
    surveysites::writeFile(dir.filePath("ไร่.csv"), surveysites::lShapedSite());
    for (const auto& [extra, name, engineer] :
         {std::tuple{QStringList{}, "แปลงเหนือ", ""},
          std::tuple{QStringList{"--name", "ไร่นายสมชาย", "--engineer", "นายวิชัย"}, "ไร่นายสมชาย",
                     "นายวิชัย"}}) {
        const QString made = dir.filePath("แปลงเหนือ.gnd");
        ASSERT_EQ(
            run(QStringList{"grid", dir.filePath("ไร่.csv"), "-o", made, "--spacing", "10"} + extra)
                .status,
            0);
        const CliRun info = run({"info", made});
        EXPECT_TRUE(
            info.out.startsWith(QStringLiteral("project: %1\nengineer: %2\n")
                                    .arg(QString::fromUtf8(name), QString::fromUtf8(engineer))))
            << info.out.toStdString();
    }
}
