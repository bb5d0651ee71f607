#include "project/projectpair.h"
#include "support/faultprojects.h"
#include "support/printto.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace tervan;

namespace {

const QString Helper = QStringLiteral(TERVAN_SAVE_HELPER);
const Project Square = faultProject(181, 181), Wide = faultProject(151, 217);

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

// What Open makes of the pair: one of the two projects exactly, or the backups it offers to
// put back (and then one of the projects); a pair that opens any other way is broken.
Found found(const ProjectFileNames& names)
{
    const bool offered = inspectPair(names) == PairLeftover::Interrupted;
    if (offered && !restorePair(names))
        return Found::Broken;
    auto loaded = loadProjectFiles(names);
    const auto* data = std::get_if<ProjectFileData>(&loaded);
    if (!data || data->MisplacedNode != 0)
        return Found::Broken;
    for (const auto& [p, which] : {std::pair{&Square, Found::Square}, {&Wide, Found::Wide}}) {
        if (bytesOf(names.gnd).left(HeaderBytes) == encodeHeader(*p) &&
            bytesOf(names.nod).startsWith(encodeNodes(*p)))
            return offered ? Found::OffersBackups : which;
    }
    return Found::Broken;
}

QStringList helperArgs(const Project& p, const QString& base)
{
    return {QString::number(p.GridRows), QString::number(p.GridCols), base};
}

} // namespace

// A save killed at each of its system calls in turn, from the square grid to the wide one and
// back: the first system call that the helper makes of that kind after the save begins.
class KillAtEverySystemCall : public ::testing::TestWithParam<bool>
{
};

TEST_P(KillAtEverySystemCall, LeavesTheOldPairTheNewPairOrBackupsOpenOffers)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const Project& before = GetParam() ? Wide : Square;
    const Project& after = GetParam() ? Square : Wide;
    QTemporaryDir dir, traceDir;
    const auto names = projectFileNames(dir.filePath(QStringLiteral("site")));
    const QString trace = traceDir.filePath(QStringLiteral("trace"));
    const QStringList args = QStringList{Helper} + helperArgs(after, names.base);
    ASSERT_FALSE(saveProjectPair(before, names));
    ASSERT_EQ(QProcess::execute(strace, QStringList{"-o", trace} + args), 0);
    EXPECT_EQ(found(names), GetParam() ? Found::Square : Found::Wide);
    EXPECT_EQ(entries(dir.path()), QStringList({"site.gnd", "site.nod"})); // nothing else stays

    // Each call of the save by its name and its count among the helper's calls of that name.
    std::map<QString, int> seen;
    std::vector<std::pair<QString, int>> calls;
    int stage = 0;
    static const QRegularExpression call(QStringLiteral("^(\\w+)\\((.*)"));
    for (const QString& line : QString::fromUtf8(bytesOf(trace)).split('\n')) {
        const auto m = call.match(line);
        if (!m.hasMatch())
            continue;
        const int count = ++seen[m.captured(1)];
        if (m.captured(2).contains(QLatin1String("/save-")))
            ++stage;
        else if (stage == 1)
            calls.emplace_back(m.captured(1), count);
    }
    ASSERT_GT(calls.size(), 20u);
    std::map<Found, int> tally;
    for (const auto& [name, count] : calls) {
        for (const QString& f : entries(dir.path()))
            QFile::remove(dir.filePath(f));
        ASSERT_FALSE(saveProjectPair(before, names));
        const QString inject = QStringLiteral("inject=%1:signal=KILL:when=%2").arg(name).arg(count);
        QProcess::execute(strace, QStringList{"-o", "/dev/null", "-e", inject} + args);
        const Found f = found(names);
        EXPECT_NE(f, Found::Broken) << "killed at " << name.toStdString() << " #" << count;
        ++tally[f];
    }
    // The kills fall before, between and after the two renames.
    EXPECT_GT(tally[GetParam() ? Found::Wide : Found::Square], 0);
    EXPECT_GT(tally[GetParam() ? Found::Square : Found::Wide], 0);
}

INSTANTIATE_TEST_SUITE_P(BothWays, KillAtEverySystemCall, ::testing::Bool());

TEST(SaveKills, FiftyAtRandomDuringBackToBackSavesLeaveNoBrokenPair)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath(QStringLiteral("site")));
    ASSERT_FALSE(saveProjectPair(Square, names));
    std::mt19937 random(50);
    for (int i = 0; i < 50; ++i) {
        QProcess saver;
        saver.start(Helper, {QStringLiteral("loop"), names.base});
        ASSERT_TRUE(saver.waitForStarted());
        QThread::msleep(20 + random() % 80);
        saver.kill();
        saver.waitForFinished();
        EXPECT_NE(found(names), Found::Broken) << "kill " << i;
    }
}

// As another user than the folder's owner (nobody, when the test runs as root): a folder that
// takes no new file, with the pair's files writable or not, refuses the save and leaves both.
struct ReadOnlyCase
{
    const char* name;
    int folderMode, nodMode;
    const char* says;
};

class ReadOnlyFolder : public ::testing::TestWithParam<ReadOnlyCase>
{
};

TEST_P(ReadOnlyFolder, LeavesBothOldFilesByteIdentical)
{
    const ReadOnlyCase& c = GetParam();
    QStringList run;
    if (::geteuid() == 0) {
        run = QStringList{QStandardPaths::findExecutable(QStringLiteral("setpriv")),
                          "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        if (run.first().isEmpty())
            GTEST_SKIP() << "running as root without setpriv to become nobody";
    }
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("p")), helper = dir.filePath("helper");
    ASSERT_TRUE(QDir().mkdir(folder) && QFile::copy(Helper, helper));
    const auto names = projectFileNames(folder + QStringLiteral("/site"));
    ASSERT_FALSE(saveProjectPair(Square, names));
    for (const QString& f : {folder, names.gnd, names.nod})
        ASSERT_EQ(::chown(QFile::encodeName(f).constData(), 65534, 65534) == 0, ::geteuid() == 0);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(names.nod).constData(), c.nodMode);
    ::chmod(QFile::encodeName(folder).constData(), c.folderMode);
    const QByteArray gnd = bytesOf(names.gnd), nod = bytesOf(names.nod);
    const QStringList listed = entries(folder);

    QProcess saver;
    saver.start(run.isEmpty() ? helper : run.takeFirst(),
                run + QStringList{helper} + helperArgs(Wide, names.base));
    ASSERT_TRUE(saver.waitForFinished());
    EXPECT_EQ(saver.exitCode(), 1);
    EXPECT_TRUE(
        QString::fromLocal8Bit(saver.readAllStandardError()).contains(QString::fromUtf8(c.says)));
    EXPECT_EQ(bytesOf(names.gnd), gnd);
    EXPECT_EQ(bytesOf(names.nod), nod);
    EXPECT_EQ(entries(folder), listed);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadOnlyFolder,
    ::testing::Values(ReadOnlyCase{"WritableFiles", 0555, 0644, "ไม่อนุญาตให้สร้างแฟ้มใหม่"},
                      ReadOnlyCase{"ReadOnlyNod", 0555, 0444, "ไม่สามารถบันทึกแฟ้ม"},
                      ReadOnlyCase{"WritableFolderReadOnlyNod", 0755, 0444, "site.nod"}),
    [](const auto& info) { return std::string(info.param.name); });
