#include "project/controldata.h"
#include "project/projectfile.h"
#include "support/printto.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The batch front end in a process of its own, under strace when `inject` is given.
int runCli(const QStringList& args, const QString& inject = {})
{
    QProcess p;
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (inject.isEmpty())
        p.start(TERVAN_CLI_EXE, args);
    else
        p.start(strace, QStringList{"-f", "-o", "/dev/null", "-e", inject, TERVAN_CLI_EXE} + args);
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::CrashExit ? -1 : p.exitCode();
}

} // namespace

class OutputReplaced : public testing::TestWithParam<const char*>
{
};

// Every kind of output replaces the old file only once complete: a full disk (every write
// failing) or a kill at the first write or at the rename leaves the old file byte for byte; a
// clean failure leaves no temporary; a success writes through a link to the file it names.
TEST_P(OutputReplaced, OldFileSurvivesAFullDiskAndAKill)
{
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        GTEST_SKIP() << "strace is not installed";
    QTemporaryDir dir;
    Project p = startupProject();
    applyControlData(p, {10, 12, 14, 0.5f});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 100 + 0.37f * float(n % 14) + 0.21f * float(n / 14);
    p.Georef = Georeference{652000, 1524000, 32647, {}};
    const ProjectFileNames names = projectFileNames(dir.filePath("site"));
    ASSERT_FALSE(saveProjectFiles(p, names));
    // The command's words, then the project and the output.
    QStringList args = QString(GetParam()).split(' ');
    const QString out = dir.filePath(args.last()), real = dir.filePath("real-" + args.takeLast());
    args << names.base << "-o" << out;
    const QByteArray old = "the file that was there\n";
    const auto reset = [&](const QString& name) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(old);
    };
    const auto leftovers = [&] {
        return QDir(dir.path()).entryList({"*.part-*"}, QDir::Files | QDir::Hidden);
    };
    for (const QString& inject : {QStringLiteral("inject=write,pwrite64,writev:error=ENOSPC"),
                                  QStringLiteral("inject=write:signal=KILL"),
                                  QStringLiteral("inject=rename:signal=KILL")}) {
        reset(out);
        EXPECT_NE(runCli(args, inject), 0) << inject.toStdString();
        EXPECT_EQ(bytesOf(out), old) << inject.toStdString();
        if (inject.contains("ENOSPC")) {
            EXPECT_EQ(leftovers(), QStringList()) << inject.toStdString();
        }
    }
    // Through a link: the file it names gets the output, the link stays a link.
    QDir(dir.path()).removeRecursively();
    QDir().mkpath(dir.path());
    ASSERT_FALSE(saveProjectFiles(p, names));
    reset(real);
    ASSERT_TRUE(QFile::link(real, out));
    ASSERT_EQ(runCli(args), 0);
    EXPECT_TRUE(QFileInfo(out).isSymLink());
    EXPECT_GT(bytesOf(real).size(), 100);
    EXPECT_EQ(leftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutputReplaced,
                         testing::Values("contours c.dxf", "contours c.gpkg", "contours c.shp",
                                         "contours c.geojson", "export s.xml", "export s.asc",
                                         "export s.tif", "export s.csv", "print contour p.pdf",
                                         "render contour p.png"));

// GDAL is loaded only by a command that reads or writes through it, and then it works.
TEST(GisModule, LoadedOnlyByTheCommandsThatNeedIt)
{
    QTemporaryDir dir;
    Project p = startupProject();
    applyControlData(p, {10, 8, 9, 0.5f});
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = 100 + 0.3f * float(n % 9);
    const ProjectFileNames names = projectFileNames(dir.filePath("site"));
    ASSERT_FALSE(saveProjectFiles(p, names));
    QFile shots(dir.filePath("shots.csv"));
    ASSERT_TRUE(shots.open(QIODevice::WriteOnly));
    shots.write("x,y,z\n0,0,10\n40,0,11\n0,40,12\n40,40,13\n20,20,11.5\n");
    shots.close();
    const struct
    {
        QStringList args;
        bool needsGdal;
    } cases[] = {
        {{"--version"}, false},
        {{"info", names.base}, false},
        {{"contours", names.base, "--summary"}, false},
        {{"grade", names.base}, false},
        {{"contours", names.base, "-o", dir.filePath("c.gpkg")}, true},
        {{"grid", shots.fileName(), "-o", dir.filePath("made"), "--spacing", "10"}, true},
    };
    for (const auto& c : cases) {
        QProcess run;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("LD_DEBUG", "files");
        run.setProcessEnvironment(env);
        run.start(TERVAN_CLI_EXE, c.args);
        ASSERT_TRUE(run.waitForFinished(60000));
        const QString what = c.args.join(' ');
        EXPECT_EQ(run.exitCode(), 0) << what.toStdString();
        EXPECT_EQ(run.readAllStandardError().contains("libgdal.so"), c.needsGdal)
            << what.toStdString();
    }
}
