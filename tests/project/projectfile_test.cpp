#include "project/projectfile.h"
#include "support/printto.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <sys/mount.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace tervan;

namespace {

using Limits = std::numeric_limits<float>;
constexpr float Inf = Limits::infinity(), NaN = Limits::quiet_NaN();

// Spacing 5, interval 0.5; the nodes 5 apart, row by row, node n at elevation 100 + n.
Project gridProject(qint16 rows, qint16 cols)
{
    Project p = startupProject();
    p.GridRows = rows;
    p.GridCols = cols;
    p.GridSpacing = 5;
    p.NodeCount = rows * cols;
    p.ContourInterval = 0.5f;
    p.Nodes.resize(p.NodeCount + 1);
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n] = {float((n - 1) % cols * 5), float((n - 1) / cols * 5), 100.0f + n};
    return p;
}

// 2 rows, 3 columns, spacing 5, interval 0.5; node 4 at elevation 101.25.
Project workedExample()
{
    Project p = gridProject(2, 3);
    p.Nodes[4].Z = 101.25f;
    return p;
}

// Thai headings, the largest spacing, and values at the edges of the float range.
Project extremes()
{
    Project p = gridProject(1, 8);
    p.ProjectName = QStringLiteral("โครงการถนน");
    p.EngineerName = QString(40, QChar(0x0E4B));
    p.GridSpacing = 32767;
    p.ContourInterval = -Limits::denorm_min();
    int n = 1;
    for (float v : {0.1f, -0.0f, Limits::denorm_min(), -1e-39f, 1e30f, Limits::max(),
                    Limits::lowest(), 101.25f})
        p.Nodes[n++] = {v, -v, v};
    return p;
}

QByteArray contentsOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Throws, and so fails the test, when the pair is refused.
ProjectFileData readBytes(QByteArray gnd, QByteArray nod)
{
    QBuffer g(&gnd), n(&nod);
    g.open(QIODevice::ReadOnly);
    n.open(QIODevice::ReadOnly);
    return std::get<ProjectFileData>(readProject(g, n));
}

// The raw bits of the node table, so that -0, denormals and NaN patterns count as themselves.
QByteArray bitsOf(const std::vector<NodePoint>& nodes)
{
    return QByteArray(reinterpret_cast<const char*>(nodes.data()),
                      qsizetype(nodes.size() * sizeof(NodePoint)))
        .toHex(' ');
}

// The worked example's pair, and the pair with a header or node value changed.
const QByteArray Gnd = encodeHeader(workedExample());
const QByteArray Nod = encodeNodes(workedExample());

QByteArray gndWith(qint16 rows, qint16 cols, qint16 spacing, qint16 count, float interval = 0.5f)
{
    Project p = workedExample();
    std::tie(p.GridRows, p.GridCols, p.GridSpacing, p.NodeCount, p.ContourInterval) =
        std::tuple(rows, cols, spacing, count, interval);
    return encodeHeader(p);
}

QByteArray nodWith(int n, NodePoint node)
{
    Project p = workedExample();
    p.Nodes[n] = node;
    return encodeNodes(p);
}

// What is damaged, the header and node file bytes (a null array: no file), the refusal.
using BadPairCase = std::tuple<const char*, QByteArray, QByteArray, FileError>;

constexpr FileError GndMalformed{ProjectFile::Gnd, FileProblem::Malformed};
constexpr FileError NodMalformed{ProjectFile::Nod, FileProblem::Malformed};

} // namespace

TEST(ProjectFileFormat, WorkedExampleByteForByte)
{
    const QByteArray header = "Project01" + QByteArray(31, ' ') + "Noname" + QByteArray(34, ' ') +
                              QByteArray::fromHex("02000300050006000000003F");
    EXPECT_EQ(encodeHeader(workedExample()).toHex(' '), header.toHex(' '));
    EXPECT_EQ(encodeNodes(workedExample()).mid(36, 12).toHex(' '),
              "00 00 00 00 00 00 a0 40 00 80 ca 42");
}

using SaveThenOpen = ::testing::TestWithParam<std::tuple<Project, bool>>;

// Over an older pair of 30 nodes the new bytes overlay the old ones and the longer old tails
// stay, carrying no meaning: not even a NaN record beyond the node count is looked at.
TEST_P(SaveThenOpen, RestoresHeaderBytesAndNodeBitsEvenFromReadOnlyFiles)
{
    const auto& [p, overOldPair] = GetParam();
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("pair.gnd"));
    Project old = gridProject(5, 6);
    old.Nodes[30] = {NaN, 0, 0};
    const QByteArray gndTail = overOldPair ? "old tail" : "";
    const QByteArray nodTail = overOldPair ? encodeNodes(old).mid(encodeNodes(p).size()) : "";
    ASSERT_TRUE(!overOldPair || (writeFile(names.gnd, encodeHeader(old) + gndTail) &&
                                 writeFile(names.nod, encodeNodes(old))));
    ASSERT_EQ(saveProjectFiles(p, names), std::nullopt);
    EXPECT_EQ(contentsOf(names.gnd), encodeHeader(p) + gndTail);
    EXPECT_EQ(contentsOf(names.nod), encodeNodes(p) + nodTail);
    // Only bites when not run as root.
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(names.gnd, readOnly));
    ASSERT_TRUE(QFile::setPermissions(names.nod, readOnly));

    Project back = startupProject();
    applyOpenedProject(back, std::get<ProjectFileData>(loadProjectFiles(names)), names);
    EXPECT_EQ(back.ProjectName, p.ProjectName);
    EXPECT_EQ(back.EngineerName, p.EngineerName);
    EXPECT_EQ(encodeHeader(back).toHex(' '), encodeHeader(p).toHex(' '));
    EXPECT_EQ(bitsOf(back.Nodes), bitsOf(p.Nodes));
}

// The 20 nodes of gridProject(4, 5) go over the old 30. An empty grid still needs its (empty)
// node file, or the pair would not open again.
INSTANTIATE_TEST_SUITE_P(Projects, SaveThenOpen,
                         ::testing::Combine(::testing::Values(workedExample(), extremes(),
                                                              gridProject(4, 5), gridProject(0, 7)),
                                            ::testing::Bool()));

// Typed, the stored bytes before the trailing blanks, and what reads back.
using HeadingCase = std::tuple<QString, QByteArray, QString>;

using HeadingText = ::testing::TestWithParam<HeadingCase>;

TEST_P(HeadingText, TakesOneBytePerCharacterInTheThaiCodePage)
{
    const auto& [typed, stored, readBack] = GetParam();
    Project p = workedExample();
    p.ProjectName = typed;
    const QByteArray header = encodeHeader(p);
    EXPECT_EQ(header.left(40).toHex(' '), stored.leftJustified(40).toHex(' '));
    EXPECT_EQ(readBytes(header, encodeNodes(p)).ProjectName.text(), readBack.leftJustified(40));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeadingText,
    ::testing::Values(
        HeadingCase{QStringLiteral("€5"), QByteArray::fromHex("8035"), QStringLiteral("€5")},
        HeadingCase{QStringLiteral("ใจดี 中"), QByteArray::fromHex("E3A8B4D5203F"),
                    QStringLiteral("ใจดี ?")},
        // A character beyond the BMP is two UTF-16 units and so two places of the heading.
        HeadingCase{QStringLiteral("😀a"), "??a", "??a"},
        HeadingCase{QStringLiteral("e\u0301"), "e?", "e?"},
        HeadingCase{QString(50, 'x'), QByteArray(40, 'x'), QString(40, 'x')},
        HeadingCase{QString(39, ' ') + "z", QByteArray(39, ' ') + "z", QString(39, ' ') + "z"}));

// Picked in the file dialog, the base name, and the title that report headings print.
using NamesCase = std::tuple<QString, QString, QString>;

using FileNames = ::testing::TestWithParam<NamesCase>;

TEST_P(FileNames, DropOnlyALowerCaseGndEndingAndTitleAfterTheLastSeparatorNotInTheLastFive)
{
    const auto& [picked, base, title] = GetParam();
    const auto names = projectFileNames(picked);
    EXPECT_EQ(names.base, base);
    EXPECT_EQ(names.gnd, base + ".gnd");
    EXPECT_EQ(names.nod, base + ".nod");
    EXPECT_EQ(fileTitleOf(names.gnd), title);
}

INSTANTIATE_TEST_SUITE_P(
    Picked, FileNames,
    ::testing::Values(NamesCase{"/survey/site", "/survey/site", "site.gnd"},
                      NamesCase{"/survey/site.gnd", "/survey/site", "site.gnd"},
                      NamesCase{"site.GND", "site.GND", "site.GND.gnd"},
                      NamesCase{"a.gnd.gnd", "a.gnd", "a.gnd.gnd"}, NamesCase{"/a", "/a", "a.gnd"},
                      NamesCase{"/x/", "/x/", "x/.gnd"}, NamesCase{"/", "/", "/.gnd"},
                      NamesCase{"", "", ".gnd"}));

// Opening keeps what the files do not hold. A pair without nodes keeps the ranges of the
// project open before, and spacing 0 gives the window for spacing 10.
TEST(ProjectFileOpen, TakesFileNamesWindowAndRangesButKeepsTheRest)
{
    const Project saved = workedExample();
    Project p = startupProject();
    p.AutoCutVolume = 12;
    applyOpenedProject(p, readBytes(encodeHeader(saved), encodeNodes(saved)),
                       projectFileNames("/survey/site.gnd"));
    Project expected = saved;
    expected.AutoCutVolume = 12;
    expected.DataFileBase = "/survey/site";
    expected.GndFileName = "/survey/site.gnd";
    expected.NodFileName = "/survey/site.nod";
    expected.FileTitle = "site.gnd";
    expected.setNormalWindow(5);
    expected.ComputeElevationRange();
    expected.ComputeNodeExtents();
    EXPECT_EQ(p, expected);

    Project empty = gridProject(0, 7);
    empty.GridSpacing = 0;
    applyOpenedProject(p, readBytes(encodeHeader(empty), {}), projectFileNames("site"));
    EXPECT_EQ(p.Nodes.size(), 1u);
    EXPECT_EQ(p.ElevMin, expected.ElevMin);
    EXPECT_EQ(p.NodeYRange, expected.NodeYRange);
    EXPECT_EQ(p.ViewXMin, -20);
    EXPECT_EQ(p.ViewYMax, 85);
}

// Picked name, a folder made where one file of the pair goes, the file that fails.
using SaveFailureCase = std::tuple<QString, QString, ProjectFile>;

using SaveFailure = ::testing::TestWithParam<SaveFailureCase>;

// Neither old file may change: a new header beside old nodes would open as another project.
TEST_P(SaveFailure, NamesTheFileAndLeavesEverythingAsItWas)
{
    const auto& [picked, folder, failing] = GetParam();
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath(picked));
    ASSERT_TRUE(folder.isEmpty() || QDir(dir.path()).mkdir(folder));
    for (const QString& f : {names.gnd, names.nod})
        if (!QFileInfo::exists(f))
            writeFile(f, "old " + f.toUtf8()); // fails in the missing folder
    const auto state = [&] {
        return std::tuple(contentsOf(names.gnd), contentsOf(names.nod),
                          QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot));
    };
    const auto before = state();
    EXPECT_EQ(saveProjectFiles(workedExample(), names), failing);
    EXPECT_EQ(state(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveFailure,
                         ::testing::Values(SaveFailureCase{"missing/site", "", ProjectFile::Gnd},
                                           SaveFailureCase{"site", "site.gnd", ProjectFile::Gnd},
                                           SaveFailureCase{"site", "site.nod", ProjectFile::Nod}));

using BadPair = ::testing::TestWithParam<BadPairCase>;

TEST_P(BadPair, IsRefusedWithTheFileAndProblem)
{
    const auto& [what, gnd, nod, error] = GetParam();
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    ASSERT_TRUE(gnd.isNull() || writeFile(names.gnd, gnd));
    ASSERT_TRUE(nod.isNull() || writeFile(names.nod, nod));
    EXPECT_EQ(std::get<FileError>(loadProjectFiles(names)), error); // throws when it opens
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BadPair,
    ::testing::Values(BadPairCase{"NoGnd", {}, Nod, {ProjectFile::Gnd, FileProblem::CannotOpen}},
                      BadPairCase{"NoNod", Gnd, {}, {ProjectFile::Nod, FileProblem::CannotOpen}},
                      BadPairCase{"Gnd91Bytes", Gnd.chopped(1), Nod, GndMalformed},
                      BadPairCase{"NodOneByteShort", Gnd, Nod.chopped(1), NodMalformed},
                      // Rows times columns is the count in these three, in 16 bits for the last.
                      BadPairCase{"NegativeRows", gndWith(-2, 0, 5, 0), Nod, GndMalformed},
                      BadPairCase{"NegativeCols", gndWith(0, -3, 5, 0), Nod, GndMalformed},
                      BadPairCase{"ProductBeyond16Bits", gndWith(256, 256, 5, 0), Nod,
                                  GndMalformed},
                      BadPairCase{"NegativeSpacing", gndWith(2, 3, -5, 6), Nod, GndMalformed},
                      BadPairCase{"CountNotRowsTimesCols", gndWith(2, 3, 5, 5), Nod, GndMalformed},
                      BadPairCase{"NaNInterval", gndWith(2, 3, 5, 6, NaN), Nod, GndMalformed},
                      BadPairCase{"InfiniteInterval", gndWith(2, 3, 5, 6, -Inf), Nod, GndMalformed},
                      BadPairCase{"InfiniteX", Gnd, nodWith(6, {Inf, 0, 0}), NodMalformed},
                      BadPairCase{"SignallingNaNY", Gnd,
                                  nodWith(1, {0, Limits::signaling_NaN(), 0}), NodMalformed},
                      BadPairCase{"NaNElevation", Gnd, nodWith(4, {0, 0, NaN}), NodMalformed}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// A project saved over an existing pair on a filesystem that fills up: nothing may claim success
// and neither old file may change. Needs root to mount a small tmpfs, as CI has.
class FullDisk : public ::testing::TestWithParam<std::tuple<int, int>>
{
};

TEST_P(FullDisk, SaveFailsAndKeepsTheOldPair)
{
    // 4 x 5 is a 20-node project, 40 x 40 one of 1600 nodes.
    const auto [rows, freeBytes] = GetParam();
    const int cols = rows == 4 ? 5 : rows;
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    const auto unmount = qScopeGuard([&] { ::umount(mountPoint.constData()); });

    const auto names = projectFileNames(dir.filePath("site"));
    Project old = gridProject(qint16(rows), qint16(cols));
    ASSERT_FALSE(saveProjectFiles(old, names));
    const QByteArray gndBefore = contentsOf(names.gnd), nodBefore = contentsOf(names.nod);

    {
        QFile filler(dir.filePath("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.resize(std::max<qint64>(0, filler.size() - freeBytes));
    }
    Project changed = old;
    changed.ProjectName = QStringLiteral("ใหม่");
    for (std::size_t n = 1; n < changed.Nodes.size(); ++n)
        changed.Nodes[n].Z = 100.0f + float(n);
    EXPECT_TRUE(saveProjectFiles(changed, names).has_value());
    EXPECT_EQ(contentsOf(names.gnd), gndBefore);
    EXPECT_EQ(contentsOf(names.nod), nodBefore);
}

INSTANTIATE_TEST_SUITE_P(Projects, FullDisk,
                         ::testing::Combine(::testing::Values(4, 40), ::testing::Values(0, 4096)));

// A FIFO, a device or a folder in place of a project file is refused before it is opened: opening
// a FIFO would wait for a writer for ever, and saving would replace a device with a file.
TEST(ProjectFileKinds, NonRegularFilesAreRefusedByOpenAndSave)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    ASSERT_FALSE(saveProjectFiles(workedExample(), names));
    QFile::remove(names.nod);
    ASSERT_EQ(::mkfifo(QFile::encodeName(names.nod).constData(), 0600), 0);
    EXPECT_EQ(std::get<FileError>(loadProjectFiles(names)),
              (FileError{ProjectFile::Nod, FileProblem::CannotOpen}));
    EXPECT_EQ(saveProjectFiles(workedExample(), names), ProjectFile::Nod);
    EXPECT_TRUE(QFileInfo(names.nod).isSymLink() || !QFileInfo(names.nod).isFile());

    const auto linked = projectFileNames(dir.filePath("dev"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), linked.gnd));
    EXPECT_EQ(saveProjectFiles(workedExample(), linked), ProjectFile::Gnd);
    EXPECT_TRUE(QFileInfo(linked.gnd).isSymLink());
    EXPECT_EQ(std::get<FileError>(loadProjectFiles(linked)),
              (FileError{ProjectFile::Gnd, FileProblem::CannotOpen}));
}
