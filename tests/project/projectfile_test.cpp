#include "project/projectfile.h"
#include "support/printto.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <bit>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace tervan;

namespace {

using Limits = std::numeric_limits<float>;

quint32 bits(float f)
{
    return std::bit_cast<quint32>(f);
}

QByteArray blanks(int n)
{
    return QByteArray(n, ' ');
}

// 2 rows, 3 columns, spacing 5, interval 0.5; node 4 at elevation 101.25.
Project workedExample()
{
    Project p = startupProject();
    p.GridRows = 2;
    p.GridCols = 3;
    p.GridSpacing = 5;
    p.NodeCount = 6;
    p.ContourInterval = 0.5f;
    p.Nodes.resize(7);
    for (int n = 1; n <= 6; ++n)
        p.Nodes[n] = {float((n - 1) % 3 * 5), float((n - 1) / 3 * 5), 100.0f + n};
    p.Nodes[4].Z = 101.25f;
    return p;
}

// One row holding the given values as X, their negatives as Y and the values again as Z.
Project oneRowOf(std::initializer_list<float> values)
{
    Project p = startupProject();
    p.GridRows = 1;
    p.GridCols = p.NodeCount = qint16(values.size());
    p.GridSpacing = 1;
    p.ContourInterval = 0.1f;
    p.Nodes.resize(values.size() + 1);
    int n = 1;
    for (float v : values)
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

std::variant<ProjectFileData, FileError> readBytes(QByteArray gnd, QByteArray nod)
{
    QBuffer g(&gnd), n(&nod);
    g.open(QIODevice::ReadOnly);
    n.open(QIODevice::ReadOnly);
    return readProject(g, n);
}

ProjectFileData dataOf(std::variant<ProjectFileData, FileError> read)
{
    EXPECT_TRUE(std::holds_alternative<ProjectFileData>(read));
    return std::holds_alternative<ProjectFileData>(read) ? std::get<ProjectFileData>(read)
                                                         : ProjectFileData{};
}

void expectSameNodes(const std::vector<NodePoint>& got, const std::vector<NodePoint>& want,
                     int count)
{
    ASSERT_EQ(got.size(), size_t(count + 1));
    for (int n = 0; n <= count; ++n) {
        SCOPED_TRACE(n);
        const NodePoint w = n == 0 ? NodePoint{} : want[n];
        EXPECT_EQ(bits(got[n].X), bits(w.X));
        EXPECT_EQ(bits(got[n].Y), bits(w.Y));
        EXPECT_EQ(bits(got[n].Z), bits(w.Z));
    }
}

} // namespace

TEST(ProjectFileFormat, WorkedExampleByteForByte)
{
    const Project p = workedExample();
    const QByteArray header = "Project01" + blanks(31) + "Noname" + blanks(34) +
                              QByteArray::fromHex("02000300050006000000003F");
    const QByteArray node4 = QByteArray::fromHex("000000000000A0400080CA42");
    EXPECT_EQ(encodeHeader(p).toHex(' '), header.toHex(' '));
    const QByteArray nodes = encodeNodes(p);
    ASSERT_EQ(nodes.size(), 6 * NodeRecordBytes);
    EXPECT_EQ(nodes.mid(36, 12).toHex(' '), node4.toHex(' '));

    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    ASSERT_EQ(saveProjectFiles(p, names), std::nullopt);
    EXPECT_EQ(contentsOf(names.gnd), header);
    EXPECT_EQ(contentsOf(names.nod), nodes);

    const ProjectFileData d = dataOf(loadProjectFiles(names));
    EXPECT_EQ(d.ProjectName, p.ProjectName);
    EXPECT_EQ(d.EngineerName, p.EngineerName);
    EXPECT_EQ(d.GridRows, 2);
    EXPECT_EQ(d.GridCols, 3);
    EXPECT_EQ(d.GridSpacing, 5);
    EXPECT_EQ(d.NodeCount, 6);
    EXPECT_EQ(d.ContourInterval, 0.5f);
    expectSameNodes(d.Nodes, p.Nodes, 6);
}

class SaveThenOpen : public ::testing::TestWithParam<Project>
{
};

TEST_P(SaveThenOpen, RestoresHeaderBytesAndNodeBits)
{
    const Project& p = GetParam();
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("pair.gnd"));
    ASSERT_EQ(saveProjectFiles(p, names), std::nullopt);

    Project opened = startupProject();
    applyOpenedProject(opened, dataOf(loadProjectFiles(names)), names);
    EXPECT_EQ(opened.ProjectName, p.ProjectName);
    EXPECT_EQ(opened.EngineerName, p.EngineerName);
    EXPECT_EQ(encodeHeader(opened), encodeHeader(p));
    EXPECT_EQ(contentsOf(names.gnd), encodeHeader(p));
    expectSameNodes(opened.Nodes, p.Nodes, p.NodeCount);
}

INSTANTIATE_TEST_SUITE_P(Projects, SaveThenOpen,
                         ::testing::Values(
                             workedExample(),
                             oneRowOf({0.1f, -0.0f, Limits::denorm_min(), -1e-39f, 1e30f,
                                       Limits::max(), Limits::lowest(), 101.25f}),
                             [] {
                                 Project p = oneRowOf({-0.0f, 0.1f});
                                 p.ProjectName = QStringLiteral("โครงการถนน");
                                 p.EngineerName = QStringLiteral("สมชาย ใจดี");
                                 p.GridSpacing = 32767;
                                 p.ContourInterval = -Limits::denorm_min();
                                 return p;
                             }(),
                             [] {
                                 Project p = oneRowOf({1.5f});
                                 p.ProjectName =
                                     QString(20, QChar(0x0E01)) + QString(20, QChar(0x0E4B));
                                 p.EngineerName = QString(40, QChar(0x20AC));
                                 return p;
                             }()));

struct HeadingCase
{
    QString typed;
    QByteArray stored; // the first bytes; the rest of the 40 are blanks
    QString readBack;  // without the trailing blanks
};

void PrintTo(const HeadingCase& c, std::ostream* os)
{
    PrintTo(c.typed, os);
}

class HeadingText : public ::testing::TestWithParam<HeadingCase>
{
};

TEST_P(HeadingText, TakesOneBytePerCharacterInTheThaiCodePage)
{
    const auto& c = GetParam();
    Project p = workedExample();
    p.ProjectName = c.typed;
    p.EngineerName = c.typed;
    const QByteArray header = encodeHeader(p);
    ASSERT_EQ(header.size(), HeaderBytes);
    const QByteArray text = c.stored + blanks(40 - c.stored.size());
    EXPECT_EQ(header.left(40).toHex(' '), text.toHex(' '));
    EXPECT_EQ(header.mid(40, 40).toHex(' '), text.toHex(' '));
    EXPECT_EQ(header.mid(80), encodeHeader(workedExample()).mid(80));

    const ProjectFileData d = dataOf(readBytes(header, encodeNodes(p)));
    const QString back = c.readBack + QString(40 - c.readBack.size(), QLatin1Char(' '));
    EXPECT_EQ(d.ProjectName.text(), back);
    EXPECT_EQ(d.EngineerName.text(), back);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeadingText,
    ::testing::Values(
        HeadingCase{"Project01", "Project01", "Project01"},
        HeadingCase{QStringLiteral("โครงการถนน"), QByteArray::fromHex("E2A4C3A7A1D2C3B6B9B9"),
                    QStringLiteral("โครงการถนน")},
        HeadingCase{QStringLiteral("สมชาย ใจดี"), QByteArray::fromHex("CAC1AAD2C220E3A8B4D5"),
                    QStringLiteral("สมชาย ใจดี")},
        HeadingCase{QStringLiteral("ถนน 中 ก"), QByteArray::fromHex("B6B9B9203F20A1"),
                    QStringLiteral("ถนน ? ก")},
        HeadingCase{QStringLiteral("€5"), QByteArray::fromHex("8035"), QStringLiteral("€5")},
        // A character beyond the BMP is two UTF-16 units and so two places of the heading.
        HeadingCase{QStringLiteral("😀a"), "??a", "??a"},
        HeadingCase{QStringLiteral("e\u0301"), "e?", "e?"},
        HeadingCase{QString(50, 'x'), QByteArray(40, 'x'), QString(40, 'x')},
        HeadingCase{QString(39, ' ') + "z", blanks(39) + "z", QString(39, ' ') + "z"}));

struct NamesCase
{
    QString picked, base, gnd, nod;
};

class FileNames : public ::testing::TestWithParam<NamesCase>
{
};

TEST_P(FileNames, DropOnlyALowerCaseGndEnding)
{
    const auto& c = GetParam();
    const auto names = projectFileNames(c.picked);
    EXPECT_EQ(names.base, c.base);
    EXPECT_EQ(names.gnd, c.gnd);
    EXPECT_EQ(names.nod, c.nod);
}

INSTANTIATE_TEST_SUITE_P(
    Picked, FileNames,
    ::testing::Values(
        NamesCase{"/survey/site", "/survey/site", "/survey/site.gnd", "/survey/site.nod"},
        NamesCase{"/survey/site.gnd", "/survey/site", "/survey/site.gnd", "/survey/site.nod"},
        NamesCase{"site.GND", "site.GND", "site.GND.gnd", "site.GND.nod"},
        NamesCase{"a.gnd.gnd", "a.gnd", "a.gnd.gnd", "a.gnd.nod"},
        NamesCase{"site.nod", "site.nod", "site.nod.gnd", "site.nod.nod"},
        NamesCase{".gnd", "", ".gnd", ".nod"}));

using TitleCase = std::pair<QString, QString>; // path, title

class FileTitle : public ::testing::TestWithParam<TitleCase>
{
};

TEST_P(FileTitle, IsTheNameAfterTheLastSeparatorNotInTheLastFive)
{
    EXPECT_EQ(fileTitleOf(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileTitle,
    ::testing::Values(TitleCase{"/data/a.gnd", "a.gnd"}, TitleCase{"/d/e/site.gnd", "site.gnd"},
                      TitleCase{"site.gnd", "site.gnd"}, TitleCase{"/a.gnd", "a.gnd"},
                      TitleCase{"/.gnd", "/.gnd"}, TitleCase{"/x/.gnd", "x/.gnd"},
                      TitleCase{"/a/b.gnd/", "b.gnd/"}, TitleCase{"", ""}));

class OpenedProject : public ::testing::TestWithParam<int>
{
};

TEST_P(OpenedProject, TakesFileNamesWindowAndRangesButKeepsTheRest)
{
    Project saved = workedExample();
    saved.GridSpacing = qint16(GetParam());
    saved.Nodes[2] = {-3, 40, 90};
    saved.Nodes[5] = {17, -2, 120};
    const auto names = projectFileNames("/survey/site.gnd");

    Project p = startupProject();
    p.AutoCutVolume = 12;
    p.ChosenColorIndex = 4;
    p.UseChosenColor = -1;
    p.RotationAngle = 50;
    p.DisplayMode = 3;
    p.FixCellVolume = {0, 1.5f};
    Project expected = p;
    applyOpenedProject(p, dataOf(readBytes(encodeHeader(saved), encodeNodes(saved))), names);

    expected.GridRows = 2;
    expected.GridCols = 3;
    expected.GridSpacing = saved.GridSpacing;
    expected.NodeCount = 6;
    expected.ContourInterval = 0.5f;
    expected.Nodes = saved.Nodes;
    expected.Nodes[0] = {};
    expected.DataFileBase = "/survey/site";
    expected.GndFileName = "/survey/site.gnd";
    expected.NodFileName = "/survey/site.nod";
    expected.FileTitle = "site.gnd";
    expected.setNormalWindow(GetParam() != 0 ? GetParam() : 10);
    expected.ElevMin = 90;
    expected.ElevMax = 120;
    expected.NodeXMin = -3;
    expected.NodeXMax = 17;
    expected.NodeXRange = 20;
    expected.NodeYMin = -2;
    expected.NodeYMax = 40;
    expected.NodeYRange = 42;
    EXPECT_EQ(p, expected);
}

// Spacing 0 opens with the window for 10: -20, 120, -20, 85.
INSTANTIATE_TEST_SUITE_P(Spacings, OpenedProject, ::testing::Values(0, 5, 1));

TEST(ProjectFileOpen, ZeroNodesReadsNoNodeAndComputesNoRange)
{
    Project empty = startupProject();
    empty.GridCols = 7;
    empty.ContourInterval = 2;
    const ProjectFileData d = dataOf(readBytes(encodeHeader(empty), QByteArray()));
    EXPECT_EQ(d.NodeCount, 0);
    EXPECT_EQ(d.Nodes.size(), 1u);

    Project p = workedExample();
    p.ElevMin = 3;
    p.ElevMax = 4;
    p.NodeXRange = 5;
    p.NodeYMax = 6;
    applyOpenedProject(p, ProjectFileData(d), projectFileNames("/d/e"));
    EXPECT_EQ(p.ViewXMin, -20);
    EXPECT_EQ(p.ViewYMax, 85);
    EXPECT_EQ(p.Nodes.size(), 1u);
    EXPECT_EQ(p.ElevMin, 3);
    EXPECT_EQ(p.ElevMax, 4);
    EXPECT_EQ(p.NodeXRange, 5);
    EXPECT_EQ(p.NodeYMax, 6);
}

TEST(ProjectFileSave, OverALargerPairKeepsLengthsAndOldTails)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    Project big = workedExample();
    big.GridRows = 5;
    big.GridCols = 6;
    big.NodeCount = 30;
    big.Nodes.resize(31, NodePoint{7, 8, 9});
    ASSERT_EQ(saveProjectFiles(big, names), std::nullopt);
    const QByteArray gndTail = "old tail bytes";
    ASSERT_TRUE(writeFile(names.gnd, contentsOf(names.gnd) + gndTail));
    const QByteArray oldNod = contentsOf(names.nod);

    Project small =
        oneRowOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20});
    ASSERT_EQ(saveProjectFiles(small, names), std::nullopt);

    EXPECT_EQ(contentsOf(names.gnd), encodeHeader(small) + gndTail);
    const QByteArray nod = contentsOf(names.nod);
    ASSERT_EQ(nod.size(), 30 * NodeRecordBytes);
    EXPECT_EQ(nod.left(20 * NodeRecordBytes), encodeNodes(small));
    EXPECT_EQ(nod.mid(20 * NodeRecordBytes), oldNod.mid(20 * NodeRecordBytes));

    const ProjectFileData d = dataOf(loadProjectFiles(names));
    EXPECT_EQ(d.NodeCount, 20);
    expectSameNodes(d.Nodes, small.Nodes, 20);
}

TEST(ProjectFileSave, ZeroNodesCreatesAnEmptyNodeFileOrKeepsTheOldOne)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    Project p = startupProject();
    ASSERT_EQ(saveProjectFiles(p, names), std::nullopt);
    EXPECT_TRUE(QFile::exists(names.nod));
    EXPECT_EQ(QFile(names.nod).size(), 0);

    ASSERT_TRUE(writeFile(names.nod, "12 old bytes"));
    ASSERT_EQ(saveProjectFiles(p, names), std::nullopt);
    EXPECT_EQ(contentsOf(names.nod), "12 old bytes");
}

TEST(ProjectFileSave, IntoAMissingFolderFailsAtTheHeaderAndWritesNothing)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("missing/site"));
    EXPECT_EQ(saveProjectFiles(workedExample(), names), ProjectFile::Gnd);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

class SaveFailure : public ::testing::TestWithParam<ProjectFile>
{
};

// The other file of the pair must not change either: a new header beside old nodes would open
// as a different project.
TEST_P(SaveFailure, LeavesBothOldFilesAsTheyWere)
{
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    const bool gndFails = GetParam() == ProjectFile::Gnd;
    const QString blocked = gndFails ? names.gnd : names.nod;
    const QString other = gndFails ? names.nod : names.gnd;
    ASSERT_TRUE(QDir().mkpath(blocked));
    ASSERT_TRUE(writeFile(other, "previous contents"));

    EXPECT_EQ(saveProjectFiles(workedExample(), names), GetParam());
    EXPECT_EQ(contentsOf(other), "previous contents");
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Files, SaveFailure, ::testing::Values(ProjectFile::Gnd, ProjectFile::Nod));

TEST(ProjectFileOpen, ReadOnlyPairOpens)
{
    // Only bites when not run as root; as root it still checks the pair loads.
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    ASSERT_EQ(saveProjectFiles(workedExample(), names), std::nullopt);
    const auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(names.gnd, readOnly));
    ASSERT_TRUE(QFile::setPermissions(names.nod, readOnly));
    EXPECT_EQ(dataOf(loadProjectFiles(names)).NodeCount, 6);
}

struct BadPairCase
{
    const char* name;
    std::function<void(QByteArray& gnd, QByteArray& nod)> damage; // empty QByteArray: no file
    FileError error;
};

void PrintTo(const BadPairCase& c, std::ostream* os)
{
    *os << c.name;
}

class BadPair : public ::testing::TestWithParam<BadPairCase>
{
};

TEST_P(BadPair, IsRefusedWithTheFileAndProblem)
{
    const auto& c = GetParam();
    QByteArray gnd = encodeHeader(workedExample());
    QByteArray nod = encodeNodes(workedExample());
    c.damage(gnd, nod);
    QTemporaryDir dir;
    const auto names = projectFileNames(dir.filePath("site"));
    ASSERT_TRUE(gnd.isNull() || writeFile(names.gnd, gnd));
    ASSERT_TRUE(nod.isNull() || writeFile(names.nod, nod));
    const auto read = loadProjectFiles(names);
    ASSERT_TRUE(std::holds_alternative<FileError>(read));
    EXPECT_EQ(std::get<FileError>(read), c.error);
}

namespace {

auto setInt16(int offset, qint16 v)
{
    return [=](QByteArray& gnd, QByteArray&) { qToLittleEndian(v, gnd.data() + offset); };
}

auto setFloat(bool inGnd, int offset, float v)
{
    return [=](QByteArray& gnd, QByteArray& nod) {
        qToLittleEndian(std::bit_cast<quint32>(v), (inGnd ? gnd : nod).data() + offset);
    };
}

constexpr FileError gndMalformed{ProjectFile::Gnd, FileProblem::Malformed};
constexpr FileError nodMalformed{ProjectFile::Nod, FileProblem::Malformed};

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Damage, BadPair,
    ::testing::Values(
        BadPairCase{"NoGnd",
                    [](QByteArray& g, QByteArray&) { g = QByteArray(); },
                    {ProjectFile::Gnd, FileProblem::CannotOpen}},
        BadPairCase{"NoNod",
                    [](QByteArray&, QByteArray& n) { n = QByteArray(); },
                    {ProjectFile::Nod, FileProblem::CannotOpen}},
        BadPairCase{"Gnd91Bytes", [](QByteArray& g, QByteArray&) { g.chop(1); }, gndMalformed},
        BadPairCase{"GndEmpty", [](QByteArray& g, QByteArray&) { g = ""; }, gndMalformed},
        BadPairCase{"NodOneRecordShort", [](QByteArray&, QByteArray& n) { n.chop(12); },
                    nodMalformed},
        BadPairCase{"NodOneByteShort", [](QByteArray&, QByteArray& n) { n.chop(1); }, nodMalformed},
        BadPairCase{"NegativeRows", setInt16(80, -2), gndMalformed},
        BadPairCase{"NegativeCols", setInt16(82, -3), gndMalformed},
        BadPairCase{"NegativeSpacing", setInt16(84, -5), gndMalformed},
        BadPairCase{"NegativeCountAndRows",
                    [](QByteArray& g, QByteArray& n) {
                        setInt16(80, -2)(g, n);
                        setInt16(86, -6)(g, n);
                    },
                    gndMalformed},
        BadPairCase{"CountNotRowsTimesCols", setInt16(86, 5), gndMalformed},
        BadPairCase{"ProductBeyond16Bits",
                    [](QByteArray& g, QByteArray& n) {
                        setInt16(80, 256)(g, n);
                        setInt16(82, 256)(g, n);
                        setInt16(86, 0)(g, n);
                    },
                    gndMalformed},
        BadPairCase{"NaNInterval", setFloat(true, 88, Limits::quiet_NaN()), gndMalformed},
        BadPairCase{"InfiniteInterval", setFloat(true, 88, -Limits::infinity()), gndMalformed},
        BadPairCase{"NaNElevation", setFloat(false, 3 * 12 + 8, Limits::quiet_NaN()), nodMalformed},
        BadPairCase{"InfiniteX", setFloat(false, 5 * 12, Limits::infinity()), nodMalformed},
        BadPairCase{"SignallingNaNY", setFloat(false, 4, Limits::signaling_NaN()), nodMalformed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProjectFileOpen, BytesBeyondTheRecordsCarryNoMeaning)
{
    const Project p = workedExample();
    const QByteArray nanRecord = QByteArray::fromHex("0000C07F0000C07F0000C07F");
    const ProjectFileData d =
        dataOf(readBytes(encodeHeader(p) + "junk", encodeNodes(p) + nanRecord));
    EXPECT_EQ(d.NodeCount, 6);
    expectSameNodes(d.Nodes, p.Nodes, 6);
}
