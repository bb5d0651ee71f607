#include "project/controldata.h"
#include "project/heightscsv.h"
#include "support/printto.h"

#include <QBuffer>
#include <QStringEncoder>
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

using namespace tervan;

namespace {

// 10 rows by 12 columns at 10 m, every node at 0.
Project site()
{
    Project p = startupProject();
    applyControlData(p, {10, 10, 12, 1});
    return p;
}

HeightsRead read(const QByteArray& bytes, const Project& p = site(),
                 const HeightsCsvOptions& options = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readHeightsCsv(buffer, p, options);
}

float heightOf(int node)
{
    return 95.0f + float(node) * 0.125f;
}

} // namespace

struct LayoutCase
{
    const char* name;
    std::function<QByteArray()> file;
    std::vector<int> nodes; // the nodes given, in file order
};

class Layouts : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(Layouts, AreRecognisedFromTheColumns)
{
    const auto result = read(GetParam().file());
    ASSERT_TRUE(std::holds_alternative<HeightsTaken>(result))
        << std::get<std::vector<HeightLineError>>(result).front().reason.toStdString();
    std::vector<NodeHeight> expected;
    for (int n : GetParam().nodes)
        expected.push_back({n, heightOf(n)});
    EXPECT_EQ(std::get<HeightsTaken>(result).heights, expected);
}

namespace {

std::vector<int> allNodes()
{
    std::vector<int> v(120);
    std::iota(v.begin(), v.end(), 1);
    return v;
}

QByteArray lines(const std::function<QString(int)>& line, const std::vector<int>& nodes,
                 const QString& header = {})
{
    QString text = header.isEmpty() ? QString() : header + "\r\n";
    for (int n : nodes)
        text += line(n) + "\r\n";
    return text.toUtf8();
}

QString z(int n)
{
    return QString::number(heightOf(n), 'g', 9);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Files, Layouts,
    ::testing::Values(
        LayoutCase{"OnePerLineWithHeader",
                   [] { return lines(z, allNodes(), QStringLiteral("elevation")); }, allNodes()},
        LayoutCase{"OnePerLineThaiDigits",
                   [] {
                       QString text;
                       for (int n : allNodes()) {
                           QString t = z(n);
                           for (QChar& c : t)
                               if (c.isDigit())
                                   c = QChar(0x0E50 + c.digitValue());
                           text += t + "\n";
                       }
                       return text.toUtf8();
                   },
                   allNodes()},
        LayoutCase{"NodeAndElevationBySemicolon",
                   [] {
                       return lines([](int n) { return QStringLiteral("%1;%2").arg(n).arg(z(n)); },
                                    {7, 3, 120}, QStringLiteral("จุดที่;ค่าระดับ"));
                   },
                   {7, 3, 120}},
        LayoutCase{"XyzByTabNearTheNodes",
                   [] {
                       return lines(
                           [](int n) {
                               const int col = (n - 1) % 12, row = (n - 1) / 12;
                               return QStringLiteral("%1\t%2\t%3")
                                   .arg(col * 10 + 0.09)
                                   .arg(row * 10 - 0.08)
                                   .arg(z(n));
                           },
                           {1, 12, 13, 120});
                   },
                   {1, 12, 13, 120}},
        LayoutCase{"NamedPointsInThaiCodePage",
                   [] {
                       QString text = QStringLiteral("ชื่อจุด,X,Y,Z\n");
                       for (int n : {5, 60})
                           text += QStringLiteral("หมุด%1,%2,%3,%4\n")
                                       .arg(n)
                                       .arg((n - 1) % 12 * 10)
                                       .arg((n - 1) / 12 * 10)
                                       .arg(z(n));
                       return QByteArray(QStringEncoder("windows-874").encode(text));
                   },
                   {5, 60}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadCase
{
    const char* name;
    const char* file;
    std::vector<int> lines; // the lines reported; 0 for the whole file
    const char16_t* reason; // found in the first report
};

class BadLines : public ::testing::TestWithParam<BadCase>
{
};

TEST_P(BadLines, AreEachReportedAndNothingIsTaken)
{
    const BadCase& c = GetParam();
    const auto result = read(QByteArray(c.file));
    ASSERT_TRUE(std::holds_alternative<std::vector<HeightLineError>>(result));
    const auto& errors = std::get<std::vector<HeightLineError>>(result);
    std::vector<int> reported;
    for (const auto& e : errors)
        reported.push_back(e.line);
    EXPECT_EQ(reported, c.lines);
    EXPECT_TRUE(errors.front().reason.contains(QString::fromUtf16(c.reason)))
        << errors.front().reason.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadLines,
    ::testing::Values(
        BadCase{"NotANumber", "node,z\n1,100\n2,1O1.4\n3,abc\n", {3, 4}, u"ไม่ใช่ตัวเลข"},
        BadCase{"DecimalCommaWithCommas", "node,z\n1,\"100,878\"\n", {2}, u"\"100,878\" ไม่ใช่ตัวเลข"},
        BadCase{"NodeOutOfRange", "1,100\n121,100\n0,5\n2.5,1\n", {2, 3, 4}, u"ไม่มีจุดที่ 121"},
        BadCase{"NodeTwice", "1,100\n2,100\n1,101\n", {3}, u"จุดที่ 1 ซ้ำกับบรรทัดที่ 1"},
        BadCase{"PointOffTheGrid",
                "0,0,100\n5,0,100\n10.2,0,1\n0,90.1,1\n0,100,1\n",
                {2, 3, 5},
                u"ไม่ตรงกับจุดกริด"},
        BadCase{"SamePointTwiceByPosition", "a,0,0,1\nb,0.05,0,2\n", {2}, u"ซ้ำกับบรรทัดที่ 1"},
        BadCase{"FewerHeightsThanNodes", "100\n101\n", {0}, u"น้อยกว่าจำนวนจุด 120 จุด"},
        BadCase{"ColumnsDiffer", "1,100\n2,100,5\n", {2}, u"ไม่เท่ากับบรรทัดแรก"},
        BadCase{"TooManyColumns", "1,2,3,4,5,6\n", {1}, u"มี 6 ช่อง"},
        BadCase{"HeightTooLarge", "1,1e39\n", {1}, u"ใหญ่เกินไป"},
        BadCase{"Empty", "\n\n", {0}, u"ไม่มีค่าระดับ"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadLines, MoreHeightsThanNodesNamesTheExtraLines)
{
    QByteArray text;
    for (int i = 0; i < 122; ++i)
        text += "100\n";
    const auto result = read(text);
    ASSERT_TRUE(std::holds_alternative<std::vector<HeightLineError>>(result));
    const auto& errors = std::get<std::vector<HeightLineError>>(result);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].line, 121);
    EXPECT_EQ(errors[1].line, 122);
}

TEST(HeightsCsv, ExportImportsBackUnchanged)
{
    Project p = site();
    std::mt19937 random(7);
    std::uniform_real_distribution<float> height(-50, 3000);
    for (int n = 1; n <= p.NodeCount; ++n)
        p.Nodes[n].Z = height(random);
    p.Nodes[5].Z = 1e-7f;
    const QByteArray csv = writeHeightsCsv(p);
    EXPECT_TRUE(csv.startsWith("node,x,y,elevation\n1,0,0,"));

    Project back = site();
    const auto result = read(csv, back);
    ASSERT_TRUE(std::holds_alternative<HeightsTaken>(result));
    applyHeights(back, std::get<HeightsTaken>(result).heights);
    EXPECT_EQ(back.Nodes, p.Nodes);
    p.ComputeElevationRange();
    EXPECT_EQ(back.ElevMax, p.ElevMax);
}

// What a file says, as the reader takes it: the heights, the errors, or the question.
struct ReadCase
{
    const char* name;
    QByteArray file;
    std::vector<NodeHeight> heights;  // taken, in file order
    std::vector<int> errorLines = {}; // the first lines reported, when refused
    const char16_t* reason = u"";     // in the first error, the note, or the last error
    std::size_t errorCount = 0;       // all the reported lines, when more than errorLines
    const char* columns = nullptr;    // the order given
    int side = 0;                     // a square grid of side x side nodes instead of 10 x 12
    int ask = 0;                      // the fields of a file whose order is asked for
};

class Reading : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(Reading, TakesTheFileAsItMeans)
{
    const ReadCase& c = GetParam();
    Project p = site();
    if (c.side > 0)
        applyControlData(p, {10, qint16(c.side), qint16(c.side), 1});
    HeightsCsvOptions options;
    if (c.columns)
        options.columns = columnsFromCode(QString::fromLatin1(c.columns));
    const HeightsRead result = read(c.file, p, options);
    const QString reason = QString::fromUtf16(c.reason);
    if (c.ask > 0) {
        ASSERT_TRUE(std::holds_alternative<ColumnOrderUnknown>(result));
        EXPECT_EQ(std::get<ColumnOrderUnknown>(result).fields, c.ask);
    } else if (!c.errorLines.empty()) {
        ASSERT_TRUE(std::holds_alternative<std::vector<HeightLineError>>(result));
        const auto& errors = std::get<std::vector<HeightLineError>>(result);
        std::vector<int> lines;
        for (std::size_t i = 0; i < std::min(errors.size(), c.errorLines.size()); ++i)
            lines.push_back(errors[i].line);
        EXPECT_EQ(lines, c.errorLines);
        EXPECT_EQ(errors.size(), std::max(c.errorCount, c.errorLines.size()));
        EXPECT_TRUE(errors.front().reason.contains(reason) || errors.back().reason.contains(reason))
            << errors.front().reason.toStdString();
    } else {
        ASSERT_TRUE(std::holds_alternative<HeightsTaken>(result))
            << std::get<std::vector<HeightLineError>>(result).front().reason.toStdString();
        const auto& taken = std::get<HeightsTaken>(result);
        EXPECT_EQ(taken.heights, c.heights);
        EXPECT_EQ(taken.notes.join('\n').contains(reason), true)
            << taken.notes.join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Reading,
    ::testing::Values(
        ReadCase{"QuotedNumbers", "node,z\n1,\"100.25\"\n\"2\", \"-3\"\n", {{1, 100.25f}, {2, -3}}},
        ReadCase{"DecimalCommaWithSemicolons",
                 "node;z\n1;100,878\n2;\"99,5\"\n3;7.25\n",
                 {{1, 100.878f}, {2, 99.5f}, {3, 7.25f}}},
        ReadCase{"BlankSeparatedXyzWithoutHeader",
                 "0 0 100\n  10 0   101.5\n110 90 99\n",
                 {{1, 100}, {2, 101.5f}, {120, 99}}},
        ReadCase{"HeaderNamesNorthFirst", "Pt,N,E,Z\nA,0,10,5\nB,90,0,6\n", {{2, 5}, {109, 6}}},
        ReadCase{"ThaiHeaderNamesNorthFirst",
                 "ชื่อจุด;ค่าพิกัดเหนือ;ค่าพิกัดตะวันออก;ค่าระดับ\nA;0;10;5,5\n",
                 {{2, 5.5f}}},
        ReadCase{"JobLinesBeforeTheHeaderAreSkippedAndSaid",
                 "Job: Site A\nDate: 5/1/2024, surveyed by B\nInstrument; TS 06\n\n"
                 "Point Easting Northing Elevation Code\n1 0 0 100 BM\n2 10 0 101 \"edge, east\"\n",
                 {{1, 100}, {2, 101}},
                 {},
                 u"ข้ามบรรทัดที่ 1 ถึง 3"},
        ReadCase{"OnlyTheNorthFirstOrderFitsTheGrid", "0,110,5\n", {{12, 5}}},
        ReadCase{"SquareGridAsksForTheOrder", "0,10,5\n20,30,6\n", {}, {}, u"", 0, nullptr, 10, 3},
        ReadCase{"SquareGridPointsOnTheDiagonalNeedNoOrder",
                 "0,0,5\n10,10,6\n",
                 {{1, 5}, {12, 6}},
                 {},
                 u"",
                 0,
                 nullptr,
                 10},
        ReadCase{"GivenOrder", "0;10;5\n", {{2, 5}}, {}, u"", 0, "NEZ", 10},
        ReadCase{"GivenOrderAgainstTheHeader", "x,y,z\n0,0,1\n", {}, {1}, u"(nez)", 0, "nez"},
        ReadCase{"GivenOrderOfOtherWidth", "0,0,1\n", {}, {0}, u"pnez มี 4 ช่อง", 0, "pnez"},
        ReadCase{"CarriageReturnsOnly", "1,100\r2,101\r", {{1, 100}, {2, 101}}},
        ReadCase{"Utf16",
                 QByteArray("\xFF\xFE"
                            "1\0,\0001\0\n\0",
                            10),
                 {},
                 {0},
                 u"ไม่อ่านแฟ้ม UTF-16: โปรดบันทึกแฟ้มเป็น UTF-8"},
        ReadCase{"Utf16WithoutByteOrderMark",
                 QByteArray("1\0,\0"
                            "1\0\n\0",
                            8),
                 {},
                 {0},
                 u"UTF-16"},
        ReadCase{"NanIsABadLineNotAHeader", "nan\n100\n", {}, {1}, u"\"nan\" ไม่ใช่ตัวเลข"},
        ReadCase{
            "OverflowIsABadLineNotAHeader", "1e309,100\n2,100\n", {}, {1}, u"\"1e309\" ใหญ่เกินไป"},
        ReadCase{"HexIsABadLineNotAHeader", "0x10\n", {}, {1}, u"ไม่ใช่ตัวเลข"},
        ReadCase{"LongDigitStringIsABadLine",
                 QByteArray(100'000, '7') + ",1\n",
                 {},
                 {1},
                 u"7777…\" ใหญ่เกินไป"},
        ReadCase{"HugeLineIsRefusedByItsFieldCount",
                 QByteArray("1,").repeated(5'000'000),
                 {},
                 {1},
                 u"มีมากกว่า 64 ช่อง"},
        ReadCase{"UnclosedQuote", "1,\"100\n", {}, {1}, u"ไม่ครบคู่"},
        ReadCase{"HeaderOnly", "x,y,z\n", {}, {0}, u"ไม่มีค่าระดับ"},
        ReadCase{"ListStopsAfterTwoHundredErrors",
                 QByteArray("1,abc\n").repeated(1000),
                 {},
                 {1, 2},
                 u"และอีก 800 รายการ",
                 201}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeightsCsv, NodesNotGivenAreListedInRuns)
{
    Project p = site();
    std::vector<NodeHeight> heights;
    for (int n : {4, 6, 10})
        heights.push_back({n, 1});
    const auto missing = nodesNotGiven(p, heights);
    EXPECT_EQ(missing.size(), 117u);
    EXPECT_EQ(nodeRuns(missing), (QStringList{"จุดที่ 1–3", "จุดที่ 5", "จุดที่ 7–9", "จุดที่ 11–120"}));
    std::vector<int> scattered;
    for (int n = 1; n < 1000; n += 2)
        scattered.push_back(n);
    const QStringList runs = nodeRuns(scattered);
    EXPECT_EQ(runs.size(), 201);
    EXPECT_EQ(runs.back(), "และอีก 300 รายการ");
}
