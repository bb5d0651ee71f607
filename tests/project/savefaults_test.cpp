#include "project/projectpair.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
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

enum Found { Square, Wide, OffersBackups, Said, Broken };

// Where each grid is placed when saved with a georeference: 500 m apart.
constexpr double EastingOf[] = {652000, 652500};

// The helper's words for a save of the square grid or the wide one as base, placed when asked.
QStringList saving(bool square, const QString& base, bool placed = false)
{
    QStringList words{TERVAN_SAVE_HELPER, square ? "181" : "151", square ? "181" : "217", base};
    if (placed)
        words << QString::number(EastingOf[square ? Square : Wide], 'f', 1);
    return words;
}

// The georeference the helper saves with a grid.
Georeference placedAt(Found grid)
{
    const int nodes = grid == Square ? 181 * 181 : 151 * 217;
    return {EastingOf[grid], 1520000, 32647, {1, nodes}, "rtsd"};
}

using Placing = std::array<std::optional<Georeference>, 2>;

// One system call of a save: the n-th call of that name, as strace counts them for injection.
struct Call
{
    QString name;
    int nth;
    QString arguments;
};

// The calls a traced helper made between its two markers.
std::vector<Call> callsOfSave(const QString& trace)
{
    std::vector<Call> calls;
    std::map<QString, int> seen;
    int markers = 0;
    static const QRegularExpression call(QStringLiteral("^(\\w+)\\((.*)"));
    for (const QString& line : QString::fromUtf8(bytesOf(trace)).split('\n')) {
        const auto m = call.match(line);
        const int count = m.hasMatch() ? ++seen[m.captured(1)] : 0;
        const bool marker = m.captured(2).contains(QLatin1String("/save-"));
        if ((markers += marker) == 1 && !marker && count)
            calls.push_back({m.captured(1), count, m.captured(2)});
    }
    return calls;
}

// A save from one grid to the other, each placed or not: square to wide, unplaced and then
// placed; back to square, moving the georeference and then dropping it.
constexpr std::tuple<Found, bool, bool> Saves[] = {
    {Square, false, false}, {Square, false, true}, {Wide, true, true}, {Wide, true, false}};

} // namespace

// A 181 x 181 and a 151 x 217 grid with heights files, and each placed, saved cleanly in a
// folder of their own to compare with what a stopped save leaves, and a target pair in a folder
// of its own.
class SaveFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString& d : {refs.path(), dir.path()})
            ::chmod(QFile::encodeName(d).constData(), 0755);
        for (const int i : {0, 1}) {
            run(saving(i == 0, base[i]));
            run(saving(i == 0, placed[i], true));
            run({TERVAN_CLI_EXE, "export", base[i], "-o", base[i] + ".csv"});
        }
    }
    // Grid i alone in the target's folder, placed when asked.
    void copy(int i, bool withGeo = false)
    {
        for (const QString& f : entries(dir.path()))
            QFile::remove(dir.filePath(f));
        QFile::copy(base[i] + ".gnd", names.gnd);
        QFile::copy(base[i] + ".nod", names.nod);
        if (withGeo)
            QFile::copy(placed[i] + ".geo", geo);
    }
    // What Open makes of the files: one grid exactly with the georeference it was saved with
    // (`placing`, by grid), or backups it offers to put back (and then one of those); a
    // georeference Open reports as not the grid's is said; anything else is broken.
    Found found(const Placing& placing = {})
    {
        const bool offered = inspectPair(names) == PairLeftover::Interrupted;
        const bool restored = !offered || restorePair(names);
        auto loaded = loadProjectFiles(names);
        const auto* data = std::get_if<ProjectFileData>(&loaded);
        for (const Found grid : {Square, Wide}) {
            if (!restored || !data || data->MisplacedNode != 0 ||
                bytesOf(names.gnd).left(HeaderBytes) != bytesOf(base[grid] + ".gnd") ||
                !bytesOf(names.nod).startsWith(bytesOf(base[grid] + ".nod")))
                continue;
            if (!data->GeorefProblem.isEmpty())
                return Said;
            if (data->Georef != placing[grid])
                return Broken;
            return offered ? OffersBackups : grid;
        }
        return Broken;
    }

    QTemporaryDir refs, dir;
    QString base[2] = {refs.filePath("181"), refs.filePath("151")};
    QString placed[2] = {refs.filePath("181g"), refs.filePath("151g")};
    ProjectFileNames names = projectFileNames(dir.filePath(QString(83, QChar(0x0E01)) + "xx"));
    QString geo = georeferenceFileName(names.base);
    // Everything a refused save must leave as it was.
    auto state() const
    {
        return std::tuple(bytesOf(names.gnd), bytesOf(names.nod), bytesOf(geo),
                          entries(dir.path()));
    }
};

// Each system call of a save in turn (the n-th call of that name), under a name of 255 bytes,
// from the square grid to the wide one, unplaced and then placed, and back, moving the
// georeference and then dropping it. Killed there, the files open as the old ones, the new ones
// or backups Open offers; a mixed pair, or a pair with another save's georeference, would be
// caught, and the files alone keep a georeference with its grid (none needs its grid line to be
// refused). Failing there (EIO, a call that changes files, in a save that places a grid), the
// save completes, or it says so and leaves the old files byte for byte with nothing beside
// them. Then killed at random during back-to-back saves that place the wide grid only.
TEST_F(SaveFaults, KillsLeaveTheOldFilesTheNewFilesOrBackupsOpenOffers)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    QFile::copy(base[0] + ".gnd", names.gnd);
    QFile::copy(base[1] + ".nod", names.nod);
    EXPECT_EQ(std::get<ProjectFileData>(loadProjectFiles(names)).MisplacedNode, 182);
    const QString trace = refs.filePath("trace");
    static const QRegularExpression changing(
        QStringLiteral("^(openat|write|fsync|link|rename|unlink)$"));
    for (const auto& [from, placedBefore, placedAfter] : Saves) {
        const Found to = from == Square ? Wide : Square;
        Placing placing;
        if (placedBefore)
            placing[from] = placedAt(from);
        if (placedAfter)
            placing[to] = placedAt(to);
        const QStringList save = saving(to == Square, names.base, placedAfter);
        SCOPED_TRACE(testing::Message() << "from grid " << from << ", placed before "
                                        << placedBefore << ", after " << placedAfter);
        copy(from, placedBefore);
        const auto before = state();
        EXPECT_EQ(run(QStringList{strace, "-o", trace} + save).first, 0);
        EXPECT_EQ(found(placing), to);
        EXPECT_EQ(entries(dir.path()).size(), 2 + placedAfter); // nothing else stays

        std::map<Found, int> tally;
        int refused = 0;
        for (const Call& c : callsOfSave(trace)) {
            const bool changes =
                changing.match(c.name).hasMatch() &&
                (c.name != QLatin1String("openat") || c.arguments.contains("O_CREAT"));
            for (const bool kill : {true, false}) {
                if (!kill && !(changes && (placedBefore || placedAfter)))
                    continue;
                copy(from, placedBefore);
                const auto inject = QStringLiteral("inject=%1:%2:when=%3")
                                        .arg(c.name, kill ? "signal=KILL" : "error=EIO")
                                        .arg(c.nth);
                const int status =
                    run(QStringList{strace, "-o", "/dev/null", "-e", inject} + save).first;
                if (kill) {
                    // A save without a georeference either side leaves none of its files.
                    if (!placedBefore && !placedAfter) {
                        EXPECT_FALSE(QFile::exists(sideFileName(geo, ".new")) ||
                                     QFile::exists(sideFileName(geo, ".bak")))
                            << inject.toStdString();
                    }
                    ++tally[found(placing)];
                    EXPECT_EQ(tally[Broken] + tally[Said], 0) << inject.toStdString();
                } else if (status == 0) {
                    EXPECT_EQ(found(placing), to) << inject.toStdString();
                } else {
                    ++refused;
                    EXPECT_EQ(state(), before) << inject.toStdString();
                }
            }
        }
        EXPECT_GT(tally[Square] * tally[Wide] * tally[OffersBackups], 0);
        EXPECT_GT(tally[Square] + tally[Wide], 40);
        EXPECT_TRUE(refused > 10 || (!placedBefore && !placedAfter)) << refused;
    }
    copy(Square);
    for (int i = 0; i < 50; ++i) {
        run(saving(i % 2, names.base, i % 2 == 0), 5 + (i * 37) % 40);
        EXPECT_LT(found({std::nullopt, placedAt(Wide)}), Said) << "kill " << i;
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
// folder that takes no new file, or a read-only ".nod" or georeference, refuses the save of a
// placed grid and leaves all three files.
TEST_F(SaveFaults, ReadOnlyFolderOrFileLeavesTheOldFilesByteIdentical)
{
    QStringList asNobody;
    if (::geteuid() == 0)
        asNobody = {QStandardPaths::findExecutable("setpriv"), "--reuid=65534", "--regid=65534",
                    "--clear-groups", "--"};
    if (!asNobody.isEmpty() && asNobody.first().isEmpty())
        GTEST_SKIP() << "running as root without setpriv to become nobody";
    for (const auto& [folderMode, nodMode, geoMode, says] :
         {std::tuple(0555, 0644, 0644, "ไม่อนุญาตให้สร้างแฟ้มใหม่"),
          {0555, 0444, 0644, "ไม่สามารถบันทึกแฟ้ม"},
          {0755, 0444, 0644, "ไม่สามารถบันทึกแฟ้ม"},
          {0755, 0644, 0444, "xx.geo"}}) {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        copy(0, true);
        for (const QString& f : {dir.path(), names.gnd, names.nod, geo})
            ::chown(QFile::encodeName(f).constData(), 65534, 65534);
        ::chmod(QFile::encodeName(names.nod).constData(), nodMode);
        ::chmod(QFile::encodeName(geo).constData(), geoMode);
        ::chmod(QFile::encodeName(dir.path()).constData(), folderMode);
        const auto before = state();
        const auto [status, err] = run(asNobody + saving(false, names.base, true));
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(err.contains(QString::fromUtf8(says))) << err.toStdString();
        EXPECT_EQ(state(), before);
    }
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
}
