#include "project/projectpair.h"
#include "support/faultprojects.h"
#include "support/printto.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace tervan;

namespace {

const Project Square = faultProject(181, 181), Wide = faultProject(151, 217);
const QString Helper = QStringLiteral(TERVAN_SAVE_HELPER);

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

enum class Found { Square, Wide, OffersBackups, Broken };

// What Open makes of the pair: one of the two projects exactly, or backups it offers to put
// back (and then one of the projects); a pair that opens any other way is broken.
Found found(const ProjectFileNames& names)
{
    const bool offered = inspectPair(names) == PairLeftover::Interrupted;
    const bool restored = !offered || restorePair(names);
    auto loaded = loadProjectFiles(names);
    const auto* data = std::get_if<ProjectFileData>(&loaded);
    for (const auto& [p, which] : {std::pair{&Square, Found::Square}, {&Wide, Found::Wide}}) {
        if (restored && data && data->MisplacedNode == 0 &&
            bytesOf(names.gnd).left(HeaderBytes) == encodeHeader(*p) &&
            bytesOf(names.nod).startsWith(encodeNodes(*p)))
            return offered ? Found::OffersBackups : which;
    }
    return Found::Broken;
}

// Runs a program, killed after killAfter ms when given; its exit status and error output.
std::pair<int, QString> run(QStringList command, int killAfter = -1)
{
    QProcess process;
    process.start(command.takeFirst(), command);
    if (!process.waitForFinished(killAfter))
        process.kill(), process.waitForFinished();
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
}

// The helper's words for a save of p as base.
QStringList saving(const Project& p, const QString& base)
{
    return {Helper, QString::number(p.GridRows), QString::number(p.GridCols), base};
}

} // namespace

// A save killed at each of its system calls in turn (the n-th call of that name), from the
// square grid to the wide one and back, under a name of 255 bytes.
TEST(SaveFaults, KillAtEverySystemCallLeavesTheOldPairTheNewPairOrBackupsOpenOffers)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath(QString(251, QChar(0x0E01)).left(83) + "xx"));
    const QString trace = dir.path() + ".trace";
    for (const bool back : {false, true}) {
        const auto& [before, after] = back ? std::tie(Wide, Square) : std::tie(Square, Wide);
        const auto restart = [&, &before = before] {
            for (const QString& f : entries(dir.path()))
                QFile::remove(dir.filePath(f));
            return saveProjectPair(before, names);
        };
        ASSERT_FALSE(restart());
        EXPECT_EQ(run(QStringList{strace, "-o", trace} + saving(after, names.base)).first, 0);
        EXPECT_EQ(found(names), back ? Found::Square : Found::Wide);
        EXPECT_EQ(entries(dir.path()).size(), 2); // nothing else stays

        std::map<QString, int> seen;
        std::map<Found, int> tally;
        int markers = 0;
        static const QRegularExpression call(QStringLiteral("^(\\w+)\\((.*)"));
        for (const QString& line : QString::fromUtf8(bytesOf(trace)).split('\n')) {
            const auto m = call.match(line);
            const int count = m.hasMatch() ? ++seen[m.captured(1)] : 0;
            const bool marker = m.captured(2).contains(QLatin1String("/save-"));
            if ((markers += marker) != 1 || marker || !count || restart())
                continue;
            const QString inject =
                QStringLiteral("inject=%1:signal=KILL:when=%2").arg(m.captured(1)).arg(count);
            run(QStringList{strace, "-o", "/dev/null", "-e", inject} + saving(after, names.base));
            ++tally[found(names)];
            EXPECT_EQ(tally[Found::Broken], 0) << inject.toStdString();
        }
        EXPECT_GT(tally[Found::Square] * tally[Found::Wide], 0);
        EXPECT_GT(tally[Found::Square] + tally[Found::Wide] + tally[Found::OffersBackups], 20);
    }
    QFile::remove(trace);
}

TEST(SaveFaults, FiftyRandomKillsDuringBackToBackSavesLeaveNoBrokenPair)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath(QStringLiteral("site")));
    ASSERT_FALSE(saveProjectPair(Square, names));
    for (int i = 0; i < 50; ++i) {
        run({Helper, "loop", names.base}, 20 + (i * 37) % 80);
        EXPECT_NE(found(names), Found::Broken) << "kill " << i;
    }
}

// Two batch imports into one target at once: a whole project each time, and a run that finds
// the pair locked says who holds it and fails.
TEST(SaveFaults, FortyRacesOfTwoBatchImportsLeaveAWholePairAndTheLoserSaysSo)
{
    QTemporaryDir dir;
    const auto target = projectFileNames(dir.filePath(QStringLiteral("target")));
    QProcess runs[2];
    int losers = 0;
    for (const Project& p : {Square, Wide}) {
        ASSERT_FALSE(saveProjectPair(p, projectFileNames(dir.filePath(p.ProjectName))));
        QFile csv(dir.filePath(p.ProjectName + ".csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        for (std::size_t n = 1; n < p.Nodes.size(); ++n)
            csv.write(QByteArray::number(p.Nodes[n].Z) + '\n');
    }
    for (int race = 0; race < 40; ++race) {
        for (int i = 0; i < 2; ++i) {
            const QString source = dir.filePath(i ? Wide.ProjectName : Square.ProjectName);
            runs[i].start(TERVAN_CLI_EXE, {"import", source, source + ".csv", "-o", target.base});
        }
        for (auto& r : runs) {
            ASSERT_TRUE(r.waitForFinished());
            const QString err = QString::fromUtf8(r.readAllStandardError());
            losers += r.exitCode() != 0;
            EXPECT_EQ(r.exitCode() == 0                ? 0
                      : err.contains("กำลังถูกใช้งานโดย") ? 1
                                                       : -1,
                      r.exitCode());
        }
        EXPECT_LT(found(target), Found::OffersBackups) << race;
    }
    EXPECT_GT(losers, 0); // the runs did overlap
}

// As a user other than root (nobody, via setpriv, when the test runs as root): a folder that
// takes no new file, or a read-only ".nod", refuses the save and leaves both files.
using ReadOnly = ::testing::TestWithParam<std::tuple<int, int, const char*>>;

TEST_P(ReadOnly, SaveLeavesBothOldFilesByteIdentical)
{
    const auto& [folderMode, nodMode, says] = GetParam();
    QStringList asNobody;
    if (::geteuid() == 0)
        asNobody = {QStandardPaths::findExecutable("setpriv"), "--reuid=65534", "--regid=65534",
                    "--clear-groups", "--"};
    if (!asNobody.isEmpty() && asNobody.first().isEmpty())
        GTEST_SKIP() << "running as root without setpriv to become nobody";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("p"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const auto names = projectFileNames(folder + QStringLiteral("/site"));
    ASSERT_FALSE(saveProjectPair(Square, names));
    for (const QString& f : {folder, names.gnd, names.nod})
        ASSERT_EQ(::chown(QFile::encodeName(f).constData(), 65534, 65534) == 0,
                  !asNobody.isEmpty());
    for (const auto& [f, mode] :
         {std::pair{dir.path(), 0755}, {names.nod, nodMode}, {folder, folderMode}})
        ::chmod(QFile::encodeName(f).constData(), mode);
    const auto state = [&] {
        return std::tuple(bytesOf(names.gnd), bytesOf(names.nod), entries(folder));
    };
    const auto before = state();
    const auto [status, err] = run(asNobody + saving(Wide, names.base));
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(err.contains(QString::fromUtf8(says))) << err.toStdString();
    EXPECT_EQ(state(), before);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadOnly,
                         ::testing::Values(std::tuple(0555, 0644, "ไม่อนุญาตให้สร้างแฟ้มใหม่"),
                                           std::tuple(0555, 0444, "site.nod"),
                                           std::tuple(0755, 0444, "site.nod")));
