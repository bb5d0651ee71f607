#include "project/csvfields.h"
#include "support/printto.h"

#include <gtest/gtest.h>

using namespace tervan;

using Problem = CsvSplit::Problem;
using Kind = CsvNumber::Kind;

struct SplitCase
{
    const char16_t* line;
    CsvSeparator separator;
    QStringList fields;
    Problem problem = Problem::None;
};

class Splitting : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(Splitting, FollowsQuotesAndSeparators)
{
    const SplitCase& c = GetParam();
    const CsvSplit split = splitCsvLine(QString::fromUtf16(c.line), c.separator, 5);
    EXPECT_EQ(split.problem, c.problem);
    if (c.problem == Problem::None) {
        EXPECT_EQ(split.fields, c.fields);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Splitting,
    ::testing::Values(SplitCase{u"1, \"100.25\" ,x", CsvSeparator::Comma, {"1", "100.25", "x"}},
                      SplitCase{u"\"a,\"\"b\"\"\",2", CsvSeparator::Comma, {"a,\"b\"", "2"}},
                      SplitCase{u"1,100,", CsvSeparator::Comma, {"1", "100", ""}},
                      SplitCase{u"1;\"100,5\"", CsvSeparator::Semicolon, {"1", "100,5"}},
                      SplitCase{u"a b\t", CsvSeparator::Tab, {"a b", ""}},
                      SplitCase{u"  500000   4000000\t12.5  ",
                                CsvSeparator::Blanks,
                                {"500000", "4000000", "12.5"}},
                      SplitCase{u"\"P 1\" 0 0 1", CsvSeparator::Blanks, {"P 1", "0", "0", "1"}},
                      SplitCase{u"1,2,3,4,5,6", CsvSeparator::Comma, {}, Problem::TooManyFields},
                      SplitCase{u"1,2,3,4,5,", CsvSeparator::Comma, {}, Problem::TooManyFields},
                      SplitCase{u"1,\"100", CsvSeparator::Comma, {}, Problem::UnclosedQuote},
                      SplitCase{u"\"1\"x,2", CsvSeparator::Comma, {}, Problem::TextAfterQuote}));

TEST(Splitting, CountsAHugeLineWithoutCopyingIt)
{
    const QString line = QStringLiteral("1,").repeated(5'000'000);
    const CsvSplit split = splitCsvLine(line, CsvSeparator::Comma, 10);
    EXPECT_EQ(split.problem, Problem::TooManyFields);
    EXPECT_EQ(split.count, 11);
    EXPECT_TRUE(split.fields.isEmpty());
}

struct SeparatorCase
{
    QStringList lines;
    CsvSeparator separator;
};

class Separators : public ::testing::TestWithParam<SeparatorCase>
{
};

TEST_P(Separators, AreTakenFromTheFirstLines)
{
    EXPECT_EQ(detectCsvSeparator(GetParam().lines), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, Separators,
    ::testing::Values(SeparatorCase{{"x;y;z", "1,5;2;3"}, CsvSeparator::Semicolon},
                      SeparatorCase{{"\"a;b\",1", "c,2"}, CsvSeparator::Comma},
                      SeparatorCase{{"a b\t1"}, CsvSeparator::Tab},
                      SeparatorCase{{"", "0 0 100", "10 0 101.5"}, CsvSeparator::Blanks},
                      SeparatorCase{{"ค่า ระดับ", "100", "101"}, CsvSeparator::Comma}));

struct NumberCase
{
    const char16_t* field;
    CsvSeparator separator;
    Kind kind;
    double value = 0;
};

class Numbers : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(Numbers, ReadOnlyPlainDecimals)
{
    const NumberCase& c = GetParam();
    const CsvNumber n = readCsvNumber(QString::fromUtf16(c.field), c.separator);
    EXPECT_EQ(n.kind, c.kind) << QString::fromUtf16(c.field).toStdString();
    EXPECT_EQ(n.value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Numbers,
    ::testing::Values(NumberCase{u" -100.25 ", CsvSeparator::Comma, Kind::Number, -100.25},
                      NumberCase{u"+.5e1", CsvSeparator::Comma, Kind::Number, 5},
                      NumberCase{u"๑๐๐.๕", CsvSeparator::Comma, Kind::Number, 100.5},
                      NumberCase{u"100,878", CsvSeparator::Semicolon, Kind::Number, 100.878},
                      NumberCase{u"100,878", CsvSeparator::Comma, Kind::Malformed},
                      NumberCase{u"1,000.5", CsvSeparator::Semicolon, Kind::Malformed},
                      NumberCase{u"1e-400", CsvSeparator::Comma, Kind::Number, 0},
                      NumberCase{u"1e309", CsvSeparator::Comma, Kind::TooLarge},
                      NumberCase{u"-NaN", CsvSeparator::Comma, Kind::Malformed},
                      NumberCase{u"inf", CsvSeparator::Comma, Kind::Malformed},
                      NumberCase{u"0x10", CsvSeparator::Comma, Kind::Malformed},
                      NumberCase{u"1.2.3", CsvSeparator::Comma, Kind::Malformed},
                      NumberCase{u"", CsvSeparator::Comma, Kind::Text},
                      NumberCase{u"Elevation", CsvSeparator::Comma, Kind::Text},
                      NumberCase{u"E", CsvSeparator::Comma, Kind::Text}));

TEST(Numbers, LongDigitStringIsTooLarge)
{
    EXPECT_EQ(readCsvNumber(QString(100'000, u'9'), CsvSeparator::Comma).kind, Kind::TooLarge);
}

struct HeaderCase
{
    QStringList fields;
    std::optional<CsvColumns> columns; // count, name, east, north, elevation, description
};

class Headers : public ::testing::TestWithParam<HeaderCase>
{
};

TEST_P(Headers, NameTheColumnOrder)
{
    EXPECT_EQ(columnsFromHeader(GetParam().fields), GetParam().columns);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Headers,
    ::testing::Values(
        HeaderCase{{"Pt", "N", "E", "Z"}, CsvColumns{4, 0, 2, 1, 3, -1}},
        HeaderCase{{"point", "EASTING", "Northing", "Elevation (m)", "Code"},
                   CsvColumns{5, 0, 1, 2, 3, 4}},
        HeaderCase{{"x", "y", "z"}, CsvColumns{3, -1, 0, 1, 2, -1}},
        HeaderCase{{"node", "x", "y", "elevation"}, CsvColumns{4, 0, 1, 2, 3, -1}},
        HeaderCase{{"ชื่อจุด", "ค่าพิกัดเหนือ", "ค่าพิกัดตะวันออก", "ค่าระดับ"}, CsvColumns{4, 0, 2, 1, 3, -1}},
        HeaderCase{{"id", "E", "N", "Z", "survey date"}, CsvColumns{5, 0, 1, 2, 3, -1}},
        HeaderCase{{"X", "E", "Z"}, std::nullopt}, HeaderCase{{"a", "b", "c"}, std::nullopt}));

TEST(ColumnCodes, ReadBackToTheirCode)
{
    for (const QString& code : csvColumnCodes()) {
        const auto columns = columnsFromCode(code.toUpper());
        ASSERT_TRUE(columns.has_value()) << code.toStdString();
        EXPECT_EQ(columnsFromCode(csvColumnCode(*columns)), columns) << code.toStdString();
    }
    EXPECT_EQ(columnsFromCode(u"pnezd"), (CsvColumns{5, 0, 2, 1, 3, 4}));
    EXPECT_FALSE(columnsFromCode(u"zyx").has_value());
}
