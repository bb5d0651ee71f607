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

HeightsRead read(const QByteArray& bytes, const Project& p = site())
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readHeightsCsv(buffer, p);
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
    ASSERT_TRUE(std::holds_alternative<std::vector<NodeHeight>>(result))
        << std::get<std::vector<HeightLineError>>(result).front().reason.toStdString();
    std::vector<NodeHeight> expected;
    for (int n : GetParam().nodes)
        expected.push_back({n, heightOf(n)});
    EXPECT_EQ(std::get<std::vector<NodeHeight>>(result), expected);
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
        BadCase{"DecimalComma", "node;z\n1;100,878\n", {2}, u"\"100,878\" ไม่ใช่ตัวเลข"},
        BadCase{"NodeOutOfRange", "1,100\n121,100\n0,5\n2.5,1\n", {2, 3, 4}, u"ไม่มีจุดที่ 121"},
        BadCase{"NodeTwice", "1,100\n2,100\n1,101\n", {3}, u"จุดที่ 1 ซ้ำกับบรรทัดที่ 1"},
        BadCase{"PointOffTheGrid",
                "0,0,100\n5,0,100\n10.2,0,1\n0,90.1,1\n0,100,1\n",
                {2, 3, 5},
                u"ไม่ตรงกับจุดกริด"},
        BadCase{"SamePointTwiceByPosition", "a,0,0,1\nb,0.05,0,2\n", {2}, u"ซ้ำกับบรรทัดที่ 1"},
        BadCase{"FewerHeightsThanNodes", "100\n101\n", {0}, u"น้อยกว่าจำนวนจุด 120 จุด"},
        BadCase{"ColumnsDiffer", "1,100\n2,100,5\n", {2}, u"ไม่เท่ากับบรรทัดแรก"},
        BadCase{"TooManyColumns", "1,2,3,4,5\n", {1}, u"มี 5 ช่อง"},
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
    ASSERT_TRUE(std::holds_alternative<std::vector<NodeHeight>>(result));
    applyHeights(back, std::get<std::vector<NodeHeight>>(result));
    EXPECT_EQ(back.Nodes, p.Nodes);
    p.ComputeElevationRange();
    EXPECT_EQ(back.ElevMax, p.ElevMax);
}
