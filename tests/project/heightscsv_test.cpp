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
    std::vector<NodeHeight> heights = {}; // taken, in file order
    std::vector<int> errorLines = {};     // the first lines reported, when refused
    const char16_t* reason = u"";         // in the first error, the note, or the last error
    std::size_t errorCount = 0;           // all the reported lines, when more than errorLines
    const char* columns = nullptr;        // the order given
    int side = 0;                         // a square grid of side x side nodes instead of 10 x 12
    int ask = 0;                          // the fields of a file whose order is asked for
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
    if (const auto* errors = std::get_if<std::vector<HeightLineError>>(&result)) {
        std::vector<int> lines;
        for (const auto& e : *errors)
            lines.push_back(e.line);
        lines.resize(std::min(lines.size(), c.errorLines.size()));
        EXPECT_EQ(lines, c.errorLines) << errors->front().reason.toStdString();
        EXPECT_EQ(errors->size(), std::max(c.errorCount, c.errorLines.size()));
        EXPECT_TRUE(errors->front().reason.contains(reason) ||
                    errors->back().reason.contains(reason))
            << errors->front().reason.toStdString();
    } else if (const auto* unknown = std::get_if<ColumnOrderUnknown>(&result)) {
        EXPECT_EQ(unknown->fields, c.ask);
    } else {
        const auto& taken = std::get<HeightsTaken>(result);
        EXPECT_EQ(taken.heights, c.heights);
        EXPECT_TRUE(c.errorLines.empty() && c.ask == 0);
        EXPECT_TRUE(taken.notes.join('\n').contains(reason));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Reading,
    ::testing::Values(
        ReadCase{"NotANumber", "node,z\n1,100\n2,1O1.4\n3,abc\n", {}, {3, 4}, u"ไม่ใช่ตัวเลข"},
        ReadCase{
            "DecimalCommaWithCommas", "node,z\n1,\"100,878\"\n", {}, {2}, u"\"100,878\" ไม่ใช่ตัวเลข"},
        ReadCase{"NodeOutOfRange", "1,100\n121,100\n0,5\n2.5,1\n", {}, {2, 3, 4}, u"ไม่มีจุดที่ 121"},
        ReadCase{"NodeTwice", "1,100\n2,100\n1,101\n", {}, {3}, u"จุดที่ 1 ซ้ำกับบรรทัดที่ 1"},
        ReadCase{
            "PointOffGrid", "0,0,1\n5,0,1\n10.2,0,1\n0,90.1,1\n0,100,1\n", {}, {2, 3, 5}, u"ไม่ตรง"},
        ReadCase{"SamePointTwiceByPosition", "a,0,0,1\nb,0.05,0,2\n", {}, {2}, u"ซ้ำกับบรรทัดที่ 1"},
        ReadCase{"FewerHeightsThanNodes", "100\n101\n", {}, {0}, u"น้อยกว่าจำนวนจุด 120 จุด"},
        ReadCase{"ColumnsDiffer", "1,100\n2,100,5\n", {}, {2}, u"ไม่เท่ากับบรรทัดแรก"},
        ReadCase{"TooManyColumns", "1,2,3,4,5,6\n", {}, {1}, u"มี 6 ช่อง"},
        ReadCase{"HeightTooLarge", "1,1e39\n", {}, {1}, u"ใหญ่เกินไป"},
        ReadCase{"Empty", "\n\n", {}, {0}, u"ไม่มีค่าระดับ"},
        ReadCase{"ExtraHeights", QByteArray("1\n").repeated(122), {}, {121, 122}, u"เกินจำนวนจุด"},
        ReadCase{"QuotedNumbers", "node,z\n1,\"100.25\"\n\"2\", \"-3\"\n", {{1, 100.25f}, {2, -3}}},
        ReadCase{"DecimalComma", "n;z\n1;100,878\n2;\"99,5\"\n", {{1, 100.878f}, {2, 99.5f}}},
        ReadCase{"BlankSeparated", "0 0 1\n  10 0   1.5\n110 0 9\n", {{1, 1}, {2, 1.5f}, {12, 9}}},
        ReadCase{"HeaderNamesNorthFirst", "Pt,N,E,Z\nA,0,10,5\nB,90,0,6\n", {{2, 5}, {109, 6}}},
        ReadCase{"ThaiHeader", "ชื่อจุด;ค่าพิกัดเหนือ;ค่าพิกัดตะวันออก;ระดับ\nA;0;10;5,5\n", {{2, 5.5f}}},
        ReadCase{"JobLinesBeforeTheHeaderAreSkippedAndSaid",
                 "Job: Site A\nDate: 5/1/2024, surveyed by B\nInstrument; TS 06\n\n"
                 "Point Easting Northing Elevation Code\n1 0 0 100 BM\n2 10 0 101 \"edge, east\"\n",
                 {{1, 100}, {2, 101}},
                 {},
                 u"ข้ามบรรทัดที่ 1 ถึง 3"},
        ReadCase{
            "NoteAboveBlankData", "Site; A\n0 0 1\n10 0 2\n110 0 3\n", {}, {1}, u"หัวตารางมี 2 ช่อง"},
        ReadCase{"OnlyTheNorthFirstOrderFitsTheGrid", "0,110,5\n", {{12, 5}}},
        ReadCase{.name = "SquareGridAsks", .file = "0,10,5\n20,30,6\n", .side = 10, .ask = 3},
        ReadCase{.name = "Diagonal",
                 .file = "0,0,5\n10,10,6\n",
                 .heights = {{1, 5}, {12, 6}},
                 .side = 10},
        ReadCase{"GivenOrder", "0;10;5\n", {{2, 5}}, {}, u"", 0, "NEZ", 10},
        ReadCase{"GivenOrderAgainstTheHeader", "x,y,z\n0,0,1\n", {}, {1}, u"(nez)", 0, "nez"},
        ReadCase{"GivenOrderOfOtherWidth", "0,0,1\n", {}, {0}, u"pnez มี 4 ช่อง", 0, "pnez"},
        ReadCase{"CarriageReturnsOnly", "1,100\r2,101\r", {{1, 100}, {2, 101}}},
        ReadCase{"Utf16",
                 QByteArray::fromHex("fffe31002c0031000a00"),
                 {},
                 {0},
                 u"ไม่อ่านแฟ้ม UTF-16: โปรดบันทึกแฟ้มเป็น UTF-8"},
        ReadCase{"Utf16NoMark", QByteArray::fromHex("31002c0031000a00"), {}, {0}, u"UTF-16"},
        ReadCase{"NanIsABadLineNotAHeader", "nan\n100\n", {}, {1}, u"\"nan\" ไม่ใช่ตัวเลข"},
        ReadCase{
            "OverflowIsABadLineNotAHeader", "1e309,100\n2,100\n", {}, {1}, u"\"1e309\" ใหญ่เกินไป"},
        ReadCase{"HexIsABadLineNotAHeader", "0x10\n", {}, {1}, u"ไม่ใช่ตัวเลข"},
        ReadCase{"LongDigits", QByteArray(100'000, '7') + ",1\n", {}, {1}, u"7…\" ใหญ่เกินไป"},
        ReadCase{"HugeLine", QByteArray("1,").repeated(5'000'000), {}, {1}, u"มากกว่า 64 ช่อง"},
        ReadCase{"UnclosedQuote", "1,\"100\n", {}, {1}, u"ไม่ครบคู่"},
        ReadCase{"HeaderOnly", "x,y,z\n", {}, {0}, u"ไม่มีค่าระดับ"},
        ReadCase{
            "ErrorsStopAt200", QByteArray("1,a\n").repeated(999), {}, {1}, u"อีก 799 รายการ", 201}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HeightsCsv, NodesNotGivenAreListedInRuns)
{
    EXPECT_EQ(nodeRuns(nodesNotGiven(site(), {{4, 1}, {6, 1}, {10, 1}})),
              (QStringList{"จุดที่ 1–3", "จุดที่ 5", "จุดที่ 7–9", "จุดที่ 11–120"}));
    std::vector<int> odd(500);
    std::generate(odd.begin(), odd.end(), [n = -1]() mutable { return n += 2; });
    EXPECT_EQ(nodeRuns(odd).mid(199), (QStringList{"จุดที่ 399", "และอีก 300 รายการ"}));
}
