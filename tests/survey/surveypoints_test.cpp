#include "support/files.h"
#include "support/printto.h"
#include "survey/coordinates.h"
#include "survey/surveypoints.h"
#include "surveysites.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervan;

namespace {

PointsRead readText(const QByteArray& bytes, const char* columns = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readPointsText(buffer,
                          columns ? columnsFromCode(QString::fromLatin1(columns)) : std::nullopt);
}

QByteArray thai(const QString& text)
{
    return QStringEncoder("windows-874").encode(text);
}

// The first reason a file was refused for, or none when it was read.
const HeightLineError* refusal(const PointsRead& read)
{
    const auto* errors = std::get_if<std::vector<HeightLineError>>(&read);
    return errors && !errors->empty() ? &errors->front() : nullptr;
}

std::size_t pointsIn(const PointsRead& read)
{
    const auto* file = std::get_if<PointsFile>(&read);
    return file ? file->points.size() : 0;
}

} // namespace

struct TextCase
{
    const char* what;
    QByteArray bytes;
    const char* columns;
    SurveyPoint second; // the second point read
};

using TextPoints = testing::TestWithParam<TextCase>;

TEST_P(TextPoints, ReadsTheOrderTheFileOrUserGives)
{
    const auto read = readText(GetParam().bytes, GetParam().columns);
    ASSERT_TRUE(std::holds_alternative<PointsFile>(read)) << GetParam().what;
    const auto& points = std::get<PointsFile>(read).points;
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1], GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Survey, TextPoints,
    testing::Values(TextCase{"total station P,N,E,Z,D with BOM, CRLF and a Thai description",
                             "\xEF\xBB\xBF"
                             "1,1524000.5,652000.25,101.5,หมุด\r\n2,1524010,652020,102.25,ขอบถนน\r\n"
                             "3,1524020,652005,100,โคนต้นไม้\r\n",
                             nullptr,
                             {"2", 652020, 1524010, 102.25}},
                    TextCase{"header names Easting first",
                             "Point,Easting,Northing,Elevation\nA,1,2,3\nB,4,5,6\nC,7,8,9\n",
                             nullptr,
                             {"B", 4, 5, 6}},
                    TextCase{"Thai header in the Thai code page",
                             thai(QStringLiteral("ชื่อจุด,ค่าพิกัดเหนือ,ค่าพิกัดตะวันออก,ค่าระดับ\n")) +
                                 thai(QStringLiteral("ก,1,2,3\nข,4,5,6\nค,7,8,9\n")),
                             nullptr,
                             {QStringLiteral("ข"), 5, 4, 6}},
                    TextCase{"blank separated N,E,Z chosen by the user",
                             "10 20 30\n40   50 60\n70 80 90\n",
                             "nez",
                             {"2", 50, 40, 60}},
                    TextCase{"semicolons with decimal commas, P,E,N,Z",
                             "p1;1,5;2,5;3\np2;4,5;5,5;6\np3;7;8;9\n",
                             "penzd",
                             {"p2", 4.5, 5.5, 6}},
                    TextCase{"three bare columns are X,Y,Z",
                             "1,2,3\n4,5,6\n7,8,9\n",
                             nullptr,
                             {"2", 4, 5, 6}}));

struct RefusedCase
{
    QByteArray bytes;
    int line;
};

using RefusedPoints = testing::TestWithParam<RefusedCase>;

TEST_P(RefusedPoints, NamesTheFirstBadLine)
{
    const auto read = readText(GetParam().bytes);
    ASSERT_TRUE(refusal(read));
    EXPECT_EQ(refusal(read)->line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Survey, RefusedPoints,
                         testing::Values(RefusedCase{"x,y,z\n1,2,3\n4,5,six\n7,8,9\n", 3},
                                         RefusedCase{"1,2,3\n4,5\n7,8,9\n", 2},
                                         RefusedCase{"1,2,3\n4,5,6\n", 0},
                                         RefusedCase{"p,n,e,z\n1,2,3,\"4\n", 2}));

struct DrawingCase
{
    const char* what;
    QByteArray entities; // of a DXF's ENTITIES section
    std::size_t points;  // read, or none when refused
    const char* says;    // in the first reason when refused
};

void PrintTo(const DrawingCase& c, std::ostream* os)
{
    *os << c.what;
}

using DrawingPoints = testing::TestWithParam<DrawingCase>;

// Shots from a drawing through GDAL: points and 3D polyline vertices, and only numbers.
TEST_P(DrawingPoints, TakesOnlyShotsThatAreNumbers)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("shots.dxf");
    ASSERT_TRUE(writeBytes(file, "0\nSECTION\n2\nENTITIES\n" + GetParam().entities +
                                     "0\nENDSEC\n0\nEOF\n"));
    const auto read = readPointsFile(file);
    EXPECT_EQ(pointsIn(read), GetParam().points) << GetParam().what;
    if (GetParam().points == 0) {
        ASSERT_TRUE(refusal(read)) << GetParam().what;
        EXPECT_TRUE(refusal(read)->reason.contains(QString::fromUtf8(GetParam().says)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Survey, DrawingPoints,
    testing::Values(DrawingCase{"two points",
                                "0\nPOINT\n8\n0\n10\n652001\n20\n1524002\n30\n101\n"
                                "0\nPOINT\n8\n0\n10\n652011\n20\n1524012\n30\n102\n",
                                2, ""},
                    DrawingCase{"an easting beyond a double",
                                "0\nPOINT\n8\n0\n10\n652001\n20\n1524002\n30\n101\n"
                                "0\nPOINT\n8\n0\n10\n6e2010\n20\n1524012\n30\n102\n",
                                0, "มีพิกัดหรือค่าระดับที่ไม่ใช่ตัวเลข"},
                    DrawingCase{"a height beyond a double on a 3D polyline",
                                "0\nPOLYLINE\n8\n0\n66\n1\n70\n8\n10\n0\n20\n0\n30\n0\n"
                                "0\nVERTEX\n8\n0\n10\n652000\n20\n1524000\n30\n100.5\n70\n32\n"
                                "0\nVERTEX\n8\n0\n10\n652020\n20\n1524010\n30\n-1e999\n70\n32\n"
                                "0\nSEQEND\n",
                                0, "มีพิกัดหรือค่าระดับที่ไม่ใช่ตัวเลข"}));

// A text file past 64 MiB is not a survey; one byte less is read as usual.
TEST(TextPointsSize, RefusesAFileOverTheLimit)
{
    constexpr qint64 Limit = 64 * 1024 * 1024;
    QTemporaryDir dir;
    for (const qint64 size : {Limit + 1, Limit}) {
        QFile file(dir.filePath(QStringLiteral("points.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray lines = "1,2,3\n4,5,6\n7,8,9\n";
        file.write(lines);
        const QByteArray blanks(1024 * 1024, ' '); // a last line of blanks, which is skipped
        for (qint64 left = size - lines.size(); left > 0; left -= blanks.size())
            file.write(blanks.left(qsizetype(std::min<qint64>(left, blanks.size()))));
        file.close();
        ASSERT_EQ(file.size(), size);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto read = readPointsText(file);
        EXPECT_EQ(pointsIn(read), size > Limit ? 0u : 3u);
        if (size > Limit) {
            ASSERT_TRUE(refusal(read));
            EXPECT_EQ(refusal(read)->reason, QStringLiteral("แฟ้มใหญ่เกินไป"));
        }
    }
}

struct ShiftCase
{
    int epsg;
    const char* shift;  // as the user gives it; empty: the default
    const char* target; // the same system for cs2cs, in PROJ's own words
    const char* key;    // what the project keeps
};

using DatumShift = testing::TestWithParam<ShiftCase>;

// Latitude/longitude into the project's system land where cs2cs puts them with the same
// parameters written out by hand, and the shift used is named.
TEST_P(DatumShift, LandsWhereCs2csPutsThem)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("cs2cs"));
    if (tool.isEmpty())
        GTEST_SKIP() << "cs2cs is not installed";
    const std::vector<SurveyPoint> points = {
        {"a", 100.5, 13.75, 0}, {"b", 99.1, 18.8, 0}, {"c", 101.9, 6.5, 0}};
    auto projected = points;
    const auto used = projectPoints(projected, QStringLiteral("EPSG:4326"), GetParam().epsg,
                                    QString::fromLatin1(GetParam().shift));
    ASSERT_TRUE(std::holds_alternative<DatumShiftUsed>(used));
    EXPECT_EQ(std::get<DatumShiftUsed>(used).key, QLatin1String(GetParam().key));
    QProcess cs2cs;
    cs2cs.start(tool,
                QStringList{"-f", "%.4f", "+proj=longlat", "+datum=WGS84", "+type=crs", "+to"} +
                    QString::fromLatin1(GetParam().target).split(' '));
    for (const auto& p : points)
        cs2cs.write(QStringLiteral("%1 %2\n").arg(p.x, 0, 'f', 9).arg(p.y, 0, 'f', 9).toUtf8());
    cs2cs.closeWriteChannel();
    ASSERT_TRUE(cs2cs.waitForFinished());
    const QStringList lines = QString::fromUtf8(cs2cs.readAllStandardOutput()).split('\n');
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QStringList xyz = lines[int(i)].simplified().split(' ');
        EXPECT_NEAR(projected[i].x, xyz[0].toDouble(), 0.01) << GetParam().target;
        EXPECT_NEAR(projected[i].y, xyz[1].toDouble(), 0.01) << GetParam().target;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Survey, DatumShift,
    testing::Values(
        ShiftCase{32647, "", "+proj=utm +zone=47 +datum=WGS84 +type=crs", ""},
        ShiftCase{24047, "", "+proj=utm +zone=47 +ellps=evrst30 +towgs84=206,837,295 +type=crs",
                  "rtsd"},
        ShiftCase{24048, "rtsd", "+proj=utm +zone=48 +ellps=evrst30 +towgs84=206,837,295 +type=crs",
                  "rtsd"},
        // EPSG's own parameters for Indian 1975 to WGS 84 (4), written out.
        ShiftCase{24047, "EPSG:1812",
                  "+proj=utm +zone=47 +ellps=evrst30 +towgs84=293,836,318,0.5,1.6,-2.8,2.1 "
                  "+type=crs",
                  "EPSG:1812"}));

TEST(DatumShift, RefusesWhatIsNoShiftBetweenTheTwoDatums)
{
    for (const char* shift : {"EPSG:32647", "EPSG:999999", "bessel", "EPSG:1812x"}) {
        auto points = std::vector<SurveyPoint>{{"a", 100.5, 13.75, 0}};
        const auto used =
            projectPoints(points, QStringLiteral("EPSG:4326"), 24047, QString::fromLatin1(shift));
        EXPECT_TRUE(std::holds_alternative<QString>(used)) << shift;
        EXPECT_EQ(points[0].x, 100.5) << shift;
    }
}
