#include "project/projectpair.h"

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

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs a program, killed after killAfter ms when given; its exit status and error output.
std::pair<int, QString> run(QStringList command, int killAfter = -1)
{
    QProcess process;
    process.start(command.takeFirst(), command);
    if (!process.waitForFinished(killAfter))
        process.kill(), process.waitForFinished();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

// The helper's words for a save of the square grid or the wide one as base.
QStringList saving(bool square, const QString& base)
{
    return {TERVAN_SAVE_HELPER, square ? "181" : "151", square ? "181" : "217", base};
}

enum Found { Square, Wide, OffersBackups, Broken };

} // namespace

// A 181 x 181 and a 151 x 217 grid with heights files, saved cleanly in a folder of their own
// to compare with what a stopped save leaves, and a target pair in a folder of its own.
class SaveFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString& d : {refs.path(), dir.path()})
            ::chmod(QFile::encodeName(d).constData(), 0755);
        for (const int i : {0, 1}) {
            run(saving(i == 0, base[i]));
            run({TERVAN_CLI_EXE, "export", base[i], "-o", base[i] + ".csv"});
        }
    }
    // Grid i alone in the target's folder.
    void copy(int i)
    {
        for (const QString& f : entries(dir.path()))
            QFile::remove(dir.filePath(f));
        QFile::copy(base[i] + ".gnd", names.gnd);
        QFile::copy(base[i] + ".nod", names.nod);
    }
    // What Open makes of the pair: one grid exactly, or backups it offers to put back (and then
    // one of the grids); a pair that opens any other way is broken.
    Found found()
    {
        const bool offered = inspectPair(names) == PairLeftover::Interrupted;
        const bool restored = !offered || restorePair(names);
        auto loaded = loadProjectFiles(names);
        const auto* data = std::get_if<ProjectFileData>(&loaded);
        for (const Found grid : {Square, Wide}) {
            if (restored && data && data->MisplacedNode == 0 &&
                bytesOf(names.gnd).left(HeaderBytes) == bytesOf(base[grid] + ".gnd") &&
                bytesOf(names.nod).startsWith(bytesOf(base[grid] + ".nod")))
                return offered ? OffersBackups : grid;
        }
        return Broken;
    }

    QTemporaryDir refs, dir;
    QString base[2] = {refs.filePath("181"), refs.filePath("151")};
    ProjectFileNames names = projectFileNames(dir.filePath(QString(83, QChar(0x0E01)) + "xx"));
};

// Killed at each system call of a save in turn (the n-th call of that name), from the square
// grid to the wide one and back, under a name of 255 bytes; then at random during back-to-back
// saves. A mixed pair would be caught.
TEST_F(SaveFaults, KillsLeaveTheOldPairTheNewPairOrBackupsOpenOffers)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    QFile::copy(base[0] + ".gnd", names.gnd);
    QFile::copy(base[1] + ".nod", names.nod);
    EXPECT_EQ(std::get<ProjectFileData>(loadProjectFiles(names)).MisplacedNode, 182);
    const QString trace = refs.filePath("trace");
    for (const int back : {0, 1}) {
        const QStringList save = saving(back, names.base);
        copy(back);
        EXPECT_EQ(run(QStringList{strace, "-o", trace} + save).first, 0);
        EXPECT_EQ(found(), back ? Square : Wide);
        EXPECT_EQ(entries(dir.path()).size(), 2); // nothing else stays

        std::map<QString, int> seen;
        std::map<Found, int> tally;
        int markers = 0;
        static const QRegularExpression call(QStringLiteral("^(\\w+)\\((.*)"));
        for (const QString& line : QString::fromUtf8(bytesOf(trace)).split('\n')) {
            const auto m = call.match(line);
            const int count = m.hasMatch() ? ++seen[m.captured(1)] : 0;
            const bool marker = m.captured(2).contains(QLatin1String("/save-"));
            if ((markers += marker) != 1 || marker || !count)
                continue;
            copy(back);
            const auto inject =
                QStringLiteral("inject=%1:signal=KILL:when=%2").arg(m.captured(1)).arg(count);
            run(QStringList{strace, "-o", "/dev/null", "-e", inject} + save);
            ++tally[found()];
            EXPECT_EQ(tally[Broken], 0) << inject.toStdString();
        }
        EXPECT_GT(tally[Square] * tally[Wide] * tally[OffersBackups], 0);
        EXPECT_GT(tally[Square] + tally[Wide], 40);
    }
    for (int i = 0; i < 50; ++i) {
        run(saving(i % 2, names.base), 5 + (i * 37) % 40);
        EXPECT_NE(found(), Broken) << "kill " << i;
    }
}

// Two batch imports into one target at once, 40 times: a whole grid each time, and a run that
// finds the pair locked says who holds it and fails.
TEST_F(SaveFaults, RacesOfTwoBatchImportsLeaveAWholePairAndTheLoserSaysSo)
{
    QProcess runs[2];
    int losers = 0;
    for (int race = 0; race < 40; ++race) {
        for (int i = 0; i < 2; ++i)
            runs[i].start(TERVAN_CLI_EXE, {"import", base[i], base[i] + ".csv", "-o", names.base});
        for (auto& r : runs) {
            ASSERT_TRUE(r.waitForFinished());
            const QString err = QString::fromUtf8(r.readAllStandardError());
            losers += r.exitCode() != 0;
            EXPECT_TRUE(r.exitCode() == 0 || (r.exitCode() == 1 && err.contains("กำลังถูกใช้งานโดย")));
        }
        EXPECT_LT(found(), OffersBackups) << race;
    }
    EXPECT_GT(losers, 0); // the runs did overlap
}

// As a user other than the files' owner (nobody, via setpriv, when the test runs as root): a
// folder that takes no new file, or a read-only ".nod", refuses the save and leaves both files.
TEST_F(SaveFaults, ReadOnlyFolderOrNodLeavesBothOldFilesByteIdentical)
{
    QStringList asNobody;
    if (::geteuid() == 0)
        asNobody = {QStandardPaths::findExecutable("setpriv"), "--reuid=65534", "--regid=65534",
                    "--clear-groups", "--"};
    if (!asNobody.isEmpty() && asNobody.first().isEmpty())
        GTEST_SKIP() << "running as root without setpriv to become nobody";
    for (const auto& [folderMode, nodMode, says] : {std::tuple(0555, 0644, "ไม่อนุญาตให้สร้างแฟ้มใหม่"),
                                                    {0555, 0444, "ไม่สามารถบันทึกแฟ้ม"},
                                                    {0755, 0444, "ไม่สามารถบันทึกแฟ้ม"}}) {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        copy(0);
        for (const QString& f : {dir.path(), names.gnd, names.nod})
            ::chown(QFile::encodeName(f).constData(), 65534, 65534);
        ::chmod(QFile::encodeName(names.nod).constData(), nodMode);
        ::chmod(QFile::encodeName(dir.path()).constData(), folderMode);
        const auto state = [&] {
            return std::tuple(bytesOf(names.gnd), bytesOf(names.nod), entries(dir.path()));
        };
        const auto before = state();
        const auto [status, err] = run(asNobody + saving(false, names.base));
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(err.contains(QString::fromUtf8(says))) << err.toStdString();
        EXPECT_EQ(state(), before);
    }
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
}
